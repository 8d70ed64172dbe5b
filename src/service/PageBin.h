// TPageBin: the service window's results page — the results frame, and the
// rows from which a technician sends hand-typed requests: two command rows
// (command byte and data, to the address box) and one row that holds a whole
// request frame. Below them, what became of the last request and its answer.
#pragma once

#include "service/RawCommand.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace k730 {

class TFrameRes;

class TPageBin : public QWidget {
    Q_OBJECT
public:
    // Queues the request and sends it at once; the frame that goes out, or
    // nothing when the scheduler would not take the item.
    using TSend = std::function<std::optional<TBytes>(const TQueueItem& item)>;
    TPageBin(TRawExchange& exchange, char decimalSeparator, TSend send, QWidget* parent = nullptr);

    TFrameRes* Frame() const { return frameRes_; }
    // The address box takes the meter's address when the pages come alive.
    void SetAddress(const std::string& hex4);
    // What became of the last request.
    void RenderExchange();
    // Presses a row's "Wyślij" (0 and 1 the command rows, 2 the buffer row).
    void Send(int row);

private:
    TRawExchange& exchange_;
    TSend send_;
    TFrameRes* frameRes_ = nullptr;
    QLineEdit* editAddr_ = nullptr;
    std::array<QLineEdit*, 2> editCmd_{};
    std::array<QLineEdit*, 3> editBuf_{};
    std::array<QPushButton*, 3> btnSend_{};
    QLabel* labelRawState_ = nullptr;
    QLineEdit* editRawSent_ = nullptr;
    QLineEdit* editRawAnswer_ = nullptr;
};

} // namespace k730
