// TFormVudIDO: the menu bar and the capture switches it shares with the buttons.
#include "traffic/DualBuf.h"
#include "traffic/VudIDO.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace k730 {
namespace {

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption) {
    auto* menu = new QMenu(QString::fromUtf8(caption), bar);
    menu->setObjectName(name);
    menu->setAccessibleName(menu->title());
    bar->addMenu(menu);
    return menu;
}

const char* const CAPTURE_ITEMS[TRAFFIC_BUFFER_COUNT] = {"MenuCaptureIn", "MenuCaptureFrame",
                                                         "MenuCaptureOut"};

} // namespace

QAction* TFormVudIDO::AddAction(QMenu* menu, const char* name, const char* caption, QKeySequence key) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

void TFormVudIDO::BuildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = AddMenu(bar, "MenuFile", "Plik");
    connect(AddAction(file, "MenuOpen", "Otwórz", QKeySequence::Open), &QAction::triggered, this,
            &TFormVudIDO::OpenClicked);
    connect(AddAction(file, "MenuSave", "Zachowaj", QKeySequence::Save), &QAction::triggered, this,
            &TFormVudIDO::SaveClicked);
    file->addSeparator();
    connect(AddAction(file, "MenuExit", "Zakończ"), &QAction::triggered, this, &QWidget::close);

    QMenu* command = AddMenu(bar, "MenuCommand", "Polecenie");
    const char* captures[] = {"Włącz bufor odbiorczy", "Włącz bufor poprawnych ramek",
                              "Włącz bufor nadawczy"};
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        QAction* a = AddAction(command, CAPTURE_ITEMS[b], captures[b]);
        a->setCheckable(true);
        TDualBuf* dual = Buffer(b);
        dual->CaptureButton()->setToolTip(a->text() + " <Insert>");
        dual->CaptureButton()->setAccessibleName(a->text());
        connect(a, &QAction::toggled, dual->CaptureButton(), &QToolButton::setChecked);
    }
    QAction* go = AddAction(command, "MenuGo", "Włącz podgląd bufora danych");
    go->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    go->setCheckable(true);
    go->setChecked(Viewer().Buffers().recording);
    connect(go, &QAction::toggled, btnGo_, &QToolButton::setChecked);
    // Insert switches the capture of the buffer with the focus.
    auto* captureFocused = new QAction(this);
    captureFocused->setObjectName("ActCaptureFocused");
    captureFocused->setShortcut(Qt::Key_Insert);
    addAction(captureFocused);
    connect(captureFocused, &QAction::triggered, this, [this] {
        if (Viewer().Focus() >= 0) Buffer(Viewer().Focus())->CaptureButton()->toggle();
    });
    command->addSeparator();
    connect(AddAction(command, "MenuClear", "Wyczyść wszystko", Qt::Key_Delete), &QAction::triggered, this,
            &TFormVudIDO::ClearAll);
    command->addSeparator();
    const struct {
        const char* name;
        const char* caption;
        QKeySequence key;
        TGoTo where;
    } jumps[] = {{"MenuFirst", "Idź do pierwszej", Qt::CTRL | Qt::Key_Left, goFirst},
                 {"MenuLast", "Idź do ostatniej", Qt::CTRL | Qt::Key_Right, goLast},
                 {"MenuPrevious", "Idź do poprzedniej", Qt::CTRL | Qt::Key_Up, goPrevious},
                 {"MenuNext", "Idź do następnej", Qt::CTRL | Qt::Key_Down, goNext}};
    for (const auto& j : jumps) {
        const TGoTo where = j.where;
        connect(AddAction(command, j.name, j.caption, j.key), &QAction::triggered, this,
                [this, where] { Go(where); });
    }

    QMenu* edit = AddMenu(bar, "MenuEdit", "Edycja");
    connect(AddAction(edit, "MenuCopySelection", "Kopiuj zaznaczony obszar", QKeySequence::Copy),
            &QAction::triggered, this, &TFormVudIDO::CopySelection);
    const char* copies[][2] = {{"MenuCopyIn", "Kopiuj bufor odbiorczy"},
                               {"MenuCopyFrame", "Kopiuj poprawne ramki"},
                               {"MenuCopyOut", "Kopiuj bufor nadawczy"}};
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        connect(AddAction(edit, copies[b][0], copies[b][1]), &QAction::triggered, this,
                [this, b] { CopyBuffer(b); });
    edit->addSeparator();
    connect(AddAction(edit, "MenuClearClipboard", "Wyczyść schowek"), &QAction::triggered, this,
            &TFormVudIDO::ClearClipboard);

    QMenu* settings = AddMenu(bar, "MenuSettings", "Ustawienia");
    auto* order = new QActionGroup(this);
    for (const char* name : {"MenuLittleEndian", "MenuBigEndian"}) {
        QAction* a = AddAction(settings, name, name + 4);
        a->setCheckable(true);
        order->addAction(a);
    }
    Action("MenuLittleEndian")->setChecked(true);
    connect(Action("MenuBigEndian"), &QAction::toggled, this, &TFormVudIDO::SetBigEndian);
    QMenu* floats = settings->addMenu(QStringLiteral("Float"));
    floats->setObjectName("MenuFloat");
    auto* sizes = new QActionGroup(this);
    const struct {
        const char* name;
        const char* caption;
        int bytes;
    } floatItems[] = {{"MenuFloat4", "4 bajty", 4},
                      {"MenuFloat6", "6 bajtów", 6},
                      {"MenuFloat8", "8 bajtów", 8},
                      {"MenuFloat10", "10 bajtów", 10}};
    for (const auto& f : floatItems) {
        QAction* a = AddAction(floats, f.name, f.caption);
        a->setCheckable(true);
        sizes->addAction(a);
        const int bytes = f.bytes;
        connect(a, &QAction::triggered, this, [this, bytes] { SetFloatSize(bytes); });
    }
    settings->addSeparator();
    connect(AddAction(settings, "MenuViewSettings", "Ustawienia podglądu"), &QAction::triggered, this,
            &TFormVudIDO::EditSettings);
}

// Menu items and header buttons are the same switches; an item is shown only
// while its buffer is.
void TFormVudIDO::SyncCaptureSwitches() {
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        QAction* a = Action(CAPTURE_ITEMS[b]);
        if (!a) continue;
        const bool on = Viewer().Buffers().capture[static_cast<size_t>(b)];
        a->setChecked(on);
        Buffer(b)->CaptureButton()->setChecked(on);
        a->setVisible(BufferShown(Viewer().Settings(), b));
    }
}

} // namespace k730
