// TMainForm's menu bar; its captions come from the main window's caption table.
#include "main/K730Main.h"

#include "main/ApplyCaptions.h"
#include "resources/K730Bitmaps.h"
#include "ui/AccessibleNames.h"
#include "ui/Mnemonics.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace k730 {

namespace {

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
    logo_->setPixmap(QPixmap::fromImage(K730Bitmap("LOGOMERIDOX", qApp->devicePixelRatio())));
    logo_->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    logo_->setContentsMargins(0, 0, 4, 0);
    logo_->setCursor(Qt::PointingHandCursor);
    logo_->installEventFilter(this);
    bar->setCornerWidget(logo_, Qt::TopRightCorner);
}

void TMainForm::ApplyLanguage() {
    ApplyCaptions(this, static_cast<TLanguage>(language_));
}

namespace {

// One Alt+letter per caption among the actions of one menu level, then the
// same inside every submenu.
void MarkMnemonics(const QList<QAction*>& actions) {
    QList<QAction*> items;
    std::vector<std::string> captions;
    for (QAction* action : actions)
        if (!action->isSeparator() && !action->text().isEmpty()) {
            items.append(action);
            captions.push_back(action->text().toStdString());
        }
    const std::vector<std::string> marked = WithMnemonics(captions);
    for (qsizetype i = 0; i < items.size(); ++i) {
        items[i]->setText(QString::fromStdString(marked[static_cast<size_t>(i)]));
        if (QMenu* sub = items[i]->menu()) MarkMnemonics(sub->actions());
    }
}

} // namespace

// Captions are in the program's language now: menus get their Alt+letter,
// F10 reaches the menu bar, icon buttons take their menu item's caption as
// tooltip, and every control its accessible name.
void TMainForm::ApplyKeyboardAccess() {
    MarkMnemonics(menuBar()->actions());
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        if (!menuBar()->actions().isEmpty()) menuBar()->setActiveAction(menuBar()->actions().first());
    });
    for (const auto& [name, item] :
         {std::pair{"BtnClearMinMaxAv", "MenuClearMinMaxAv"}, std::pair{"BtnService", "MenuService"},
          std::pair{"BtnVudIDO", "MenuVudIDO"}})
        if (auto* button = findChild<QAbstractButton*>(name))
            button->setToolTip(QString::fromStdString(StripMnemonic(Action(item)->text().toStdString())));
    ApplyAccessibleNames(this);
}

} // namespace k730
