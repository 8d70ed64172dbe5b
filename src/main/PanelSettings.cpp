// The inline settings panel.
#include "main/PanelSettings.h"

#include "main/K730Captions.h"
#include "ui/AccessibleNames.h"
#include "ui/LocaleSeparator.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace k730 {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

constexpr int BUTTON_WIDTH = 75;

} // namespace

TPanelSettings::TPanelSettings(TLanguage lang, QWidget* parent) : QFrame(parent), lang_(lang) {
    setObjectName("PanelSettings");
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    title_ = new QLabel(this);
    title_->setObjectName("LabelSettings");
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    repeatAuto_ = new QCheckBox(this);
    repeatAuto_->setObjectName("ChBRepeatAuto");
    editLabel_ = new QLabel(this);
    editLabel_->setObjectName("LabelSetValue");
    edit_ = new QLineEdit(this);
    editLabel_->setBuddy(edit_); // the field is named by its label's caption
    edit_->setObjectName("EditValue");
    edit_->setMaxLength(EDIT_MAX_LENGTH);
    edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance("0000000") + 12);
    averTime_ = new QLabel(this);
    averTime_->setObjectName("LabelAverTime");
    rangeBox_ = new QWidget(this);
    for (int i = 0; i < RANGE_BUTTONS; ++i) {
        ranges_[i] = new QRadioButton(rangeBox_);
        ranges_[i]->setObjectName(QString("RBRange%1").arg(i));
    }
    ok_ = new QPushButton(Q(MainWindowCaption("BtnSettingsOK", lang)), this);
    ok_->setObjectName("BtnSettingsOK");
    cancel_ = new QPushButton(Q(MainWindowCaption("BtnSettingsCancel", lang)), this);
    cancel_->setObjectName("BtnSettingsCancel");
    for (QPushButton* b : {ok_, cancel_})
        b->setFixedWidth(BUTTON_WIDTH);

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(edit_);
    editRow->addWidget(averTime_);
    editRow->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(title_);
    left->addWidget(repeatAuto_);
    left->addWidget(editLabel_);
    left->addLayout(editRow);
    left->addWidget(rangeBox_, 1);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addStretch();
    right->addWidget(ok_);
    right->addWidget(cancel_);
    right->addStretch();
    auto* all = new QHBoxLayout(this);
    all->setContentsMargins(8, 4, 8, 4);
    all->addLayout(left, 1);
    all->addLayout(right);

    connect(ok_, &QPushButton::clicked, this, &TPanelSettings::OkClicked);
    connect(cancel_, &QPushButton::clicked, this, &TPanelSettings::Cancelled);
    connect(edit_, &QLineEdit::textChanged, this, &TPanelSettings::UpdateAverTime);
    connect(edit_, &QLineEdit::returnPressed, this, [this] {
        if (ok_->isEnabled()) ok_->click();
    });
    connect(repeatAuto_, &QCheckBox::toggled, this, &TPanelSettings::UpdateEditEnabled);
}

void TPanelSettings::ShowValueControls(bool show) {
    editLabel_->setVisible(show);
    edit_->setVisible(show);
    rangeBox_->setVisible(!show);
}

void TPanelSettings::OpenValuePanel(TPanelKind kind, const TPanelInputs& inputs) {
    kind_ = kind;
    inputs_ = inputs;
    title_->setText(Q(PanelTitle(kind, lang_)));
    editLabel_->setText(Q(PanelEditLabel(kind, lang_)));
    ShowValueControls(true);
    const bool refresh = kind == TPanelKind::pkRefresh;
    repeatAuto_->setVisible(refresh);
    if (refresh) {
        repeatAuto_->setText(Q(RepeatAutoCaption(lang_, inputs)));
        repeatAuto_->setChecked(inputs.RepeatAuto);
    }
    edit_->setText(Q(PanelStartText(kind, inputs)));
    UpdateEditEnabled();
    UpdateAverTime();
    ApplyAccessibleNames(this);
    show();
    if (refresh) {
        repeatAuto_->setFocus();
    } else {
        edit_->setFocus();
        edit_->selectAll();
    }
}

