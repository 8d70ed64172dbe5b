// The settings window.
#include "main/K730ShowSettings.h"

#include "ui/LocaleSeparator.h"

#include <QGridLayout>
#include <QLabel>

namespace k730 {

TFormShowSettings::TFormShowSettings(TLanguage lang, TFactsSource facts, QWidget* parent)
    : QWidget(parent, Qt::Window), lang_(lang), facts_(std::move(facts)) {
    setObjectName("FormShowSettings");
    setAttribute(Qt::WA_QuitOnClose,
                 false); // closing the main window ends the program even while this is open
    setWindowTitle(QString::fromStdString(ShowSettingsCaption(lang_)));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    for (int row = 0; row < SHOW_SETTINGS_ROWS; ++row) {
        labels_[row] = new QLabel(this);
        labels_[row]->setObjectName(QString("LabelStr%1").arg(row));
        values_[row] = new QLabel(this);
        values_[row]->setObjectName(QString("Label%1").arg(row));
        values_[row]->setTextFormat(Qt::PlainText);
        grid->addWidget(labels_[row], row, 0);
        grid->addWidget(values_[row], row, 1);
    }
    SizeValueColumn();
    RefreshRow(0);
}

void TFormShowSettings::SizeValueColumn() {
    int width = 0;
    for (int row = 0; row < SHOW_SETTINGS_ROWS; ++row)
        width = std::max(width, fontMetrics().horizontalAdvance(
                                    QString::fromStdString(ShowSettingsValueSample(row, lang_))));
    for (QLabel* value : values_)
        value->setMinimumWidth(width);
}

void TFormShowSettings::RefreshRow(int code) {
    if (!facts_) return;
    const TShowSettingsFacts facts = facts_();
    const char separator = LocaleDecimalSeparator();
    for (int row : RowsForRefreshCode(code)) {
        const TSettingsRow texts = ShowSettingsRow(row, facts, lang_, separator ? separator : '.');
        labels_[row]->setText(QString::fromStdString(texts.Label));
        values_[row]->setText(QString::fromStdString(texts.Value));
        QPalette palette = values_[row]->palette();
        palette.setColor(QPalette::WindowText,
                         texts.Red ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
        values_[row]->setPalette(palette);
    }
}

void TFormShowSettings::BringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

} // namespace k730
