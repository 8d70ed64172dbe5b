#include "main/K730Main.h"

#include "main/K730FrameDisplay.h"
#include "main/K730Fun.h"
#include "main/LEDLamp2.h"
#include "main/MinMaxAv.h"
#include "main/ValueFormat.h"
#include "main/PanelSettings.h"
#include "main/ProgramFiles.h"
#include "main/StatusIconStrip.h"
#include "resources/K730Bitmaps.h"
#include "ui/ComboItemDelegate.h"
#include "ui/ConfBox.h"
#include "ui/LocaleSeparator.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace k730 {

namespace {

constexpr int StatsGap = 4;     // between the minimum, maximum and average labels
constexpr int MarkGap = 8;      // between the lamp, the warnings or icons and the temperature
constexpr int StatsHeight = 17; // row kept at the top of the display for minimum, maximum and average
constexpr int FlashMs = 80;

const TText WarningTexts[3] = {{"KE ! ", "KE ! "}, {"KL ! ", "KL ! "}, {"DAC0 ! ", "DAC0 ! "}};
const TText ResetText{"RESET URZĄDZENIA", "DEVICE RESET"};
const TText NoPortText{"żaden", "none"};
// Every message shown in place of the value has to fit on the display.
const TText DisplayMessages[4] = {{"Zeruję detektor...", "Detector zeroing..."},
                                  {"Zeruję\r\nsystem pomiarowy...", "Measuring system\r\nzeroing..."},
                                  {"Trwa zerowanie", "Zeroing in progress"},
                                  ResetText};

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont PixelFont(int pixels) {
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

QLabel* NamedLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QChar DecimalSeparator() {
    return QChar::fromLatin1(LocaleDecimalSeparator());
}

} // namespace

TMainForm::TMainForm(int language, QWidget* parent)
    : QMainWindow(parent), language_(language == langPolish ? langPolish : langEnglish) {
    setObjectName("MainForm");
    setWindowTitle("K730");
    BuildMenus();

    auto* central = new QWidget(this);
    central->setObjectName("PanelMain");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 6, 6, 4);
    column->setSpacing(5);
    auto* top = new QWidget(central);
    BuildTopRow(top);
    column->addWidget(top);
    column->addWidget(BuildDisplayPanel());
    panelStatus_ = NamedLabel("PanelStatus", central);
    panelStatus_->setFrameShape(QFrame::Panel);
    panelStatus_->setFrameShadow(QFrame::Sunken);
    panelStatus_->setFixedHeight(panelStatus_->fontMetrics().height() + 6);
    column->addWidget(panelStatus_);
    column->setSizeConstraint(QLayout::SetFixedSize);
    setCentralWidget(central);

