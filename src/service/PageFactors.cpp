#include "service/PageFactors.h"
#include "service/ServicePageKit.h"

#include "service/ConstantsEditor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>

namespace k730 {

using namespace svcqt;

namespace {

constexpr std::array<const char*, 3> RF_EDITS = {"EditRF0", "EditRF1", "EditRF2"};
constexpr std::array<const char*, 3> RF_READ = {"LabelReadRF0", "LabelReadRF1", "LabelReadRF2"};
constexpr std::array<const char*, 3> CALC_EDITS = {"EditRReq", "EditRCur", "EditRSwitch"};
constexpr std::array<const char*, 3> CALC_CAPTIONS = {
    "Rezystancja wymagana [Ω]:", "Rezystancja rzeczywista [Ω]:", "Rezystancja przełącznika [Ω]:"};

} // namespace

TPageFactors::TPageFactors(TConstantsEditor& rules, TQueue queue, QWidget* parent)
    : QWidget(parent), rules_(rules), queue_(std::move(queue)) {
    setObjectName("PageFACTORS");
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(8);
    BuildFactors(grid);
    BuildCalculator(grid);
    BuildTempCoefficient(grid);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);
    SetRangeTexts({});
    auto* escape = new TEscapeRestore(this);
    for (QLineEdit* edit :
         {editRF_[0], editRF_[1], editRF_[2], editCalc_[0], editCalc_[1], editCalc_[2], editValTC_})
        escape->Watch(edit);
    Render();
}

void TPageFactors::BuildFactors(QGridLayout* outer) {
    auto* box = new QGroupBox("Współczynniki korekcji zakresów", this);
    box->setObjectName("GroupRF");
    auto* grid = new QGridLayout(box);
    for (size_t i = 0; i < 3; ++i) {
        const QString caption = QString("Zakres %1:").arg(i + 1);
        editRF_[i] = MakeEdit(box, RF_EDITS[i], caption, 12);
        grid->addWidget(Caption(box, caption, editRF_[i]), static_cast<int>(i), 0);
        grid->addWidget(editRF_[i], static_cast<int>(i), 1);
        labelReadRF_[i] = MakeLabel(box, RF_READ[i]);
        grid->addWidget(labelReadRF_[i], static_cast<int>(i), 2);
        connect(editRF_[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
            rules_.EditRangeFactor(static_cast<int>(i), S(text));
            Render();
        });
    }
    btnSetKRange_ = MakeButton(box, "BtnSetKRange", "Programuj");
    grid->addWidget(btnSetKRange_, 3, 1);
    grid->addWidget(MakeLabel(box, "LabelStrRFLimits", "(0,9 … 1,1)"), 3, 2);
    grid->setColumnStretch(3, 1);
    connect(btnSetKRange_, &QPushButton::clicked, this, [this] {
        if (queue_) queue_(rules_.SetRangeFactors());
    });
    outer->addWidget(box, 0, 0, 1, 2);
}

void TPageFactors::BuildCalculator(QGridLayout* outer) {
    auto* box = new QGroupBox("KALKULATOR", this);
    box->setObjectName("GroupCalc");
    auto* grid = new QGridLayout(box);
    for (size_t i = 0; i < 3; ++i) {
        editCalc_[i] = MakeEdit(box, CALC_EDITS[i], CALC_CAPTIONS[i], 12);
        grid->addWidget(Caption(box, CALC_CAPTIONS[i], editCalc_[i]), static_cast<int>(i), 0);
        grid->addWidget(editCalc_[i], static_cast<int>(i), 1);
        connect(editCalc_[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
            rules_.EditCalculator(static_cast<int>(i), S(text));
            Render();
        });
    }
    editRangeFactor_ = MakeEdit(box, "EditRangeFactor", "Współczynnik:", 16);
    editRangeFactor_->setReadOnly(true);
    grid->addWidget(Caption(box, "Współczynnik:", editRangeFactor_), 3, 0);
    grid->addWidget(editRangeFactor_, 3, 1);
    cbRFPaste_ = new QComboBox(box);
    cbRFPaste_->setObjectName("CBRFPaste");
    cbRFPaste_->setAccessibleName("Wklej do:");
    grid->addWidget(Caption(box, "Wklej do:", cbRFPaste_), 4, 0);
    grid->addWidget(cbRFPaste_, 4, 1);
    btnRFPaste_ = MakeButton(box, "BtnRFPaste", "Wklej");
    grid->addWidget(btnRFPaste_, 4, 2);
    grid->setColumnStretch(3, 1);
    connect(cbRFPaste_, &QComboBox::activated, this, [this](int index) {
        rules_.ChoosePasteTarget(index);
        Render();
    });
    connect(btnRFPaste_, &QPushButton::clicked, this, [this] {
        rules_.Paste();
        Render();
    });
    outer->addWidget(box, 1, 0, 1, 2);
}

void TPageFactors::BuildTempCoefficient(QGridLayout* outer) {
    auto* box = new QGroupBox("Współczynnik temperaturowy [%/K]", this);
    box->setObjectName("GroupTC");
    auto* grid = new QGridLayout(box);
    labelValTC_ = MakeLabel(box, "LabelValTC");
    grid->addWidget(MakeLabel(box, "LabelStrValTC", "Odczytany:"), 0, 0);
    grid->addWidget(labelValTC_, 0, 1);
    editValTC_ = MakeEdit(box, "EditValTC", "Ustawiany:", 12);
    grid->addWidget(Caption(box, "Ustawiany:", editValTC_), 1, 0);
    grid->addWidget(editValTC_, 1, 1);
    btnSetTC_ = MakeButton(box, "BtnSetTC", "Programuj");
    grid->addWidget(btnSetTC_, 1, 2);
    grid->setColumnStretch(3, 1);
    connect(editValTC_, &QLineEdit::textEdited, this, [this](const QString& text) {
        rules_.EditTempCoefficient(S(text));
        Render();
    });
    connect(btnSetTC_, &QPushButton::clicked, this, [this] {
        if (queue_) queue_(rules_.SetTempCoefficient());
    });
    outer->addWidget(box, 2, 0, 1, 2);
}

void TPageFactors::SetRangeTexts(const std::array<std::string, 3>& texts) {
    const int current = cbRFPaste_->currentIndex();
    cbRFPaste_->clear();
    for (size_t i = 0; i < 3; ++i)
        cbRFPaste_->addItem(texts[i].empty() ? QString("Zakres %1").arg(i + 1) : Q(texts[i]));
    cbRFPaste_->setCurrentIndex(current);
}

void TPageFactors::Render() {
    const bool factors = rules_.FactorsEnabled();
    for (size_t i = 0; i < 3; ++i) {
        SetBoxText(editRF_[i], rules_.RangeFactorBoxes()[i]);
        editRF_[i]->setEnabled(factors);
        const auto read = rules_.ReadFactorText(static_cast<int>(i));
        SetLabel(labelReadRF_[i], read.value_or(""));
        labelReadRF_[i]->setVisible(read.has_value());
        SetBoxText(editCalc_[i], rules_.CalculatorBoxes()[i]);
    }
    btnSetKRange_->setEnabled(rules_.CanSetRangeFactors());
    SetBoxText(editRangeFactor_, rules_.FactorText());
    btnRFPaste_->setEnabled(rules_.CanPaste());
    SetLabel(labelValTC_, rules_.ReadTempCoefficientText().value_or("-----"));
    SetBoxText(editValTC_, rules_.TempCoefficientBox());
    editValTC_->setEnabled(rules_.TempCoefficientEnabled());
    btnSetTC_->setEnabled(rules_.CanSetTempCoefficient());
}

} // namespace k730
