// TFormVudIDO: saving and opening buffer files, and the clipboard.
#include "files/K730Disk.h"
#include "traffic/BufferFile.h"
#include "traffic/DualBuf.h"
#include "traffic/VudIDO.h"
#include "ui/ConfBox.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

namespace k730 {
namespace {

const char* const FILE_FILTERS[] = {"Pliki bufora danych (*.buf)", "Wszystkie pliki (*.*)"};

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString FileDialog(QWidget* owner, bool save, const QString& proposed) {
    QFileDialog dialog(owner,
                       QString::fromUtf8(save ? "Zapisz plik bufora danych" : "Otwórz plik bufora danych"));
    dialog.setNameFilters({QString::fromUtf8(FILE_FILTERS[0]), QString::fromUtf8(FILE_FILTERS[1])});
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // the window asks in its own words
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted) return {};
    return save ? SaveDialogFileName(dialog) : dialog.selectedFiles().value(0);
}

} // namespace

void InstallDefaultPrompts(TVudIDOPrompts& prompts, QWidget* owner) {
    prompts.Warning = [owner](const QString& text) { ConfMessage(owner, text, "K730", MB_ICONWARNING); };
    prompts.Ask = [owner](const QString& text, bool cancel) {
        if (cancel) return ConfAsk(owner, text, "K730", MB_ICONQUESTION, false, false);
        return ConfYesNo(owner, text, "K730", MB_ICONQUESTION) ? 1 : 2;
    };
    prompts.SaveName = [owner](const QString& proposed) { return FileDialog(owner, true, proposed); };
    prompts.OpenName = [owner] { return FileDialog(owner, false, {}); };
}

// --- saving --------------------------------------------------------------------------

void TFormVudIDO::SaveClicked() {
    if (viewer_.Buffers().Empty()) return; // nothing recorded, nothing to save
    const QString path = prompts_.SaveName(QDateTime::currentDateTime().toString("yyyy MM dd hh mm ss"));
    if (!path.isEmpty()) SaveTo(path);
}

bool TFormVudIDO::SaveTo(const QString& path) {
    if (viewer_.Buffers().Empty()) return false;
    const QString shown = ShortenPath(path);
    if (QFileInfo::exists(path) &&
        prompts_.Ask(QString::fromUtf8("Plik\r\n%1\r\njuż istnieje.\r\nCzy chcesz go zamienić?").arg(shown),
                     false) != 1)
        return false;
    const TBufferSaveCheck check = CheckBufferFileForSave(path.toStdString(), shown.toStdString());
    std::string version(BUFFER_FILE_VERSION);
    if (check.kind == boNotDataFile && prompts_.Ask(Q(check.question.pl), false) != 1) return false;
    if (check.kind == boOlderFormat) {
        const int answer = prompts_.Ask(Q(check.question.pl), true);
        if (answer != 1 && answer != 2) return false;
        if (answer == 2) version = check.version;
    }
    const TBufferFileOutcome out =
        SaveBufferFile(path.toStdString(), shown.toStdString(), viewer_.Buffers(), version);
    if (!out.success) prompts_.Warning(Q(out.message.pl));
    return out.success;
}

// --- opening -------------------------------------------------------------------------

void TFormVudIDO::OpenClicked() {
    const QString path = prompts_.OpenName();
    if (!path.isEmpty()) LoadFrom(path);
}

// The file is read and parsed off the GUI thread into buffers of its own;
// recording goes on meanwhile, and the loaded records follow what is there
// when reading ends.
void TFormVudIDO::LoadFrom(const QString& path) {
    if (Loading()) return;
    auto result = std::make_shared<TBufferFileLoad>();
    loaded_ = result;
    const std::string file = path.toStdString();
    const std::string shown = ShortenPath(path).toStdString();
    loadShown_ = shown;
    loading_ = true;
    RefreshCommands();
    // The reader tells the window by a queued call just before it ends; the
    // window joins it there, so the result is complete when it is used.
    loader_ = std::thread([this, result, file, shown] {
        *result = ReadBufferFile(file, shown);
        QMetaObject::invokeMethod(this, &TFormVudIDO::LoadFinished, Qt::QueuedConnection);
    });
}

void TFormVudIDO::LoadFinished() {
    loader_.join();
    loading_ = false;
    std::shared_ptr<TBufferFileLoad> result = std::move(loaded_);
    bool success = result->outcome.success;
    if (success) {
        const bool wasEmpty = viewer_.Buffers().Empty();
        if (!viewer_.Buffers().AppendAll(std::move(result->buffers))) {
            success = false;
            const std::string text = "Wystąpił błąd podczas odczytu pliku:\r\n" + loadShown_;
            result->outcome.message = TFileMessage{text, text, msWarning};
        }
        for (TDualBuf* dual : buffers_) {
            dual->RecordsAdded();
            if (wasEmpty) dual->ScrollToStart(); // a file opened into an empty window shows its start
        }
    }
    if (!result->outcome.message.Empty()) prompts_.Warning(Q(result->outcome.message.pl));
    RefreshCommands();
    RefreshValuePanel();
    emit Loaded(success);
}

// --- clipboard -------------------------------------------------------------------------

void TFormVudIDO::CopySelection() {
    const std::string text = viewer_.SelectionHex();
    if (!text.empty()) QGuiApplication::clipboard()->setText(Q(text));
}

void TFormVudIDO::CopyBuffer(int buffer) {
    const std::string text = viewer_.BufferHex(buffer);
    if (!text.empty()) QGuiApplication::clipboard()->setText(Q(text));
}

void TFormVudIDO::ClearClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (const QMimeData* data = clipboard->mimeData(); data && data->hasText()) clipboard->clear();
}

} // namespace k730
