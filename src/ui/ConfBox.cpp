// The confirmation dialog on Qt Widgets. The arithmetic lives in ConfLayout;
// this file measures texts, creates the controls and applies the layout.
#include "ui/ConfBox.h"

#include "files/K730Disk.h"
#include "main/K730Fun.h"
#include "ui/AccessibleNames.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace k730 {
namespace {

// The dialog module's settings; main thread only.
struct TConfModule {
    int language = langPolish;
    bool centreOverOwner = false;
};

TConfModule& Module() {
    static TConfModule module;
    return module;
}

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Buttons and check boxes treat '&' as a mnemonic mark; the label shows plain text.
QString Escaped(const QString& text) {
    return Q(EscapeAmpersands(text.toStdString()));
}

QStyle::StandardPixmap PixmapFor(TConfIcon icon) {
    switch (icon) {
    case ciStop:
        return QStyle::SP_MessageBoxCritical;
    case ciExclamation:
        return QStyle::SP_MessageBoxWarning;
    case ciInformation:
        return QStyle::SP_MessageBoxInformation;
    default:
        return QStyle::SP_MessageBoxQuestion;
    }
}

constexpr int ICON_SIZE = 32;
constexpr int BUTTON_HEIGHT = 25;

TConfSize ItemSize(const QAbstractButton* item, const QString& caption) {
    const int byRule = item->fontMetrics().horizontalAdvance(" " + caption) + CheckBoxGlyphWidth();
    const QSize hint = item->sizeHint();
    return {std::max(byRule, hint.width()), hint.height()};
}

void SetRect(QWidget* widget, const TConfRect& r) {
    widget->setGeometry(r.x, r.y, r.w, r.h);
}

} // namespace

void ConfSetLanguage(int lang) {
    Module().language = lang == langEnglish ? langEnglish : langPolish;
}
int ConfLanguage() {
    return Module().language;
}
void ConfSetCentreOverOwner(bool on) {
    Module().centreOverOwner = on;
}
bool ConfCentreOverOwner() {
    return Module().centreOverOwner;
}

TConfirmForm::TConfirmForm(QWidget* owner, const QString& text, const QString& title, unsigned style,
                           TConfMode mode, int lang)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      owner_(owner), mode_(NormalisedMode(mode)), lang_(lang), style_(style), icon_(ConfIconForStyle(style)) {
    setObjectName("ConfirmForm");
    setWindowTitle(title);
    CreateControls(text);
    ApplyCaptions();
}

void TConfirmForm::CreateControls(const QString& text) {
    ImageIcon = new QLabel(this);
    ImageIcon->setObjectName("ImageIcon");
    ImageIcon->setPixmap(style()->standardIcon(PixmapFor(icon_), nullptr, this).pixmap(ICON_SIZE, ICON_SIZE));
    LabelTxt = new QLabel(this);
    LabelTxt->setObjectName("LabelTxt");
    LabelTxt->setTextFormat(Qt::PlainText); // "&" prints as itself
    LabelTxt->setWordWrap(true);
    LabelTxt->setText(QString(text).replace("\r\n", "\n"));

    auto button = [this](const char* name, uint8_t code) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, [this, code] { Finish(code); });
        return b;
    };
    BtnYes = button("BtnYes", mode_.okCancel ? crOk : crYes);
    BtnNo = button("BtnNo", mode_.okCancel ? crCancel : crNo);
    BtnSkip = button("BtnSkip", crSkip);
    BtnYesAll = button("BtnYesAll", crYesAll);
    BtnNoAll = button("BtnNoAll", crNoAll);
    BtnCancel = button("BtnCancel", crCancel);
    CheckBox = new QCheckBox(this);
    CheckBox->setObjectName("CheckBox");
    CheckBox->hide();
}

void TConfirmForm::ApplyCaptions() {
    const bool ok = mode_.okCancel || mode_.singleButton;
    BtnYes->setText(Q(ok ? CAPTION_OK(lang_) : CAPTION_YES(lang_)));
    BtnNo->setText(Q(mode_.okCancel ? CAPTION_CANCEL(lang_) : CAPTION_NO(lang_)));
    BtnSkip->setText(Q(CAPTION_SKIP(lang_)));
    BtnYesAll->setText(Q(CAPTION_YES_ALL(lang_)));
    BtnNoAll->setText(Q(CAPTION_NO_ALL(lang_)));
    BtnCancel->setText(Q(CAPTION_CANCEL(lang_)));
}

void TConfirmForm::SetOptions(const QStringList& options, int* selectedIndex) {
    *selectedIndex = ClampChoiceIndex(*selectedIndex, static_cast<int>(options.size()));
    for (int i = 0; i < options.size(); ++i) {
        auto* rb = new QRadioButton(Escaped(options[i]), this);
        rb->setObjectName(QString("RBOption%1").arg(i));
        rb->setChecked(i == *selectedIndex);
        connect(rb, &QRadioButton::clicked, this, [selectedIndex, i] { *selectedIndex = i; });
        radios_.append(rb);
    }
}

