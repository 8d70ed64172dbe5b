// Shared small controls: TZAKDateEdit, a date edit of three numeric fields
// (day, month, year) separated by the locale's date separator, with two
// arrow buttons that step the focused field; and the locale's date and time
// separators the program's date texts use.
#pragma once

#include "ui/DateEditRules.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace k730 {

// The system locale's separators: '-' when the locale's date format has none.
char LocaleDateSeparator();
char LocaleTimeSeparator();

class TZAKDateEdit : public QWidget {
    Q_OBJECT

public:
    explicit TZAKDateEdit(QWidget* parent = nullptr);

    // The date as a day count since 1899-12-30 (whole days).
    double Value() const { return value_; }
    void SetValue(double days);
    // 0 = no limit.
    double Minimum() const { return minimum_; }
    void SetMinimum(double days);
    double Maximum() const { return maximum_; }
    void SetMaximum(double days);
    void SetReadOnly(bool on);
    void SetValueVisible(bool on);
    void SetButtonsVisible(bool on);
    void SetFrameVisible(bool on);

    // For tests and the dialogs: the field's edit.
    QLineEdit* Field(TDateField field) const { return fields_[field]; }

signals:
    void Changed(double days);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShowValue();
    // The field's text read back on leaving it; false for a non-number.
    bool TakeField(TDateField field);
    void Step(int delta);
    void Apply(TDateFields fields);
    TDateField FieldOf(QObject* object) const;

    QLineEdit* fields_[3] = {};
    QLabel* separators_[2] = {};
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    double value_ = 0;
    double minimum_ = 0;
    double maximum_ = 0;
    TDateField focused_ = dfDay;
    QString entryText_; // the focused field's text when it was entered
};

} // namespace k730
