// File-saving helpers on Qt.
#include "files/K730Disk.h"

#include "ui/ConfBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>

namespace k730 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
std::string S(const QString& text) {
    return text.toStdString();
}

int Lang(int lang) {
    return lang < 0 ? ConfLanguage() : lang;
}

int WorkAreaWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().width() : 1024;
}

// The window messages belong to when the caller names none.
QWidget* AppWindow() {
    return QApplication::activeWindow();
}

QString WithSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith('/')) folder += '/';
    return folder;
}

// "Text files (*.txt *.text)" → "Text files (*.txt *.text)|*.txt;*.text".
QString PipeFilter(const QStringList& nameFilters) {
    static const QRegularExpression patterns(R"(\(([^()]*)\)\s*$)");
    QStringList pairs;
    for (const QString& filter : nameFilters) {
        const QRegularExpressionMatch m = patterns.match(filter);
        const QString list = m.hasMatch() ? m.captured(1) : filter;
        pairs << filter << list.split(' ', Qt::SkipEmptyParts).join(';');
    }
    return pairs.join('|');
}

} // namespace

QString SaveDialogFileName(const QString& fileName, const QString& filter, int filterIndex) {
    return Q(SaveFileNameFor(S(fileName), S(filter), filterIndex));
}

QString SaveDialogFileName(const QFileDialog& dialog) {
    const QStringList files = dialog.selectedFiles();
    const QString name = files.isEmpty() ? QString() : files.first();
    const QStringList filters = dialog.nameFilters();
    const int index = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return SaveDialogFileName(name, PipeFilter(filters), index);
}

QString ShortenPath(const QString& path, const QFont* font, int width) {
    const QFontMetrics metrics(font ? *font : QApplication::font());
    const int limit = ShortenWidth(width, WorkAreaWidth());
    return Q(ShortenPathToFit(
        S(path), [&](std::string_view text) { return metrics.horizontalAdvance(Q(text)) <= limit; }));
}

bool EnsureFolder(const QString& folder, bool ask) {
    const std::string path = S(folder);
    const std::string mounts = ReadMountTable();
    const TFolderDecision decision = DecideFolder(path, mounts);
    if (!ask) return EnsureFolderSilently(path, mounts);
    const int lang = ConfLanguage();
    const QString shown = ShortenPath(folder);
    switch (decision) {
    case fdDriveMissing:
        ConfMessage(AppWindow(), Q(FillText(DISK_PATH_MISSING(lang), {S(shown)})),
                    Q(DISK_CAPTION_ERROR(lang)), MB_ICONWARNING);
        return false;
    case fdCdRomExisting:
    case fdCdRomMissing:
        ConfMessage(AppWindow(),
                    Q(decision == fdCdRomExisting ? DISK_CDROM_WRITE(lang) : DISK_CDROM_CREATE(lang)),
                    Q(DISK_CAPTION_ERROR(lang)), MB_ICONWARNING);
        return false;
    case fdExists:
        return true;
    case fdCreate:
        break;
    }
    if (!ConfYesNo(AppWindow(), Q(FillText(DISK_CREATE_ASK(lang), {S(shown)})), Q(DISK_CREATE_CAPTION(lang)),
                   MB_ICONQUESTION))
        return false;
    return CreateFolderChain(path);
}

bool CheckTargetFile(QWidget* owner, const QString& path, const QString& caption, int lang) {
    lang = Lang(lang);
    const TTargetState state = TargetStateOf(S(path));
    const QString shown = ShortenPath(path);
    if (state.kind == TTargetState::tkNone) return true;
    if (state.kind == TTargetState::tkFolder || state.kind == TTargetState::tkLabel) {
        const TText& word = state.kind == TTargetState::tkFolder ? DISK_WORD_DIRECTORY : DISK_WORD_LABEL;
        ConfMessage(AppWindow(), Q(FillText(DISK_CANNOT_CREATE(lang), {S(shown), word(lang)})), caption,
                    MB_ICONWARNING);
        return false;
    }
    const std::string attributes = AttributeListText(state, lang);
    if (attributes.empty()) return true;
    return ConfYesNoDefault(owner ? owner : AppWindow(),
                            Q(FillText(DISK_HAS_ATTRIBUTES(lang), {S(shown), attributes})), caption,
                            MB_ICONWARNING, 1);
}

bool AcceptSaveTarget(const QString& path) {
    if (path.isEmpty()) return false;
    if (!FileExistsAny(S(path))) return true;
    const int lang = ConfLanguage();
    if (!ConfYesNoDefault(nullptr, Q(FillText(DISK_ALREADY_EXISTS(lang), {S(ShortenPath(path))})), "K730",
                          MB_ICONWARNING, 1))
        return false;
    return CheckTargetFile(nullptr, path, "K730");
}

QString DocumentsFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    if (folder.isEmpty()) folder = QCoreApplication::applicationDirPath();
    return WithSlash(folder);
}

QString DataFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return WithSlash(QCoreApplication::applicationDirPath());
    return WithSlash(base) + "K730/";
}

int TextWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

int TextHeight(const QFont& font) {
    return QFontMetrics(font).height();
}

int CheckBoxGlyphWidth() {
    static const int width = [] {
        const int indicator =
            QApplication::style() ? QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth) : 0;
        return (indicator > 0 ? indicator : 16) + 3;
    }();
    return width;
}

} // namespace k730
