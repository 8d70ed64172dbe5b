#include "service/PageCal.h"
#include "service/ServicePageKit.h"

#include "service/ConstantsEditor.h"
#include "service/ServiceNumbers.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>

namespace k730 {

using namespace svcqt;

TPageCal::TPageCal(TConstantsEditor& rules, int language, char decimalSeparator, TQueue queue,
                   TConfirm confirm, QWidget* parent)
    : QWidget(parent), rules_(rules), lang_(language), sep_(decimalSeparator), queue_(std::move(queue)),
      confirm_(std::move(confirm)) {
    setObjectName("PageCAL");
    auto* column = new QGridLayout(this);

    auto* read = new QGroupBox("Odczytane z miernika", this);
    read->setObjectName("GroupCALRead");
    auto* grid = new QGridLayout(read);
    const std::array<std::pair<const char*, const char*>, 4> rows = {
        {{"LabelDAC0", "Wartość DAC dla 4mA:"},
         {"LabelValKE", "Współczynnik KE:"},
         {"LabelValKL", "Współczynnik KL:"},
         {"LabelTCal", "Temperatura kalibracji:"}}};
    std::array<QLabel**, 4> targets = {&labelDAC0_, &labelValKE_, &labelValKL_, &labelTCal_};
    for (size_t i = 0; i < rows.size(); ++i) {
        grid->addWidget(
            MakeLabel(read, (std::string("LabelStr") + (rows[i].first + 5)).c_str(), rows[i].second),
            static_cast<int>(i), 0);
        *targets[i] = MakeLabel(read, rows[i].first, "-----");
        grid->addWidget(*targets[i], static_cast<int>(i), 1);
    }
    grid->setColumnStretch(2, 1);
    column->addWidget(read, 0, 0);

    auto* program = new QGroupBox("Programowanie", this);
    program->setObjectName("GroupCALProgram");
    auto* pg = new QGridLayout(program);
    rbProgramSet_ = new QRadioButton("Programuj ustawione", program);
    rbProgramSet_->setObjectName("RBProgramSet");
    rbProgramSet_->setAccessibleName(rbProgramSet_->text());
    rbProgramDef_ = new QRadioButton(Q(DefaultsCaption(sep_)), program);
    rbProgramDef_->setObjectName("RBProgramDef");
    rbProgramDef_->setAccessibleName(rbProgramDef_->text());
    auto* group = new QButtonGroup(this);
    group->addButton(rbProgramSet_);
    group->addButton(rbProgramDef_);
    pg->addWidget(rbProgramSet_, 0, 0, 1, 3);
    editKE_ = MakeEdit(program, "EditKE", "KE:", 14);
    editKL_ = MakeEdit(program, "EditKL", "KL:", 14);
    btnSqrt2KE_ = MakeButton(program, "BtnSqrt2KE", "√2");
    btnSqrt2KL_ = MakeButton(program, "BtnSqrt2KL", "√2");
    btnSqrt2KE_->setAccessibleName("√2 KE");
    btnSqrt2KL_->setAccessibleName("√2 KL");
    pg->addWidget(Caption(program, "KE:", editKE_), 1, 0);
    pg->addWidget(editKE_, 1, 1);
    pg->addWidget(btnSqrt2KE_, 1, 2);
    pg->addWidget(Caption(program, "KL:", editKL_), 2, 0);
    pg->addWidget(editKL_, 2, 1);
    pg->addWidget(btnSqrt2KL_, 2, 2);
    pg->addWidget(rbProgramDef_, 3, 0, 1, 4);
    btnSetCAL_ = MakeButton(program, "BtnSetCAL", "Programuj");
    pg->addWidget(btnSetCAL_, 4, 1);
    pg->setColumnStretch(3, 1);
    column->addWidget(program, 1, 0);
    column->setRowStretch(2, 1);

    connect(rbProgramSet_, &QRadioButton::clicked, this, [this] {
        rules_.ChooseCal(ccSet);
        Render();
    });
    connect(rbProgramDef_, &QRadioButton::clicked, this, [this] {
        rules_.ChooseCal(ccDefault);
        Render();
    });
    connect(editKE_, &QLineEdit::textEdited, this, [this](const QString& t) {
        rules_.EditKE(S(t));
        Render();
    });
    connect(editKL_, &QLineEdit::textEdited, this, [this](const QString& t) {
        rules_.EditKL(S(t));
        Render();
    });
    connect(btnSqrt2KE_, &QPushButton::clicked, this, [this] {
        rules_.Sqrt2KE();
        Render();
    });
    connect(btnSqrt2KL_, &QPushButton::clicked, this, [this] {
        rules_.Sqrt2KL();
        Render();
    });
    connect(btnSetCAL_, &QPushButton::clicked, this, &TPageCal::SetCalClicked);
    auto* escape = new TEscapeRestore(this);
    escape->Watch(editKE_);
    escape->Watch(editKL_);
    Render();
}

void TPageCal::SetCalClicked() {
    const auto constants = rules_.CalToProgram();
    if (!constants) return;
    const QFontMetrics metrics = fontMetrics();
    const std::string question =
        CalProgramQuestion(*constants, lang_, sep_,
                           [metrics](const std::string& text) { return metrics.horizontalAdvance(Q(text)); });
    if (confirm_ && !confirm_(question)) return;
    if (queue_) queue_(CalProgramItems(*constants));
}

void TPageCal::Render() {
    const auto& read = rules_.ReadConstants();
    SetLabel(labelDAC0_, read ? "0x" + HexText(read->Dac0, 8) : "-----");
    SetLabel(labelValKE_, read ? FixedText(read->KE, 7, sep_) : "-----");
    SetLabel(labelValKL_, read ? FixedText(read->KL, 7, sep_) : "-----");
    SetLabel(labelTCal_,
             read ? SignedTemperatureText(static_cast<int16_t>(read->CalTemp & 0xFFFF), sep_) : "-----");
    const bool page = rules_.CalPageEnabled();
    const bool choice = page && rules_.CalChoiceEnabled(); // radios, factor boxes and √2 buttons
    for (QWidget* w : std::initializer_list<QWidget*>{rbProgramSet_, rbProgramDef_, editKE_, editKL_,
                                                      btnSqrt2KE_, btnSqrt2KL_})
        w->setEnabled(choice);
    rbProgramSet_->setChecked(rules_.CalChoice() == ccSet);
    rbProgramDef_->setChecked(rules_.CalChoice() == ccDefault);
    SetBoxText(editKE_, rules_.KEBox());
    SetBoxText(editKL_, rules_.KLBox());
    btnSetCAL_->setEnabled(rules_.CanSetCal());
}

} // namespace k730
