#include "history/HistDialogs.h"

#include "files/K730Disk.h"
#include "history/HistTexts.h"
#include "ui/ConfBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QProcess>

#include <thread>

namespace k730 {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Data files (*.dat)|*.dat|All files (*.*)|*.*" → the dialog's name filters.
QStringList NameFilters(std::string_view pipeFilter) {
    const QStringList parts = Q(pipeFilter).split('|');
    QStringList names;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        names << parts[i];
    return names;
}

const TText& FilterOf(THistTarget target) {
    return target == htHistory ? HIST_FILTER_DATA : target == htText ? HIST_FILTER_TEXT : HIST_FILTER_CSV;
}

std::optional<std::string> ChooseOpen(QWidget* owner, TLanguage lang, const std::string& folder) {
    // Started in the folder at once, not first in the toolkit's last visited one.
    QFileDialog dialog(owner, {}, Q(folder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    dialog.setNameFilters(NameFilters(HIST_FILTER_DATA(lang)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

// The dialog closes only on a name that passed the overwrite question and the target checks.
std::optional<std::string> ChooseSave(QWidget* owner, TLanguage lang, THistTarget target,
                                      const std::string& folder, const std::string& preset) {
    QFileDialog dialog(owner, target != htHistory ? Q(HIST_EXPORT_TITLE(lang)) : QString(), Q(folder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(NameFilters(FilterOf(target)(lang)));
    if (!preset.empty()) dialog.selectFile(Q(preset));
    for (;;) {
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        const QString path = SaveDialogFileName(dialog);
        if (path.isEmpty()) continue;
        const bool centred = ConfCentreOverOwner();
        ConfSetCentreOverOwner(false); // the questions stand over the file dialog
        const bool accepted = AcceptSaveTarget(path);
        ConfSetCentreOverOwner(centred);
        if (accepted) return path.toStdString();
    }
}

// The work runs on its own thread while this one goes on with answers,
// ticks and painting; the user's input waits until it is done.
void RunLong(const std::function<void()>& work) {
    QEventLoop loop;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QApplication::restoreOverrideCursor();
}

} // namespace

void CompleteHistPrompts(THistPrompts& p, QWidget* owner, TLanguage lang, const TSpreadsheetProgram& sheet) {
    const QString title = "K730";
    if (!p.YesNoCheck)
        p.YesNoCheck = [owner, title](const std::string& text, const std::string& check, bool& checked) {
            return ConfYesNoCheck(owner, Q(text), title, MB_ICONQUESTION, checked, 1, Q(check));
        };
    if (!p.YesNo)
        p.YesNo = [owner, title](const std::string& text, unsigned style) {
            return ConfYesNoDefault(owner, Q(text), title, style, 1);
        };
    if (!p.Message)
        p.Message = [owner, title](const std::string& text, unsigned style) {
            ConfMessage(owner, Q(text), title, style);
        };
    if (!p.NoteCheck)
        p.NoteCheck = [owner, title](const std::string& text, const std::string& check, bool& checked) {
            ConfAskAllCheck(owner, Q(text), title, MB_ICONINFORMATION, checked, false, true, Q(check));
        };
    if (!p.ChooseOpen)
        p.ChooseOpen = [owner, lang](const std::string& folder) { return ChooseOpen(owner, lang, folder); };
    if (!p.ChooseSave)
        p.ChooseSave = [owner, lang](THistTarget target, const std::string& folder,
                                     const std::string& preset) {
            return ChooseSave(owner, lang, target, folder, preset);
        };
    if (!p.ShortenPath)
        p.ShortenPath = [](const std::string& path) { return ShortenPath(Q(path)).toStdString(); };
    if (!p.RunLong) p.RunLong = RunLong;
    if (!p.OpenSpreadsheet && !sheet.Program.empty())
        p.OpenSpreadsheet = [sheet](const std::string& path) {
            QStringList arguments;
            for (const auto& a : sheet.Arguments)
                arguments << Q(a);
            QProcess::startDetached(Q(sheet.Program), arguments << Q(path));
        };
}

} // namespace k730
