#include "calibration/K730CAL.h"

#include "calibration/CalOpening.h"
#include "calibration/CalTexts.h"
#include "calibration/K730SaveCAL.h"
#include "files/K730Disk.h"
#include "files/K730DiskRules.h"
#include "ui/ConfBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace k730 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

unsigned StyleOf(TMessageIcon icon) {
    return icon == miWarning ? MB_ICONWARNING : MB_ICONINFORMATION;
}

QString Fill(TText pattern, TLanguage lang, std::string_view arg) {
    return Q(FillText(pattern(lang), {arg}));
}

} // namespace

TFormCAL::TFormCAL(uint8_t meterKind, uint8_t lumMode, TLanguage lang, char decimal, ICalLink& link,
                   TCalMemory& memory, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), lang_(lang), decimal_(decimal),
      memory_(memory), mainWindow_(mainWindow) {
    setObjectName("FormCAL");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("K730 " + Q(calCaption(lang)));
    wizard_ = std::make_unique<TCalWizard>(meterKind, lumMode, lang, decimal, link, memory, *this);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    client_ = new QWidget(this);
    outer->addWidget(client_);
    auto* column = new QVBoxLayout(client_);
    column->setContentsMargins(12, 10, 12, 10);
    column->setSpacing(8);
    LabelHeader = NewLabel("LabelHeader", {});
    QFont bold = LabelHeader->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    LabelHeader->setFont(bold);
    LabelHeader->setFrameShape(QFrame::StyledPanel);
    LabelHeader->setMargin(6);
    column->addWidget(LabelHeader);
    PageCAL = new QStackedWidget(client_);
    PageCAL->setObjectName("PageCAL");
    BuildStep1();
    BuildStep2();
    column->addWidget(PageCAL, 1);
    auto* bevel = new QFrame(client_);
    bevel->setObjectName("BevelButtons");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    column->addWidget(bevel);
    column->addWidget(BuildButtons());

    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (old == EditE0 && now == EditIL) wizard_->LeaveE0();
    });
}

TFormCAL::~TFormCAL() {
    // The controls go with the QWidget part, moving the focus as they go.
    disconnect(focusWatch_);
    CloseMessages();
    if (OnDestroyed) OnDestroyed();
}

