#include "service/PageDac.h"
#include "service/ServicePageKit.h"

#include "service/ConstantsEditor.h"
#include "service/ServiceNumbers.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace k730 {

using namespace svcqt;

namespace {

constexpr std::array<const char*, 8> STEPS = {
    "1. Upewnij się, że pętla prądowa urządzenia jest włączona.",
    "2. Sprawdź, czy zaprogramowano współczynniki kalibracji KL i KE.",
    "3. Wpisz wartość wskazywaną przez amperomierz [mA]: ",
    "i użyj klawicza Oblicz: ",
    "4. Użyj klawisza Ustaw.",
    "5. Jeżeli amperomierz wskazuje 4mA z zadowalającą dokładnością,",
    "użyj klawisza Programuj, jeśli nie, wróć do pkt. 3. ",
    "Zaprogramowana zostanie \"wartość odczytana (hex)\".",
};

} // namespace

TPageDac::TPageDac(TConstantsEditor& rules, TQueue queue, QWidget* parent)
    : QWidget(parent), rules_(rules), queue_(std::move(queue)) {
    setObjectName("PageDAC");
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(6);

    labelDACRead_ = MakeLabel(this, "LabelDACRead", "-----");
    grid->addWidget(MakeLabel(this, "LabelStrDACRead", "wartość odczytana (hex):"), 0, 0);
    grid->addWidget(labelDACRead_, 0, 1);
    editDACSet_ = MakeEdit(this, "EditDACSet", "wartość ustawiana (hex):", 5);
    editDACSet_->installEventFilter(this);
    grid->addWidget(Caption(this, "wartość ustawiana (hex):", editDACSet_), 1, 0);
    grid->addWidget(editDACSet_, 1, 1);
    btnDACSet_ = MakeButton(this, "BtnDACSet", "Ustaw");
    grid->addWidget(btnDACSet_, 1, 2);
    grid->addWidget(BuildSteps(), 2, 1, 1, 2);

    auto* steps = new QVBoxLayout;
    for (size_t i = 0; i < STEPS.size(); ++i) {
        auto* label = MakeLabel(this, ("LabelStrStep" + std::to_string(i)).c_str(), STEPS[i]);
        if (i == 2) {
            // The measured current and "Oblicz" follow their instructions on the same lines.
            auto* row = new QHBoxLayout;
            row->addWidget(label);
            editMeasured_ = MakeEdit(this, "EditDACCurrent", STEPS[2], 10);
            row->addWidget(editMeasured_);
            row->addStretch(1);
            steps->addLayout(row);
            continue;
        }
        if (i == 3) {
            auto* row = new QHBoxLayout;
            row->addWidget(label);
            btnCalc_ = MakeButton(this, "BtnCalc", "Oblicz");
            row->addWidget(btnCalc_);
            row->addStretch(1);
            steps->addLayout(row);
            continue;
        }
        steps->addWidget(label);
    }
    btnSetDAC0_ = MakeButton(this, "BtnSetDAC0", "Programuj");
    steps->addWidget(btnSetDAC0_, 0, Qt::AlignLeft);
    grid->addLayout(steps, 3, 0, 1, 4);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(3, 1);

    connect(editDACSet_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int caret = rules_.EditDacSet(S(text), editDACSet_->cursorPosition());
        Render();
        editDACSet_->setCursorPosition(caret);
    });
    connect(editDACSet_, &QLineEdit::editingFinished, this, [this] {
        rules_.LeaveDacSet();
        Render();
    });
    connect(editMeasured_, &QLineEdit::textEdited, this, [this](const QString& text) {
        rules_.EditMeasured(S(text));
        Render();
    });
    connect(btnCalc_, &QPushButton::clicked, this, [this] {
        rules_.Calc();
        Render();
    });
    connect(btnDACSet_, &QPushButton::clicked, this, &TPageDac::SetClicked);
    connect(btnSetDAC0_, &QPushButton::clicked, this, [this] {
        if (queue_) queue_(rules_.ProgramDac0());
    });
    auto* escape = new TEscapeRestore(this);
    escape->Watch(editDACSet_);
    escape->Watch(editMeasured_);
    Render();
}

QWidget* TPageDac::BuildSteps() {
    auto* panel = new QWidget(this);
    panel->setObjectName("PanelDACSteps");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    for (int digit = 4; digit >= 0; --digit) {
        const size_t d = static_cast<size_t>(digit);
        const QString step = QString("0x%1").arg(1u << (4 * digit), 0, 16).toUpper().replace("0X", "0x");
        btnUp_[d] = MakeButton(panel, ("BtnDACUp" + std::to_string(digit)).c_str(), "+");
        btnDown_[d] = MakeButton(panel, ("BtnDACDown" + std::to_string(digit)).c_str(), "−");
        btnUp_[d]->setAccessibleName("+ " + step);
        btnDown_[d]->setAccessibleName("− " + step);
        btnUp_[d]->setToolTip("+ " + step);
        btnDown_[d]->setToolTip("− " + step);
        for (QPushButton* b : {btnUp_[d], btnDown_[d]}) {
            b->setFixedWidth(b->fontMetrics().horizontalAdvance("0") * 2 + 10);
            b->setFocusPolicy(Qt::NoFocus);
        }
        grid->addWidget(btnUp_[d], 0, 4 - digit);
        grid->addWidget(btnDown_[d], 1, 4 - digit);
        connect(btnUp_[d], &QPushButton::clicked, this, [this, digit] {
            rules_.StepDac(digit, true);
            Render();
        });
        connect(btnDown_[d], &QPushButton::clicked, this, [this, digit] {
            rules_.StepDac(digit, false);
            Render();
        });
    }
    grid->setColumnStretch(5, 1);
    return panel;
}

void TPageDac::SetClicked() {
    rules_.LeaveDacSet();
    Render();
    if (queue_) queue_(rules_.SetDac());
}

// Enter in the set box pads it and presses "Ustaw".
bool TPageDac::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editDACSet_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            rules_.LeaveDacSet();
            Render();
            if (btnDACSet_->isEnabled()) SetClicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TPageDac::Render() {
    const auto read = rules_.DacRead();
    SetLabel(labelDACRead_, read ? HexText(*read, 8) : "-----");
    const bool page = rules_.DacEnabled();
    editDACSet_->setEnabled(page);
    editMeasured_->setEnabled(page);
    for (size_t i = 0; i < 5; ++i) {
        btnUp_[i]->setEnabled(page);
        btnDown_[i]->setEnabled(page);
    }
    SetBoxText(editDACSet_, rules_.DacSetBox());
    SetBoxText(editMeasured_, rules_.MeasuredBox());
    btnCalc_->setEnabled(rules_.CanCalc());
    btnDACSet_->setEnabled(rules_.CanSetDac());
    btnSetDAC0_->setEnabled(rules_.CanProgramDac0());
}

} // namespace k730
