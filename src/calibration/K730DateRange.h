// TFormDateRange: the date range dialog of the calibration history window —
// last 30 days, current month, previous month, or a custom range between two
// date edits that keep "from" not after "to".
#pragma once

#include "calibration/CalHistory.h"

#include <QDialog>

#include <optional>

class QRadioButton;

namespace k730 {

class TZAKDateEdit;

class TFormDateRange : public QDialog {
    Q_OBJECT

public:
    TFormDateRange(const TCalDateFilter& filter, TLanguage lang, QWidget* parent = nullptr);

    TCalDateFilter Filter() const;

    // Shows the dialog modally; the record chosen with OK.
    static std::optional<TCalDateFilter> Execute(QWidget* parent, const TCalDateFilter& filter,
                                                 TLanguage lang);

private:
    void KindChosen();

    QRadioButton* radios_[4] = {};
    TZAKDateEdit* DateFrom = nullptr;
    TZAKDateEdit* DateTo = nullptr;
};

} // namespace k730