    ApplyLanguage();
    ApplyKeyboardAccess();
    SizeDisplayPanel(top->sizeHint().width()); // as wide as the captions make the row above
    FitMessageFont();
    ShowMeterName({}, {});
    ClearDisplay();

    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &TMainForm::CopyValue);
    }

    // Fixed size, started in the middle of the work area.
    adjustSize();
    setFixedSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        move(work.center() - QPoint(width() / 2, height() / 2));
    }
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildTopRow(QWidget* top) {
    auto* grid = new QGridLayout(top);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    QLabel* labelPort = NamedLabel("LabelPort", top);
    grid->addWidget(labelPort, 0, 0);
    cbDevice_ = new QComboBox(top);
    cbDevice_->setObjectName("CBDevice");
    labelPort->setBuddy(cbDevice_);
    cbDevice_->setMinimumContentsLength(12);
    grid->addWidget(cbDevice_, 0, 1);
    // Only a choice the user makes is forwarded; filling the list is not one.
    connect(cbDevice_, &QComboBox::activated, this, &TMainForm::PortChosen);

    QLabel* labelRange = NamedLabel("LabelRange", top);
    grid->addWidget(labelRange, 0, 2, Qt::AlignRight);
    cbRange_ = new QComboBox(top);
    cbRange_->setObjectName("CBRange");
    labelRange->setBuddy(cbRange_);
    cbRange_->setMinimumContentsLength(10);
    cbRange_->setEnabled(false);
    for (QComboBox* box : {cbDevice_, cbRange_})
        box->setItemDelegate(new TComboItemDelegate(box));
    grid->addWidget(cbRange_, 0, 3);
    connect(cbRange_, &QComboBox::activated, this, &TMainForm::RangeChosen);

    btnAuto_ = new QToolButton(top);
    btnAuto_->setObjectName("BtnAuto");
    btnAuto_->setCheckable(true);
    btnAuto_->setChecked(true); // continuous polling starts on
    btnAuto_->setMinimumWidth(44);
    grid->addWidget(btnAuto_, 0, 4);
    connect(btnAuto_, &QToolButton::toggled, this, &TMainForm::AutoPollingSwitched);

    labelMeterName_ = NamedLabel("LabelMeterName", top);
    QFont bold = labelMeterName_->font();
    bold.setBold(true);
    labelMeterName_->setFont(bold);
    grid->addWidget(labelMeterName_, 1, 0, 1, 3);
    labelMeterNumber_ = NamedLabel("LabelMeterNumber", top);
    grid->addWidget(labelMeterNumber_, 1, 3, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (const auto& [name, icon, item] :
         {std::tuple{"BtnClearMinMaxAv", "BTNCLEARMINMAX", "MenuClearMinMaxAv"},
          std::tuple{"BtnService", "BTNSERVICE", "MenuService"},
          std::tuple{"BtnVudIDO", "BTNVUDIDO", "MenuVudIDO"}}) {
        auto* button = new QToolButton(top);
        button->setObjectName(name);
        button->setIcon(K730Icon(icon));
        button->setAutoRaise(true);
        buttons->addWidget(button);
    }
    // Shown while the statistics are on; its room is kept so the window never changes size.
    auto* clear = findChild<QToolButton*>("BtnClearMinMaxAv");
    QSizePolicy policy = clear->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    clear->setSizePolicy(policy);
    clear->hide();
    grid->addLayout(buttons, 1, 4, Qt::AlignRight);
    grid->setColumnStretch(2, 1);
}

QWidget* TMainForm::BuildDisplayPanel() {
    panelDisplay_ = new QFrame;
    panelDisplay_->setObjectName("PanelDisplay");
    panelDisplay_->setFrameShape(QFrame::Panel);
    panelDisplay_->setFrameShadow(QFrame::Sunken);
    panelDisplay_->setFocusPolicy(Qt::StrongFocus);
    panelDisplay_->setAutoFillBackground(true);
    QPalette palette = panelDisplay_->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    panelDisplay_->setPalette(palette);

    panelDisplayClient_ = new QWidget(panelDisplay_);
    panelDisplayClient_->setObjectName("PanelDisplayClient");
    frame_ = new TFrameDisplay(panelDisplayClient_);
    BuildMarks(panelDisplayClient_);
    BuildStatsLabels(panelDisplayClient_);
    labelDisplay_ = NamedLabel("LabelDisplay", panelDisplay_);
    labelDisplay_->setAlignment(Qt::AlignCenter);
    labelDisplay_->setFont(TFrameDisplay::ValueFont());
    labelDisplay_->hide();
    panelSettings_ = new TPanelSettings(static_cast<TLanguage>(language_), panelDisplay_);
    panelSettings_->hide();
    return panelDisplay_;
}

void TMainForm::SizeDisplayPanel(int leastWidth) {
    const QColor background = panelDisplay_->palette().color(QPalette::Window);
    const int tempWidth = labelTemperature_->width();
    const int minimum = lamp_->width() + MarkGap + icons_->width() + MarkGap + tempWidth + 12;
    frame_->Setup(background, minimum, DecimalSeparator());
    const int border = panelDisplay_->frameWidth();
    const int clientWidth = std::max(frame_->FullWidth() + 6, leastWidth - 2 * border);
    const QSize client(clientWidth, StatsHeight + frame_->FullHeight() + lamp_->height() + 6);
    panelDisplayClient_->setGeometry(border, border, client.width(), client.height());
    panelDisplay_->setFixedSize(client.width() + 2 * border, client.height() + 2 * border);
    frame_->move(0, StatsHeight);
    frame_->SetCentred(true);
    PlaceMarks(false);
    labelDisplay_->setGeometry(panelDisplayClient_->geometry());
    panelSettings_->setGeometry(panelDisplayClient_->geometry());
}

// Minimum, maximum and average side by side in the row above the value, each
// wide enough for its caption and the widest value it can show.
void TMainForm::BuildStatsLabels(QWidget* client) {
    const QFont small = PixelFont(13);
    const QFontMetrics metrics(small);
    int widestPrefix = 0;
    for (int exponent = -24; exponent <= 24; exponent += 3)
        widestPrefix = std::max(widestPrefix, metrics.horizontalAdvance(Q(SiPrefix(exponent))));
    const int widestValue =
        metrics.horizontalAdvance(">-" + QString(DecimalSeparator()) + "000000") + widestPrefix;
    const char* names[3] = {"LabelMin", "LabelMax", "LabelAvg"};
    const QString captions[3] = {"min: ", "max: ", language_ == langPolish ? Q("śr: ") : Q("avg: ")};
    int x = 3;
    for (int i = 0; i < 3; ++i) {
        QLabel* label = NamedLabel(names[i], client);
        label->setFont(small);
        label->setGeometry(x, 1, metrics.horizontalAdvance(captions[i]) + widestValue + 2, StatsHeight - 2);
        label->hide();
        x += label->width() + StatsGap;
        labelStats_[i] = label;
    }
}

void TMainForm::ShowStats(const TMinMaxAv& stats, bool on) {
    statsOn_ = on;
    const std::string texts[3] = {MinLabelText(stats), MaxLabelText(stats), AvgLabelText(stats, language_)};
    const TStatLabelColour colours[3] = {MinLabelColour(stats), MaxLabelColour(stats), AvgLabelColour(stats)};
    for (int i = 0; i < 3; ++i) {
        QLabel* label = labelStats_[i];
        label->setText(Q(texts[i]));
        const QPalette& p = palette();
        SetTextColour(label, colours[i] == slcOver   ? QColor(Qt::red)
                             : colours[i] == slcGrey ? p.color(QPalette::Disabled, QPalette::WindowText)
                                                     : p.color(QPalette::Active, QPalette::WindowText));
    }
    UpdateStatsVisibility();
}

void TMainForm::UpdateStatsVisibility() {
    for (QLabel* label : labelStats_)
        label->setVisible(statsOn_ && marksShown_);
    findChild<QToolButton*>("BtnClearMinMaxAv")->setVisible(statsOn_);
}

void TMainForm::OpenSettingsPanel() {
    labelDisplay_->hide();
    panelDisplayClient_->hide();
    panelSettings_->show();
    panelSettings_->raise();
}

void TMainForm::CloseSettingsPanel() {
    panelSettings_->hide();
    labelDisplay_->clear();
    labelDisplay_->hide();
    panelDisplayClient_->show();
    if (panelSettings_->isAncestorOf(QApplication::focusWidget())) panelDisplay_->setFocus();
}

bool TMainForm::SettingsPanelOpen() const {
    return panelSettings_->isVisible();
}

void TMainForm::SetStayOnTop(bool on) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) show(); // changing the flag hides the window
}

