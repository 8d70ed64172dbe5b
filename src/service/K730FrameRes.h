// TFrameRes: the results frame — every field of the meter's raw results
// block as its bytes in hexadecimal (least significant in the "0" column)
// and decoded at the right edge, with the MODBUS address and the
// configuration byte from their own answers. A field the block is too short
// for reads "Błąd" in red.
#pragma once

#include "protocol/MerBusFun.h"

#include <QFrame>

#include <array>
#include <optional>
#include <vector>

class QLabel;

namespace k730 {

class TFrameRes : public QFrame {
    Q_OBJECT
public:
    explicit TFrameRes(char decimalSeparator, QWidget* parent = nullptr);

    void Show(const TBytes& block, std::optional<uint8_t> modBusAddress, std::optional<uint8_t> config);

    // The labels of one row: its caption, the byte columns "3" … "0", the decoded value.
    QLabel* Decoded(size_t row) const { return rows_.at(row).decoded; }
    QLabel* ByteLabel(size_t row, size_t column) const { return rows_.at(row).bytes.at(column); }

private:
    struct TRowLabels {
        QLabel* caption = nullptr;
        std::array<QLabel*, 4> bytes{}; // column 0 is the least significant byte
        QLabel* decoded = nullptr;
    };

    const char sep_;
    std::vector<TRowLabels> rows_;
};

} // namespace k730