void TPanelSettings::OpenRangePanel(const std::vector<std::string>& rangeTexts, const std::string& unit,
                                    uint8_t defaultRange) {
    kind_ = TPanelKind::pkDefaultRange;
    title_->setText(Q(PanelTitle(kind_, lang_)));
    ShowValueControls(false);
    repeatAuto_->hide();
    averTime_->hide();
    ok_->setEnabled(true);
    layout()->activate(); // the room left of the buttons is known only once laid out
    rangeCount_ = std::min(int(rangeTexts.size()), RANGE_BUTTONS);
    // The unit goes with every range when the longest text still fits in the
    // room left of the buttons.
    int widest = 0;
    for (int i = 0; i < rangeCount_; ++i)
        widest = std::max(widest, ranges_[i]->fontMetrics().horizontalAdvance(Q(rangeTexts[i] + unit)));
    const int room = ok_->geometry().left() - rangeBox_->geometry().left() - 8;
    const int indicator =
        ranges_[0]->sizeHint().width() - ranges_[0]->fontMetrics().horizontalAdvance(ranges_[0]->text());
    const bool withUnit = !unit.empty() && widest + indicator <= room;
    for (int i = 0; i < RANGE_BUTTONS; ++i) {
        ranges_[i]->setVisible(i < rangeCount_);
        if (i >= rangeCount_) continue;
        ranges_[i]->setText(Q(rangeTexts[i] + (withUnit ? unit : std::string())));
        ranges_[i]->setChecked(i == defaultRange);
        ranges_[i]->adjustSize();
    }
    ApplyAccessibleNames(this);
    show();
    PlaceRangeButtons();
    if (rangeCount_ > 0) ranges_[std::min<int>(defaultRange, rangeCount_ - 1)]->setFocus();
}

void TPanelSettings::UpdateInputs(const TPanelInputs& inputs) {
    inputs_ = inputs;
    if (kind_ == TPanelKind::pkRefresh) {
        repeatAuto_->setText(Q(RepeatAutoCaption(lang_, inputs)));
        ApplyAccessibleNames(this);
    }
    UpdateAverTime();
}

std::vector<int> TPanelSettings::RangeButtonTops(int height, int buttonHeight, int count) {
    std::vector<int> tops;
    if (count <= 0) return tops;
    const int gap = std::clamp((height - count * buttonHeight) / (count + 1), 1, 4);
    const int group = count * buttonHeight + (count - 1) * gap;
    int y = std::max(0, (height - group) / 2);
    for (int i = 0; i < count; ++i, y += buttonHeight + gap)
        tops.push_back(y);
    return tops;
}

void TPanelSettings::PlaceRangeButtons() {
    const int h = ranges_[0]->sizeHint().height();
    const std::vector<int> tops = RangeButtonTops(rangeBox_->height(), h, rangeCount_);
    for (int i = 0; i < rangeCount_; ++i)
        ranges_[i]->move(0, tops[i]);
}

void TPanelSettings::UpdateAverTime() {
    const bool timed = kind_ == TPanelKind::pkConvCount || kind_ == TPanelKind::pkAverCount;
    averTime_->setVisible(timed && inputs_.ConvCount != 0);
    if (!averTime_->isVisibleTo(this)) return;
    const int32_t msPerItem = kind_ == TPanelKind::pkConvCount ? MIN_REFRESH_MS : inputs_.StatusPeriodMs;
    averTime_->setText(
        Q(AverTimeText(edit_->text().toStdString(), msPerItem, lang_, LocaleDecimalSeparator())));
    layout()->activate(); // the label grows with its text at once, not at the next event
}

void TPanelSettings::UpdateEditEnabled() {
    const bool enabled = kind_ != TPanelKind::pkRefresh || !repeatAuto_->isChecked();
    edit_->setEnabled(enabled);
    editLabel_->setEnabled(enabled);
}

void TPanelSettings::OkClicked() {
    if (kind_ == TPanelKind::pkDefaultRange) {
        for (int i = 0; i < rangeCount_; ++i)
            if (ranges_[i]->isChecked()) emit RangeApplied(i);
        return;
    }
    emit ValueApplied(ApplyValuePanel(kind_, edit_->text().toStdString(), repeatAuto_->isChecked()));
}

void TPanelSettings::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit Cancelled();
        return;
    }
    QFrame::keyPressEvent(event);
}

void TPanelSettings::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (kind_ == TPanelKind::pkDefaultRange) PlaceRangeButtons();
}

} // namespace k730
