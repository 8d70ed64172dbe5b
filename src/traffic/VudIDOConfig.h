// TFormVudIDOConfig: the traffic viewer's view settings dialog — per buffer a
// hexadecimal and a characters view switch and the frame recognition mode.
#pragma once

#include "traffic/ViewSettings.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;

namespace k730 {

class TFormVudIDOConfig : public QDialog {
    Q_OBJECT
public:
    // `labels`: the buffer labels, the groups' captions.
    TFormVudIDOConfig(uint32_t settings, const std::array<QString, TRAFFIC_BUFFER_COUNT>& labels,
                      QWidget* parent = nullptr);

    // The word the dialog's controls make, the float size of the old word kept.
    uint32_t Settings() const;

    // Shows the dialog; the new word when OK changed it.
    static std::optional<uint32_t>
    Execute(uint32_t settings, const std::array<QString, TRAFFIC_BUFFER_COUNT>& labels, QWidget* parent);

private:
    uint32_t settings_;
    std::array<QCheckBox*, TRAFFIC_BUFFER_COUNT> hex_{};
    std::array<QCheckBox*, TRAFFIC_BUFFER_COUNT> chars_{};
    std::array<QComboBox*, TRAFFIC_BUFFER_COUNT> modes_{};
};

} // namespace k730