void TConfirmForm::SetChecks(const QStringList& captions, uint32_t* mask) {
    const int count = std::min(static_cast<int>(captions.size()), 32);
    for (int i = 0; i < count; ++i) {
        auto* box = new QCheckBox(Escaped(captions[i]), this);
        box->setObjectName(QString("ChBOption%1").arg(i));
        const uint32_t bit = uint32_t{1} << i;
        box->setChecked((*mask & bit) != 0);
        connect(box, &QCheckBox::clicked, this,
                [mask, bit](bool on) { *mask = on ? (*mask | bit) : (*mask & ~bit); });
        checks_.append(box);
    }
}

void TConfirmForm::SetCheckBox(const QString& text, bool checked) {
    CheckBox->setText(Escaped(text));
    CheckBox->setChecked(checked);
    checkBoxUsed_ = true;
}

void TConfirmForm::SetDefaultButton(int button) {
    defaultButton_ = ClampDefaultButton(button);
}

bool TConfirmForm::CheckBoxChecked() const {
    return CheckBox->isChecked();
}

TConfLayoutInput TConfirmForm::Measure() const {
    TConfLayoutInput in;
    in.mode = mode_;
    in.icon = {ICON_SIZE, ICON_SIZE};
    in.buttonHeight = std::max(BUTTON_HEIGHT, BtnYes->sizeHint().height());
    const QFontMetrics fm = LabelTxt->fontMetrics();
    int width = 0;
    for (const QString& line : LabelTxt->text().split('\n'))
        width = std::max(width, fm.horizontalAdvance(line));
    width += 1; // rounding of the advance must not wrap the widest line
    // A line wider than most of the screen wraps instead of running off it.
    const QScreen* screen = owner_ ? owner_->screen() : QGuiApplication::primaryScreen();
    const int widest = screen ? screen->availableGeometry().width() * 2 / 3 : 1000;
    width = std::min(width, std::max(widest, 200));
    in.text = {width, LabelTxt->heightForWidth(width)};
    for (const QRadioButton* rb : radios_)
        in.radios.push_back(ItemSize(rb, rb->text()));
    for (const QCheckBox* box : checks_)
        in.checks.push_back(ItemSize(box, box->text()));
    if (checkBoxUsed_) in.checkBox = ItemSize(CheckBox, CheckBox->text());
    return in;
}

void TConfirmForm::ApplyLayout() {
    const TConfLayout& l = layout_;
    SetRect(ImageIcon, l.icon);
    SetRect(LabelTxt, l.label);
    SetRect(BtnYes, l.yes);
    SetRect(BtnNo, l.no);
    SetRect(BtnSkip, l.skip);
    SetRect(BtnYesAll, l.yesAll);
    SetRect(BtnNoAll, l.noAll);
    SetRect(BtnCancel, l.cancel);
    BtnNo->setVisible(l.showNo);
    BtnSkip->setVisible(l.showSkip);
    BtnCancel->setVisible(l.showCancel);
    BtnYesAll->setVisible(l.showAll);
    BtnNoAll->setVisible(l.showAll);
    for (int i = 0; i < radios_.size(); ++i)
        SetRect(radios_[i], l.radios[i]);
    for (int i = 0; i < checks_.size(); ++i)
        SetRect(checks_[i], l.checks[i]);
    CheckBox->setVisible(checkBoxUsed_);
    if (checkBoxUsed_) SetRect(CheckBox, l.checkBox);
    setFixedSize(l.clientWidth, l.clientHeight);
}

void TConfirmForm::PlaceOnScreen() {
    const QScreen* screen = owner_ ? owner_->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect work = screen->availableGeometry();
    std::optional<TConfRect> owner;
    if (ConfCentreOverOwner() && owner_ && !owner_->window()->isMinimized()) {
        const QRect r = owner_->window()->frameGeometry();
        owner = TConfRect{r.x(), r.y(), r.width(), r.height()};
    }
    const TConfRect placed = PlaceDialog({work.x(), work.y(), work.width(), work.height()}, owner,
                                         {layout_.clientWidth, layout_.clientHeight});
    move(placed.x, placed.y);
}

void TConfirmForm::Arrange() {
    layout_ = LayoutConfirm(Measure());
    ApplyLayout();
    ApplyAccessibleNames(this); // the captions are final once the dialog is arranged
    PlaceOnScreen();
    QPushButton* focus = (defaultButton_ == 1 && layout_.showNo) ? BtnNo : BtnYes;
    focus->setDefault(true);
    focus->setFocus();
    QApplication::beep();
}

void TConfirmForm::Finish(uint8_t result) {
    result_ = result;
    done(QDialog::Accepted);
}

