#include "calibration/K730DateRange.h"

#include "files/DayCount.h"
#include "ui/OtherObjects.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace k730 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr TText kindTexts[4] = {{"ostatnie 30 dni", "last 30 days"},
                                {"bieżący miesiąc", "current month"},
                                {"poprzedni miesiąc", "previous month"},
                                {"ustaw przedział czasowy:", "custom:"}};
const char* const kindNames[4] = {"RBLast30Days", "RBCurrentMonth", "RBPreviousMonth", "RBCustom"};
constexpr TText titleText{"Ustaw granice czasowe:", "Set time boundaries:"};
constexpr TText fromText{"od", "from"};
constexpr TText toText{"do", "to"};
constexpr TText okText{"OK", "OK"};
constexpr TText cancelText{"Anuluj", "Cancel"};

} // namespace

TFormDateRange::TFormDateRange(const TCalDateFilter& filter, TLanguage lang, QWidget* parent)
    : QDialog(parent) {
    setObjectName("FormDateRange");
    setWindowTitle("K730");
    auto* column = new QVBoxLayout(this);
    auto* title = new QLabel(Q(titleText(lang)), this);
    title->setObjectName("LabelSetBounds");
    column->addWidget(title);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(12, 4, 4, 4);
    for (int i = 0; i < 4; ++i) {
        radios_[i] = new QRadioButton(Q(kindTexts[i](lang)), this);
        radios_[i]->setObjectName(kindNames[i]);
        radios_[i]->setAccessibleName(radios_[i]->text());
        grid->addWidget(radios_[i], i, 0, 1, 3);
        connect(radios_[i], &QRadioButton::clicked, this, &TFormDateRange::KindChosen);
    }
    auto dateRow = [&](int row, const char* name, TText caption, TZAKDateEdit*& edit) {
        auto* label = new QLabel(Q(caption(lang)), this);
        label->setObjectName(QString("Label") + name);
        edit = new TZAKDateEdit(this);
        edit->setObjectName(QString("Date") + name);
        edit->setAccessibleName(label->text());
        label->setBuddy(edit->Field(dfDay));
        grid->addWidget(label, row, 1, Qt::AlignRight);
        grid->addWidget(edit, row, 2, Qt::AlignLeft);
    };
    dateRow(4, "From", fromText, DateFrom);
    dateRow(5, "To", toText, DateTo);
    grid->setColumnMinimumWidth(0, 16);
    column->addLayout(grid);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(Q(okText(lang)), QDialogButtonBox::AcceptRole);
    ok->setObjectName("BtnOK");
    ok->setAccessibleName(ok->text());
    auto* cancel = buttons->addButton(Q(cancelText(lang)), QDialogButtonBox::RejectRole);
    cancel->setObjectName("BtnCancel");
    cancel->setAccessibleName(cancel->text());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);

    // An unset bound shows today.
    const double today = std::trunc(NowDays());
    DateFrom->SetValue(filter.from != 0 ? filter.from : today);
    DateTo->SetValue(filter.to != 0 ? filter.to : today);
    DateTo->SetMinimum(DateFrom->Value());
    DateFrom->SetMaximum(DateTo->Value());
    connect(DateFrom, &TZAKDateEdit::Changed, this, [this](double days) { DateTo->SetMinimum(days); });
    connect(DateTo, &TZAKDateEdit::Changed, this, [this](double days) { DateFrom->SetMaximum(days); });
    radios_[filter.kind < 4 ? filter.kind : 0]->setChecked(true);
    KindChosen();
    setFixedSize(sizeHint());
}

void TFormDateRange::KindChosen() {
    const bool custom = radios_[cdCustom]->isChecked();
    DateFrom->setEnabled(custom);
    DateTo->setEnabled(custom);
    if (custom && sender() == radios_[cdCustom]) DateFrom->Field(dfDay)->setFocus();
}

TCalDateFilter TFormDateRange::Filter() const {
    TCalDateFilter f;
    for (uint8_t i = 0; i < 4; ++i)
        if (radios_[i]->isChecked()) f.kind = i;
    f.from = DateFrom->Value();
    f.to = DateTo->Value();
    return f;
}

std::optional<TCalDateFilter> TFormDateRange::Execute(QWidget* parent, const TCalDateFilter& filter,
                                                      TLanguage lang) {
    TFormDateRange dialog(filter, lang, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Filter();
}

} // namespace k730