void TMainForm::BuildMarks(QWidget* client) {
    lamp_ = new TDiodeLED2(client);
    lamp_->setObjectName("LEDStatus");
    lamp_->SetColor(cLED_White);
    icons_ = new TStatusIconStrip(TPanelSettings::EDIT_MAX_LENGTH, client);
    const QFont small = PixelFont(13);
    labelTemperature_ = NamedLabel("LabelTemperature", client);
    labelTemperature_->setFont(small);
    labelTemperature_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labelTemperature_->resize(QFontMetrics(small).horizontalAdvance(Q("-000,0°C")) + 2, lamp_->height());
    const char* names[3] = {"LabelKE", "LabelKL", "LabelDAC0"};
    for (int i = 0; i < 3; ++i) {
        labelWarnings_[i] = NamedLabel(names[i], client);
        labelWarnings_[i]->setFont(small);
        labelWarnings_[i]->setText(Q(WarningTexts[i](language_)));
        SetTextColour(labelWarnings_[i], Qt::red);
        labelWarnings_[i]->resize(labelWarnings_[i]->sizeHint().width(), lamp_->height());
    }
}

// Lamp, warnings (or the icon strip in their place) and temperature along the
// bottom of the display.
void TMainForm::PlaceMarks(bool iconsWanted) {
    const int bottom = panelDisplayClient_->height() - 3 - lamp_->height();
    lamp_->move(3, bottom);
    int x = lamp_->x() + lamp_->width() + MarkGap;
    icons_->move(x, bottom);
    bool anyWarning = false;
    for (QLabel* label : labelWarnings_) {
        label->move(x, bottom);
        x += label->width();
        anyWarning |= !label->isHidden();
    }
    labelTemperature_->move(panelDisplayClient_->width() - 3 - labelTemperature_->width(), bottom);
    icons_->setVisible(marksShown_ && iconsWanted && !anyWarning);
}