QLabel* TFormCAL::NewLabel(const char* name, const QString& text) {
    auto* label = new QLabel(text, client_);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* TFormCAL::NewButton(const char* name, TText caption) {
    auto* button = new QPushButton(Q(caption(lang_)), client_);
    button->setObjectName(name);
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
    return button;
}

QLineEdit* TFormCAL::NewEdit(const char* name, TCalField field, const QString& label) {
    auto* edit = new QLineEdit(client_);
    edit->setObjectName(name);
    edit->setAccessibleName(label);
    // As wide as the text "0,0000000E-00" plus 6 pixels, inside the field's frame.
    const int frame = 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    edit->setFixedWidth(TextWidth(edit->font(), "0,0000000E-00") + 6 + frame);
    // Both marks become the locale's separator as they are typed; the caret stays.
    connect(edit, &QLineEdit::textEdited, this, [this, edit, field](const QString& text) {
        const std::string fixed = WithDecimalSeparator(text.toStdString(), decimal_);
        if (Q(fixed) != text) {
            const int caret = edit->cursorPosition();
            edit->setText(Q(fixed));
            edit->setCursorPosition(caret);
        }
        wizard_->EditChanged(field, fixed);
    });
    connect(edit, &QLineEdit::returnPressed, this, [this, field] { EditEnter(field); });
    return edit;
}

// A page of the wizard: its lines stacked in one column of a grid.
QGridLayout* TFormCAL::NewPage(const char* name) {
    auto* page = new QWidget(client_);
    page->setObjectName(name);
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(4, 8, 4, 4);
    grid->setVerticalSpacing(2);
    PageCAL->addWidget(page);
    return grid;
}

// An entry field indented under its prompt, with its unit beside it.
QHBoxLayout* TFormCAL::EntryRow(QLineEdit* edit, const char* unitName, const QString& unit) {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(16, 4, 0, 10);
    row->addWidget(edit);
    row->addSpacing(4);
    row->addWidget(NewLabel(unitName, unit));
    return row;
}

void TFormCAL::BuildStep1() {
    QGridLayout* grid = NewPage("PageStep1");
    const QString prompt = Q(calDac0Prompt(lang_));
    grid->addWidget(NewLabel("LabelStrDAC0", prompt), 0, 0);
    grid->addWidget(NewLabel("LabelStrDAC0Press", "    " + Q(calDac0Press(lang_))), 1, 0);
    EditDAC0 = NewEdit("EditDAC0", cfDac0, prompt);
    BtnApplyDAC0 = NewButton("BtnApplyDAC0", calBtnApply);
    connect(BtnApplyDAC0, &QPushButton::clicked, this, [this] { wizard_->ApplyDac0(); });
    QHBoxLayout* row = EntryRow(EditDAC0, "LabelDAC0Unit", Q(calMilliampere));
    row->addSpacing(8);
    row->addWidget(BtnApplyDAC0);
    row->addStretch();
    grid->addLayout(row, 2, 0);
    grid->addWidget(NewLabel("LabelStrDAC0Check", Q(calDac0Check(lang_))), 3, 0);
    grid->addWidget(NewLabel("LabelStrDAC0Next", "    " + Q(calDac0Next(lang_))), 4, 0);
    grid->setRowStretch(5, 1);
}

void TFormCAL::BuildStep2() {
    QGridLayout* grid = NewPage("PageStep2");
    const TCalQuantity& quantity = CalQuantity(wizard_->MeterKind(), wizard_->LumMode());
    const QString refPrompt = Fill(calRefPrompt, lang_, quantity.name(lang_));
    grid->addWidget(NewLabel("LabelStrE0", refPrompt), 0, 0);
    grid->addWidget(NewLabel("LabelStrE0Place", "    " + Q(calRefPlace(lang_))), 1, 0);
    EditE0 = NewEdit("EditE0", cfE0, refPrompt + " " + Q(calRefPlace(lang_)));
    QHBoxLayout* refRow = EntryRow(EditE0, "LabelE0Unit", Q(quantity.unit));
    refRow->addStretch();
    grid->addLayout(refRow, 2, 0);
    const QString ilPrompt = Q(calIlPrompt(lang_));
    grid->addWidget(NewLabel("LabelStrIL", ilPrompt), 3, 0);
    EditIL = NewEdit("EditIL", cfIL, ilPrompt);
    QHBoxLayout* ilRow = EntryRow(EditIL, "LabelILUnit", Q(calMilliampere));
    ilRow->addStretch();
    grid->addLayout(ilRow, 4, 0);
    BtnApplyCAL = NewButton("BtnApplyCAL", calBtnApply);
    connect(BtnApplyCAL, &QPushButton::clicked, this, [this] { wizard_->ApplyCal(); });
    auto* applyRow = new QHBoxLayout;
    applyRow->setContentsMargins(0, 0, 0, 10);
    applyRow->addWidget(NewLabel("LabelStrApply", Fill(calApplyPrompt, lang_, calBtnApply(lang_))));
    applyRow->addWidget(BtnApplyCAL);
    applyRow->addStretch();
    grid->addLayout(applyRow, 5, 0);
    LabelExpect = NewLabel("LabelExpect", {});
    LabelExpect->setTextFormat(Qt::RichText);
    grid->addWidget(LabelExpect, 6, 0);
    grid->addWidget(NewLabel("LabelStrExpectSave", "    " + Fill(calExpectSave, lang_, calBtnSave(lang_))), 7,
                    0);
    grid->setRowStretch(8, 1);
}

QWidget* TFormCAL::BuildButtons() {
    auto* bar = new QWidget(client_);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    BtnBack = NewButton("BtnBack", calBtnBack);
    BtnNext = NewButton("BtnNext", calBtnNext);
    BtnSave = NewButton("BtnSave", calBtnSave);
    BtnCancel = NewButton("BtnCancel", calBtnCancel);
    row->addStretch();
    for (QPushButton* b : {BtnBack, BtnNext, BtnSave, BtnCancel}) {
        b->setMinimumWidth(80);
        row->addWidget(b);
    }
    connect(BtnBack, &QPushButton::clicked, this, [this] { wizard_->Back(); });
    connect(BtnNext, &QPushButton::clicked, this, [this] { wizard_->Next(); });
    connect(BtnSave, &QPushButton::clicked, this, &TFormCAL::SaveClicked);
    connect(BtnCancel, &QPushButton::clicked, this, &QWidget::close);
    return bar;
}

void TFormCAL::Start() {
    Changed();
    adjustSize();
    QSize size = sizeHint();
    if (mainWindow_) size.setHeight(std::max(size.height(), mainWindow_->frameGeometry().height()));
    setFixedSize(size);
    PlaceBesideMain();
    show();
    wizard_->Open();
}

void TFormCAL::PlaceBesideMain() {
    if (!mainWindow_) return;
    const QScreen* screen = mainWindow_->screen();
    if (!screen) return;
    const QRect work = screen->availableGeometry();
    const QRect main = mainWindow_->frameGeometry();
    const QMargins frame =
        frameGeometry().size() == size()
            ? QMargins()
            : QMargins(geometry().x() - frameGeometry().x(), geometry().y() - frameGeometry().y(), 0, 0);
    const TCalPlacement p = PlaceWizard({work.x(), work.y(), work.width(), work.height()},
                                        {main.x(), main.y(), main.width(), main.height()},
                                        {width() + frame.left(), height() + frame.top()});
    if (p.mainX != main.x()) mainWindow_->move(p.mainX, main.y());
    move(p.wizard.x, p.wizard.y);
}

QLineEdit* TFormCAL::Edit(TCalField field) const {
    return field == cfDac0 ? EditDAC0 : field == cfE0 ? EditE0 : EditIL;
}

void TFormCAL::EditEnter(TCalField field) {
    switch (field) {
    case cfDac0:
        EditDAC0->selectAll();
        if (wizard_->ControlsEnabled() && wizard_->Buttons().applyDac0) wizard_->ApplyDac0();
        break;
    case cfE0:
        wizard_->EnterE0();
        break;
    case cfIL:
        wizard_->ApplyCal();
        break;
    }
}

void TFormCAL::Changed() {
    const TCalStep step = wizard_->Step();
    LabelHeader->setText(Q(calStepTitle[step](lang_)));
    PageCAL->setCurrentIndex(step);
    const bool enabled = wizard_->ControlsEnabled();
    const TCalButtons b = wizard_->Buttons();
    for (QLineEdit* edit : {EditDAC0, EditE0, EditIL})
        edit->setEnabled(enabled);
    BtnApplyDAC0->setEnabled(enabled && b.applyDac0);
    BtnApplyCAL->setEnabled(enabled && b.applyCal);
    BtnNext->setEnabled(b.next);
    BtnBack->setEnabled(b.back);
    BtnSave->setEnabled(b.save);
    for (TCalField field : {cfDac0, cfE0, cfIL}) {
        const QString text = Q(wizard_->Text(field));
        if (Edit(field)->text() != text) Edit(field)->setText(text);
    }
    LabelExpect->setText(Q(calExpectPrompt(lang_)).toHtmlEscaped() + "<b>" +
                         (Q(wizard_->ExpectedCurrent()) + " " + Q(calMilliampere)).toHtmlEscaped() + "</b>");
    if (pendingFocus_ && enabled && isVisible()) {
        QLineEdit* edit = Edit(*pendingFocus_);
        pendingFocus_.reset();
        edit->setFocus();
        edit->selectAll();
    }
}

void TFormCAL::Focus(TCalField field) {
    pendingFocus_ = field; // shown with the page, once the page is current
}

void TFormCAL::SaveClicked() {
    if (!wizard_->SaveValues()) return;
    const QPointer<TFormCAL> self(this);
    const auto choice = TFormSaveCAL::Execute(this, Q(wizard_->SaveQuestion()), MB_ICONQUESTION,
                                              memory_.AddToHistoryDefault, Q(memory_.LastCommentText), lang_);
    // The meter may have been changed while the dialog was open; then the wizard is gone.
    if (self && choice) wizard_->Save(*choice);
}

void TFormCAL::ShowMessage(const TCalMessage& message) {
    const QString text = Q(message.text);
    const unsigned style = StyleOf(message.icon);
    if (message.modal) {
        // Raised while an answer is processed: shown once the processing is over.
        // Owned by the main window, so that closing the wizard meanwhile cannot take it along.
        QTimer::singleShot(0, this, [this, text, style] { ConfMessage(mainWindow_, text, "K730", style); });
        return;
    }
    if (!client_->isEnabled() || boxes_.isEmpty()) activeControl_ = QApplication::focusWidget();
    TConfirmForm* box = ConfShowModeless(this, text, "K730", style, false, true);
    boxes_.append(box);
    client_->setEnabled(false);
    connect(box, &QDialog::finished, this, [this, box] {
        boxes_.removeAll(box);
        MessageClosed();
    });
}

void TFormCAL::MessageClosed() {
    boxes_.removeIf([](const QPointer<TConfirmForm>& box) { return box.isNull() || !box->isVisible(); });
    if (!boxes_.isEmpty()) return;
    client_->setEnabled(true);
    if (activeControl_ && activeControl_->isVisible()) activeControl_->setFocus();
}

void TFormCAL::CloseMessages() {
    for (const QPointer<TConfirmForm>& box : boxes_)
        if (box) box->close();
}

void TFormCAL::closeEvent(QCloseEvent* event) {
    CloseMessages();
    QWidget::closeEvent(event);
}

} // namespace k730