namespace {

TConfMode Mode(bool allButtons, bool singleButton, bool yesNo = false, bool okCancel = false) {
    TConfMode mode;
    mode.allButtons = allButtons;
    mode.singleButton = singleButton;
    mode.yesNo = yesNo;
    mode.okCancel = okCancel;
    return mode;
}

uint8_t RunModal(TConfirmForm& form) {
    form.Arrange();
    form.exec();
    return form.Result();
}

// Yes/No or OK/Cancel with an optional check box; the result code.
uint8_t AskTwo(QWidget* owner, const QString& text, const QString& title, unsigned style, bool okCancel,
               int defaultButton, bool* checked, const QString& checkText) {
    TConfirmForm form(owner, text, title, style, Mode(false, false, true, okCancel), ConfLanguage());
    form.SetDefaultButton(defaultButton);
    if (checked) form.SetCheckBox(checkText, *checked);
    const uint8_t result = RunModal(form);
    if (checked && ConfCheckWrittenBack(form.Mode(), result)) *checked = form.CheckBoxChecked();
    return result;
}

} // namespace

int ConfAsk(QWidget* owner, const QString& text, const QString& title, unsigned style, bool allButtons,
            bool singleButton) {
    TConfirmForm form(owner, text, title, style, Mode(allButtons, singleButton), ConfLanguage());
    return RunModal(form);
}

int ConfAskTracked(QWidget* owner, QPointer<TConfirmForm>& slot, const QString& text, unsigned style,
                   bool allButtons, bool singleButton, const QString& title) {
    TConfirmForm form(owner, text, title, style, Mode(allButtons, singleButton), ConfLanguage());
    slot = &form;
    const uint8_t result = RunModal(form);
    slot = nullptr;
    return result;
}

unsigned ConfStyle(TMessageStyle style) {
    switch (style) {
    case msWarning:
        return MB_ICONWARNING;
    case msQuestion:
        return MB_ICONQUESTION;
    default:
        return MB_ICONINFORMATION;
    }
}

bool ConfMessage(QWidget* owner, const QString& text, const QString& title, unsigned style) {
    return ConfAsk(owner, text, title, style, false, true) == crYes;
}

bool ConfYesNo(QWidget* owner, const QString& text, const QString& title, unsigned style) {
    return ConfYesNoDefault(owner, text, title, style, 0);
}

bool ConfYesNoDefault(QWidget* owner, const QString& text, const QString& title, unsigned style,
                      int defaultButton) {
    return AskTwo(owner, text, title, style, false, defaultButton, nullptr, {}) == crYes;
}

bool ConfYesNoCheck(QWidget* owner, const QString& text, const QString& title, unsigned style, bool& checked,
                    int defaultButton, const QString& checkText) {
    return AskTwo(owner, text, title, style, false, defaultButton, &checked, checkText) == crYes;
}

bool ConfYesNoCode(QWidget* owner, const QString& text, const QString& title, int& resultOut,
                   unsigned style) {
    resultOut = AskTwo(owner, text, title, style, false, 0, nullptr, {});
    return resultOut == crYes;
}

bool ConfOkCancel(QWidget* owner, const QString& text, const QString& title, unsigned style,
                  int defaultButton) {
    return AskTwo(owner, text, title, style, true, defaultButton, nullptr, {}) == crOk;
}

bool ConfOkCancelCheck(QWidget* owner, const QString& text, const QString& title, unsigned style,
                       bool& checked, int defaultButton, const QString& checkText) {
    return AskTwo(owner, text, title, style, true, defaultButton, &checked, checkText) == crOk;
}

bool ConfAskAllCheck(QWidget* owner, const QString& text, const QString& title, unsigned style, bool& checked,
                     bool allButtons, bool singleButton, const QString& checkText) {
    TConfirmForm form(owner, text, title, style, Mode(allButtons, singleButton), ConfLanguage());
    form.SetCheckBox(checkText, checked);
    const uint8_t result = RunModal(form);
    if (result != crCancel) checked = form.CheckBoxChecked();
    return result == crYes || result == crYesAll;
}

bool ConfChoice(QWidget* owner, const QString& text, const QString& title, unsigned style, int defaultButton,
                int& selectedIndex, const QStringList& options) {
    const int onEntry = selectedIndex;
    TConfirmForm form(owner, text, title, style, Mode(false, false, true, true), ConfLanguage());
    form.SetDefaultButton(defaultButton);
    form.SetOptions(options, &selectedIndex);
    const bool ok = RunModal(form) == crOk;
    if (!ok) selectedIndex = onEntry;
    return ok;
}

TConfirmForm* ConfShowModeless(QWidget* owner, const QString& text, const QString& title, unsigned style,
                               bool allButtons, bool singleButton) {
    auto* form = new TConfirmForm(owner, text, title, style, Mode(allButtons, singleButton), ConfLanguage());
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->Arrange();
    form->show();
    return form;
}

} // namespace k730