void TMainForm::FitMessageFont() {
    QFont font = labelDisplay_->font();
    font.setPointSizeF(QFontInfo(font).pointSizeF());
    const int room = panelDisplay_->contentsRect().width() - 16;
    auto fits = [&] {
        const QFontMetrics metrics(font);
        for (const TText& message : DisplayMessages)
            for (const QString& line : Q(message(language_)).split("\r\n"))
                if (metrics.horizontalAdvance(line) > room) return false;
        return true;
    };
    while (!fits() && font.pointSizeF() > 2)
        font.setPointSizeF(std::max(2.0, font.pointSizeF() - 1));
    labelDisplay_->setFont(font);
}

void TMainForm::ShowReading(const TDisplayReading& reading) {
    if (IsMeterReset(reading.statusFlags)) {
        ShowDisplayMessage(Q(ResetText(language_)));
    } else if (labelDisplay_->text() == Q(ResetText(language_))) {
        ShowDisplayMessage({});
    }
    frame_->ShowReading(reading);
    marksShown_ = true;
    UpdateStatsVisibility();
    lamp_->show();
    lamp_->Blink(cLED_Green, FlashMs);
    labelTemperature_->setText(QString::fromStdString(reading.temperatureText));
    SetTextColour(labelTemperature_, palette().color(QPalette::Active, QPalette::WindowText));
    labelTemperature_->show();
    const TStatusFlag bits[3] = {sfResultFactorInvalid, sfLoopFactorInvalid, sfForcingValueInvalid};
    for (int i = 0; i < 3; ++i)
        labelWarnings_[i]->setVisible((reading.statusFlags & bits[i]) != 0);
    PlaceMarks(Action("MenuShowIconStatus")->isChecked());
}

void TMainForm::ShowReadingStale() {
    if (!marksShown_) return; // nothing on show yet
    frame_->SetStale(true);
    SetTextColour(labelTemperature_, palette().color(QPalette::Disabled, QPalette::WindowText));
}

void TMainForm::ClearDisplay() {
    frame_->Clear();
    frame_->SetStale(false);
    marksShown_ = false;
    UpdateStatsVisibility();
    lamp_->hide();
    labelTemperature_->hide();
    for (QLabel* label : labelWarnings_)
        label->hide();
    PlaceMarks(Action("MenuShowIconStatus")->isChecked());
}

void TMainForm::ShowIcons(const TIconInputs& inputs) {
    icons_->SetInputs(inputs);
}

void TMainForm::ShowDisplayMessage(const QString& text) {
    labelDisplay_->setText(text.split("\r\n").join('\n'));
    labelDisplay_->setVisible(!text.isEmpty());
    panelDisplayClient_->setVisible(text.isEmpty());
}

void TMainForm::ShowComStatus(int code, const QString& text) {
    SetTextColour(panelStatus_, code > 1 ? QColor(Qt::red) : QColor(0x00, 0x00, 0x80));
    panelStatus_->setText(" " + text);
}

