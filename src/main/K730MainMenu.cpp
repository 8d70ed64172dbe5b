// TMainForm's menu bar and the captions of its controls in both languages.
#include "main/K730Main.h"

#include "resources/K730Bitmaps.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include <array>

namespace k730 {

namespace {

struct TCaption {
    std::string_view control;
    TText text;
};

// Polish as designed, English as ApplyLanguage puts it.
constexpr std::array<TCaption, 40> Captions{{
    {"LabelRange", {"Zakres pomiarowy:", "Measuring range:"}},
    {"LabelPort", {"Port:", "Port:"}},
    {"BtnAuto", {"Auto", "Auto"}},
    {"LabelSetValue", {"Adres urządzenia  (hex):", "Meter address  (hex):"}},
    {"BtnSettingsCancel", {"Anuluj", "Cancel"}},
    {"BtnSettingsOK", {"Ustaw", "Set"}},
    {"MenuCmd", {"Polecenie", "Command"}},
    {"MenuZeroDet", {"Zeruj detektor", "Start detector zeroing"}},
    {"MenuZeroADC", {"Zeruj system pomiarowy", "Start measuring system zeroing"}},
    {"MenuSetOnlyZeroADC", {"Tylko zeruj", "Run"}},
    {"MenuSetAndSaveZeroADC", {"Zeruj i zachowaj", "Run and store"}},
    {"MenuAutoZero", {"Zerowanie automatyczne", "Automatic zeroing"}},
    {"MenuSetAddr", {"Ustaw adres", "Change address"}},
    {"MenuAddrMerBus", {"protokołu MerBUS", "MerBUS protocol"}},
    {"MenuAddrModBus", {"protokołu MODBUS", "MODBUS protocol"}},
    {"MenuSetRange", {"Ustaw zakres domyślny", "Set default range"}},
    {"MenuConvCount", {"Ustaw ilość konwersji", "Set number of conversions"}},
    {"MenuRefreshRate", {"Czas odświeżania wyniku", "Refresh rate"}},
    {"MenuAutoRange", {"Automatyczna zmiana zakresu", "Auto range"}},
    {"MenuCAL", {"Kalibracja", "Calibration"}},
    {"MenuCalMeter", {"Uruchom", "Run"}},
    {"MenuCalImport", {"Importuj historię kalibracji", "Import history log"}},
    {"MenuCalExport", {"Eksportuj historię kalibracji", "Eksport history log"}},
    {"MenuClose", {"Zakończ", "Quit"}},
    {"MenuView", {"Widok", "View"}},
    {"MenuViewMinMaxAv", {"Pokaż Min/Max/Średnia", "Show Min/Max/Average"}},
    {"MenuClearMinMaxAv", {"Zeruj Min/Max/Średnia", "Reset Min/Max/Average"}},
    {"MenuSetAverCount", {"Średnia krocząca", "Moving average"}},
    {"MenuHistMeas", {"Historia pomiarów", "Measures history log"}},
    {"MenuHistCAL", {"Historia kalibracji", "Calibration history log"}},
    {"MenuStayOnTop", {"Zawsze na wierzchu", "Stay on top"}},
    {"MenuService", {"Tryb serwisowy", "Service mode"}},
    {"MenuShowIconStatus", {"Pokaż pasek statusu", "Show status"}},
    {"MenuShowSettings", {"Pokaż ustawienia", "Show settings"}},
    {"MenuVudIDO", {"Pokaż bufor COM", "Show COM buffer"}},
    {"MenuHelp", {"Pomoc", "Help"}},
    {"MenuManual", {"Instrukcja obsługi", "Instruction manual"}},
    {"MenuCfgGuide", {"Instrukcja programowania", "Programming manual"}},
    {"MenuAboutMeter", {"O mierniku", "About meter"}},
    {"MenuAboutProgram", {"O programie", "About program"}},
}};

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QAction* AddItem(QMenu* menu, const char* name, bool checkable = false) {
    auto* action = menu->addAction(name);
    action->setObjectName(name);
    action->setCheckable(checkable);
    return action;
}

QMenu* AddMenu(QWidget* owner, const char* name) {
    auto* menu = new QMenu(name, owner);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(QString(name) + "Item");
    return menu;
}

} // namespace

QString TMainForm::WebAddress(int language) {
    return language == langPolish ? "www.meridox.pl" : "www.meridox.pl/en";
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu");

    QMenu* cmd = AddMenu(this, "MenuCmd");
    AddItem(cmd, "MenuZeroDet");
    QMenu* zeroAdc = AddMenu(cmd, "MenuZeroADC");
    AddItem(zeroAdc, "MenuSetOnlyZeroADC");
    AddItem(zeroAdc, "MenuSetAndSaveZeroADC");
    cmd->addMenu(zeroAdc);
    AddItem(cmd, "MenuAutoZero", true);
    cmd->addSeparator();
    QMenu* addr = AddMenu(cmd, "MenuSetAddr");
    AddItem(addr, "MenuAddrMerBus");
    AddItem(addr, "MenuAddrModBus");
    cmd->addMenu(addr);
    AddItem(cmd, "MenuSetRange");
    AddItem(cmd, "MenuConvCount");
    AddItem(cmd, "MenuRefreshRate");
    AddItem(cmd, "MenuAutoRange", true);
    cmd->addSeparator();
    connect(AddItem(cmd, "MenuClose"), &QAction::triggered, this, &QWidget::close);
    bar->addMenu(cmd);

    QMenu* cal = AddMenu(this, "MenuCAL");
    AddItem(cal, "MenuCalMeter");
    cal->addSeparator();
    AddItem(cal, "MenuCalImport");
    AddItem(cal, "MenuCalExport");
    bar->addMenu(cal);

    QMenu* view = AddMenu(this, "MenuView");
    AddItem(view, "MenuViewMinMaxAv", true);
    AddItem(view, "MenuClearMinMaxAv");
    AddItem(view, "MenuSetAverCount");
    view->addSeparator();
    AddItem(view, "MenuHistMeas");
    AddItem(view, "MenuHistCAL");
    view->addSeparator();
    AddItem(view, "MenuStayOnTop", true);
    AddItem(view, "MenuService", true);
    AddItem(view, "MenuShowIconStatus", true);
    AddItem(view, "MenuShowSettings");
    AddItem(view, "MenuVudIDO", true);
    bar->addMenu(view);

    QMenu* help = AddMenu(this, "MenuHelp");
    AddItem(help, "MenuManual");
    AddItem(help, "MenuCfgGuide");
    help->addSeparator();
    QAction* www = AddItem(help, "MenuWWW");
    help->addSeparator();
    AddItem(help, "MenuAboutMeter")->setEnabled(false); // until a meter has told its descriptor
    AddItem(help, "MenuAboutProgram");
    bar->addMenu(help);

    connect(www, &QAction::triggered, this, [this] { OpenProgramFile({}); });
    connect(Action("MenuManual"), &QAction::triggered, this, [this] {
        OpenProgramFile(language_ == langPolish ? "K730 Instrukcja programu komputerowego.pdf"
                                                : "K730 PC software guide.pdf");
    });
    connect(Action("MenuCfgGuide"), &QAction::triggered, this,
            [this] { OpenProgramFile("K-730 Instrukcja programowania.pdf"); });
    connect(Action("MenuShowIconStatus"), &QAction::toggled, this, [this](bool on) { PlaceMarks(on); });

    // The maker's logo at the right end of the bar; a click on it opens the web page.
    logo_ = new QLabel(bar);
    logo_->setObjectName("ImageLogo");
    logo_->setPixmap(QPixmap::fromImage(TransparentFromTopLeft(K730Bitmap("LOGOMERIDOX"))));
    logo_->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    logo_->setContentsMargins(0, 0, 4, 0);
    logo_->setCursor(Qt::PointingHandCursor);
    logo_->installEventFilter(this);
    bar->setCornerWidget(logo_, Qt::TopRightCorner);
}

void TMainForm::ApplyLanguage() {
    for (const auto& caption : Captions) {
        const QString name = Q(caption.control);
        const QString text = Q(caption.text(language_));
        if (auto* menu = findChild<QMenu*>(name)) {
            menu->setTitle(text);
        } else if (auto* action = findChild<QAction*>(name)) {
            action->setText(text);
        } else if (auto* label = findChild<QLabel*>(name)) {
            label->setText(text);
        } else if (auto* button = findChild<QAbstractButton*>(name)) {
            button->setText(text);
        }
    }
    Action("MenuWWW")->setText(WebAddress(language_));
}

} // namespace k730
