// TFormHistCAL: the exports of the shown rows and the certificate of a record.
#include "calibration/K730HistCAL.h"

#include "files/CalExport.h"
#include "files/K730Disk.h"
#include "files/K730DiskRules.h"
#include "ui/ConfBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>

#include <thread>

namespace k730 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr TText exportTitle{"Eksportuj", "Export"};
constexpr TText textFilter{"Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*",
                           "Text files (*.txt)|*.txt|All files (*.*)|*.*"};
constexpr TText exported{"Wyeksportowano dane do pliku:\r\n%s", "Data exported to file:\r\n%s"};
constexpr TText openInNotepad{"Otwórz za pomocą Notatnika", "Open in Notepad"};
constexpr TText openInExcel{"Otwórz za pomocą MS Excel", "Open in MS Excel"};
constexpr TText writeError{
    "Wystąpił błąd podczas zapisu pliku:\r\n%s\r\nSprawdź, czy nie jest on otwarty przez "
    "inną aplikację.",
    "Error during writing file:\r\n%s\r\nCheck if it is open by another application."};
constexpr TText pdfFilter{"Pliki PDF (*.pdf)|*.pdf", "PDF files (*.pdf)|*.pdf"};
constexpr TText certificateFailed{"Nie udało się zapisać świadectwa kalibracji:\r\n%s",
                                  "The calibration certificate could not be written:\r\n%s"};

QString Fill(TText pattern, TLanguage lang, const QString& path) {
    return Q(FillText(pattern(lang), {ShortenPath(path).toStdString()}));
}

} // namespace

QString TFormHistCAL::AskExportFile(const QString& filter, const QString& name) {
    if (!host_.saveFile) return {};
    const QString path = host_.saveFile(this, Q(exportTitle(host_.lang)), filter, 1, exportFolder_, name);
    if (path.isEmpty()) return {};
    exportFolder_ = QFileInfo(path).absolutePath();
    if (host_.exportFolderChosen) host_.exportFolderChosen(exportFolder_);
    return path;
}

// A long export is made and written on a worker thread; the window stays
// drawn (and disabled) meanwhile.
bool TFormHistCAL::WriteOffThread(const std::function<bool()>& job) {
    bool result = false;
    QEventLoop wait;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::thread worker([&] {
        result = job();
        QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
    });
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    return result;
}

void TFormHistCAL::ExportText() {
    if (history_.RowCount() == 0) return;
    const QString path = AskExportFile(Q(textFilter(host_.lang)), {});
    if (path.isEmpty()) return;
    const std::string file = path.toStdString();
    const bool ok =
        WriteOffThread([rows = history_.ShownRecords(), view = history_.ExportView(), format = host_.format,
                        file] { return WriteTextFile(file, CalExportText(rows, view, format)); });
    if (!ok) {
        ConfMessage(this, Fill(writeError, host_.lang, path), "K730", MB_ICONWARNING);
        return;
    }
    bool fallback = true;
    bool& open = host_.state ? host_.state->openInNotepad : fallback;
    ConfAskAllCheck(this, Fill(exported, host_.lang, path), "K730", MB_ICONINFORMATION, open, false, true,
                    Q(openInNotepad(host_.lang)));
    if (open && host_.openDocument) host_.openDocument(path);
}

void TFormHistCAL::ExportSpreadsheet() {
    if (history_.RowCount() == 0) return;
    const QString path = AskExportFile(Q(textFilter(host_.lang)), {});
    if (path.isEmpty()) return;
    const std::string file = path.toStdString();
    const bool ok = WriteOffThread([rows = history_.ShownRecords(), format = host_.format, file] {
        return WriteTextFile(file, CalExportSpreadsheet(rows, format));
    });
    if (!ok) {
        ConfMessage(this, Fill(writeError, host_.lang, path), "K730", MB_ICONWARNING);
        return;
    }
    if (!host_.spreadsheetProgram || !host_.state) {
        ConfMessage(this, Fill(exported, host_.lang, path), "K730", MB_ICONINFORMATION);
        return;
    }
    ConfAskAllCheck(this, Fill(exported, host_.lang, path), "K730", MB_ICONINFORMATION,
                    host_.state->openInExcel, false, true, Q(openInExcel(host_.lang)));
    if (host_.state->openInExcel && host_.openSpreadsheet) host_.openSpreadsheet(path);
}

void TFormHistCAL::CertificateClicked() {
    const auto row = history_.SelectedRow();
    if (!row || !host_.writeCertificate) return;
    const QString path = AskExportFile(Q(pdfFilter(host_.lang)), {});
    if (path.isEmpty()) return;
    if (!host_.writeCertificate(history_.RowRecord(*row), path)) {
        ConfMessage(this, Fill(certificateFailed, host_.lang, path), "K730", MB_ICONWARNING);
        return;
    }
    if (host_.openDocument) host_.openDocument(path);
}

} // namespace k730