void TMainForm::ShowMeterName(const QString& name, const QString& number) {
    const bool noName = name.isEmpty() || name == Q(UNKNOWN_VALUE_TEXT) ||
                        name.compare(Q(NoPortText.pl), Qt::CaseInsensitive) == 0 ||
                        name.compare(Q(NoPortText.en), Qt::CaseInsensitive) == 0;
    labelMeterName_->setText(noName ? "-----" : name);
    labelMeterNumber_->setText(number.isEmpty() ? "-----" : number);
    Action("MenuAboutMeter")->setEnabled(!noName);
}

void TMainForm::SetDeviceItems(const QStringList& items, int selected) {
    const QSignalBlocker quiet(cbDevice_);
    cbDevice_->hidePopup();
    cbDevice_->clear();
    cbDevice_->addItems(items);
    cbDevice_->setCurrentIndex(selected);
}

void TMainForm::SetRangeItems(const QStringList& items, int selected) {
    const QSignalBlocker quiet(cbRange_);
    cbRange_->clear();
    cbRange_->addItems(items);
    cbRange_->setCurrentIndex(items.isEmpty() ? -1 : selected);
    appliedRange_ = cbRange_->currentIndex();
    cbRange_->setEnabled(!items.isEmpty());
}

void TMainForm::SelectRange(int index) {
    if (cbRange_->view()->isVisible()) return; // never under the user's hand
    const QSignalBlocker quiet(cbRange_);
    cbRange_->setCurrentIndex(index);
    appliedRange_ = index;
}

const std::string& TMainForm::CopyText() const {
    return frame_->CopyText();
}

QAction* TMainForm::Action(std::string_view name) const {
    return findChild<QAction*>(Q(name));
}

void TMainForm::CopyValue() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(CopyText()));
}

// Manuals come from the program's folder; an empty name opens the web page.
// Without a program to open it the user is told where to find it by hand.
void TMainForm::OpenProgramFile(const QString& fileName) {
    const TText noViewer{"Nie ma programu, który otworzyłby ten plik.\r\nOtwórz go ręcznie:\r\n%s",
                         "No program is set up to open this file.\r\nOpen it by hand:\r\n%s"};
    const TText noBrowser{"Nie ma programu, który otworzyłby stronę internetową.\r\nWpisz ten adres w "
                          "przeglądarce:\r\n%s",
                          "No program is set up to open web pages.\r\nOpen this address by hand:\r\n%s"};
    const TText missing{"Nie znaleziono pliku:\r\n%s", "File not found:\r\n%s"};
    if (fileName.isEmpty()) {
        const QString address = "https://" + WebAddress(language_);
        if (!urlOpener_(QUrl(address)))
            ConfMessage(this, Q(noBrowser(language_)).replace("%s", address), "K730", MB_ICONWARNING);
        return;
    }
    const QString path = QString::fromStdString(
        FindProgramFile(QCoreApplication::applicationDirPath().toStdString(), fileName.toStdString()));
    if (!QFileInfo::exists(path))
        ConfMessage(this, Q(missing(language_)).replace("%s", path), "K730", MB_ICONWARNING);
    else if (!urlOpener_(QUrl::fromLocalFile(path)))
        ConfMessage(this, Q(noViewer(language_)).replace("%s", path), "K730", MB_ICONWARNING);
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit EscapePressed();
        panelDisplay_->setFocus();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (CloseQuery && !CloseQuery()) return event->ignore();
    QMainWindow::closeEvent(event);
}

// Minimising the main window takes the program's other windows with it.
void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (isMinimized()) {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window != this && window->isVisible()) {
                hiddenWhileMinimised_.append(window);
                window->hide();
            }
    } else if (!hiddenWhileMinimised_.isEmpty()) {
        for (QWidget* window : std::exchange(hiddenWhileMinimised_, {}))
            window->show();
        activateWindow();
    }
}

// A press and release of the left button on the logo opens the maker's page.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (watched == logo_ && (press || event->type() == QEvent::MouseButtonRelease)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (press && mouse->button() == Qt::LeftButton) {
            logoPressed_ = true;
            return true;
        }
        if (!press && mouse->button() == Qt::LeftButton) {
            const bool inside = logo_->rect().contains(mouse->position().toPoint());
            if (std::exchange(logoPressed_, false) && inside) Action("MenuWWW")->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace k730
