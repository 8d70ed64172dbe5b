// TFormVudIDO: the traffic viewer window. It arranges the three buffers by the
// view settings word, the record line and value panel at the cursor, the
// menus and buttons, and forwards everything to TTrafficViewer; files are
// read off the GUI thread. Its menus and messages are Polish; the buffer
// labels follow the system locale.
#pragma once

#include "traffic/TrafficViewer.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <thread>

class QAction;
class QLabel;
class QSplitter;
class QToolButton;

namespace k730 {

class TDualBuf;

// How the window asks and tells; the defaults use the confirmation dialog and
// the file dialogs. Tests put recorders in.
struct TVudIDOPrompts {
    std::function<void(const QString& text)> Warning;
    // Yes/No, or Yes/No/Cancel with `cancel`; 1 = yes, 2 = no, 6 = cancel.
    std::function<int(const QString& text, bool cancel)> Ask;
    // The file to save to (proposed name given) or to open; empty when cancelled.
    std::function<QString(const QString& proposed)> SaveName;
    std::function<QString()> OpenName;
};

// The confirmation dialog and the file dialogs, owned by `owner`.
void InstallDefaultPrompts(TVudIDOPrompts& prompts, QWidget* owner);

class TFormVudIDO : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormVudIDO(QWidget* parent = nullptr, uint32_t settings = DEFAULT_VIEW_SETTINGS);
    ~TFormVudIDO() override;

    TTrafficViewer& Viewer() { return viewer_; }
    TVudIDOPrompts& Prompts() { return prompts_; }
    TDualBuf* Buffer(int buffer) const { return buffers_[static_cast<size_t>(buffer)]; }
    QAction* Action(const char* name) const;

    // The title follows the main window's port choice.
    void SetPortName(const QString& name, bool chosen);
    // A block from the main window: received, accepted frame or written.
    void Feed(int buffer, const TBytes& block, TStamp stamp);
    void ApplySettings(uint32_t settings);

    // Saving with its questions; false when nothing was written.
    bool SaveTo(const QString& path);
    // Reads the file off the GUI thread; Loaded follows.
    void LoadFrom(const QString& path);
    bool Loading() const { return loading_; }
    // A test-pattern button: one block; with Ctrl one into each buffer; with
    // Ctrl and Shift that a hundred times.
    void AddTestPatterns(int buffer, Qt::KeyboardModifiers modifiers);

    static TStamp NowStamp();

signals:
    void Closed();
    void Loaded(bool success);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // --- layout (VudIDO.cpp) ----------------------------------------------------
    void BuildButtons(QWidget* bar);
    QWidget* BuildValuePanel();
    void ArrangePanels();
    void RefreshValuePanel();
    void RefreshCommands();
    void RecordsAdded(int buffer);
    void FlashTick();
    void CursorMoved(int buffer);
    void Go(TGoTo where);
    void ClearAll();
    void SetBigEndian(bool on);
    void SetFloatSize(int bytes);
    void EditSettings();

    // --- menus (VudIDOMenus.cpp) ------------------------------------------------
    void BuildMenus();
    QAction* AddAction(QMenu* menu, const char* name, const char* caption, QKeySequence key = {});
    void SyncCaptureSwitches();

    // --- files and clipboard (VudIDOFiles.cpp) ----------------------------------
    void SaveClicked();
    void OpenClicked();
    void LoadFinished();
    void CopySelection();
    void CopyBuffer(int buffer);
    void ClearClipboard();

    TTrafficViewer viewer_;
    TVudIDOPrompts prompts_;
    std::array<TDualBuf*, TRAFFIC_BUFFER_COUNT> buffers_{};
    QSplitter* splitter_ = nullptr;
    std::array<QLabel*, 5> recordLabels_{};
    std::array<QLabel*, VALUE_COLUMN_COUNT> headers_{};
    std::array<QLabel*, VALUE_COLUMN_COUNT> values_{};
    QWidget* valuePanel_ = nullptr;
    QToolButton* btnGo_ = nullptr;
    QToolButton* btnClear_ = nullptr;
    QToolButton* btnBigEn_ = nullptr;
    QTimer flash_; // counts the red header time down
    bool polishLocale_ = false;
    bool arranged_ = false; // the panels got their heights from the shown window
    std::thread loader_;    // reads a file; joined when it has told the window
    bool loading_ = false;
    std::shared_ptr<struct TBufferFileLoad> loaded_; // written by the loader, read when it has finished
    std::string loadShown_;                          // the file being read, shortened for messages
};

} // namespace k730
