// TFormShowSettings: the modeless window listing the meter's and the
// program's current settings, refreshed row by row as answers arrive.
#pragma once

#include "main/InfoDialogTexts.h"

#include <QWidget>

#include <array>
#include <functional>

class QLabel;

namespace k730 {

class TFormShowSettings : public QWidget {
    Q_OBJECT
public:
    // `facts` is asked for the current state whenever rows are refreshed.
    using TFactsSource = std::function<TShowSettingsFacts()>;

    TFormShowSettings(TLanguage lang, TFactsSource facts, QWidget* parent = nullptr);

    // Code 0 refreshes every row; 1..8 the rows that the main window's answer
    // or setting concerns (see RowsForRefreshCode).
    void RefreshRow(int code);

    // Brings the window up: shown, restored when minimised, to the front.
    void BringToFront();

private:
    void SizeValueColumn();

    TLanguage lang_;
    TFactsSource facts_;
    std::array<QLabel*, SHOW_SETTINGS_ROWS> labels_{};
    std::array<QLabel*, SHOW_SETTINGS_ROWS> values_{};
};

} // namespace k730
