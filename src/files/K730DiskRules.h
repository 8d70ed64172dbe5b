// Rules of the file-saving helpers that need no toolkit: the name a save
// dialog stands for, shortening a path for a message, the messages and their
// words, drive facts from the mount table, file attributes, folder creation,
// copying over a file and file time stamps. K730Disk puts the dialogs on top.
#pragma once

#include "main/K730Lang.h"

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace k730 {

// Messages of the helpers; "%s" is filled in order by FillText.
constexpr TText DISK_PATH_MISSING = {"Ścieżka\r\n%s\r\nnie istnieje.", "Path\r\n%s\r\ndoesn't exist."};
constexpr TText DISK_CAPTION_ERROR = {"Błąd", "Error"};
constexpr TText DISK_CDROM_WRITE = {"Nie można dokonywać zapisu w napędzie CDROM.",
                                    "Writing to CDROM is impossible."};
constexpr TText DISK_CDROM_CREATE = {"Nie można utworzyć folderu w napędzie CDROM.",
                                     "Writing to CDROM is impossible."};
constexpr TText DISK_CREATE_ASK = {"Folder\r\n%s\r\nnie istnieje.\r\nCzy utworzyć ten folder?",
                                   "Directory\r\n%s\r\ndoesn't exist.\r\nCreate new?"};
constexpr TText DISK_CREATE_CAPTION = {"Utwórz folder", "Create directory"};
constexpr TText DISK_CANNOT_CREATE = {
    "Plik\r\n%s\r\nnie może zostać utworzony,\r\nponieważ już istnieje %s o tej nazwie.",
    "File\r\n%s\r\ncannot be created, because %s\r\nwith the same name already exists."};
constexpr TText DISK_WORD_DIRECTORY = {"folder", "directory"};
constexpr TText DISK_WORD_LABEL = {"etykieta", "label"};
constexpr TText DISK_ATTR_READ_ONLY = {"'tylko do odczytu'", "'read only'"};
constexpr TText DISK_ATTR_HIDDEN = {"'ukryty'", "'hidden'"};
constexpr TText DISK_ATTR_SYSTEM = {"'systemowy'", "'system'"};
constexpr TText DISK_HAS_ATTRIBUTES = {"Plik\r\n%s\r\nposiada atrybut %s\r\nZapisać mimo to?",
                                       "File\r\n%s\r\nhas attributes %s\r\nSave anyway?"};
constexpr TText DISK_ALREADY_EXISTS = {"Plik\r\n%s\r\njuż istnieje.\r\nCzy chcesz go zamienić?",
                                       "File\r\n%s\r\nalready exists.\r\nOverwrite?"};

// Replaces each "%s" of the pattern by the next argument.
std::string FillText(std::string_view pattern, std::initializer_list<std::string_view> args);

// Save dialogs. The filter is "description|pattern|description|pattern...",
// the index counts pairs from 1. "*.txt" gives "txt", "*.*" nothing; of a
// pattern list such as "*.txt;*.csv" the first counts.
std::string FilterExtension(std::string_view filter, int filterIndex);
// The name to write: empty when the name has no stem; one trailing point
// dropped; the filter's extension appended unless the name already has it
// (ignoring case); expanded to a full path.
std::string SaveFileNameFor(std::string_view name, std::string_view filter, int filterIndex);

// Width for ShortenPath: 0 means -2; -n is the work-area width / n for n up
// to 10, else round(work-area width / n × 10).
int ShortenWidth(int width, int workAreaWidth);
// Where "..." goes: after the first ":\" (or the leading "/" of a POSIX
// path), at 3 for a "\\" network path, else at the start.
size_t ShortenInsertPoint(std::string_view path);
// Inserts "..." and drops the characters after it one at a time (whole
// UTF-8 characters) until `fits` accepts the text or none are left.
std::string ShortenPathToFit(std::string_view path, const std::function<bool(std::string_view)>& fits);

// Drive facts. On this system a "drive" is the mount holding the path; a
// CD-ROM is an iso9660 or udf mount.
enum TDriveType { dtUnknown = 0, dtNoRootDir = 1, dtFixed = 3, dtCdRom = 5 };
// The file system type of the longest mount point containing the absolute
// path, from a mount table in /proc/self/mounts form; empty when none.
std::string MountFsType(std::string_view mountsText, std::string_view absolutePath);
std::string ReadMountTable(); // /proc/self/mounts, empty when unreadable
TDriveType DriveTypeOf(std::string_view path, std::string_view mountsText);
bool DriveUsable(std::string_view path, std::string_view mountsText);

// Anything with that name, a dangling link included.
bool FileExistsAny(std::string_view path);
// Trailing delimiters ignored.
bool FolderExists(std::string_view path);

// What stands under a target name. Read-only: no write permission bit at all;
// hidden: the name starts with a point; system: not a regular file (device,
// pipe, socket).
struct TTargetState {
    enum TKind { tkNone, tkFolder, tkLabel, tkFile } kind = tkNone;
    bool readOnly = false, hidden = false, system = false;
};
TTargetState TargetStateOf(std::string_view path);
// "'read only', 'hidden'" in the order read only, hidden, system; empty when none.
std::string AttributeListText(const TTargetState& state, int lang);

// What EnsureFolder does with a folder.
enum TFolderDecision { fdDriveMissing, fdCdRomExisting, fdCdRomMissing, fdExists, fdCreate };
TFolderDecision DecideFolder(std::string_view folder, std::string_view mountsText);
// Trailing delimiters removed, the whole chain created; true when the folder exists afterwards.
bool CreateFolderChain(std::string_view folder);
// EnsureFolder without messages.
bool EnsureFolderSilently(std::string_view folder, std::string_view mountsText);

// Copies over an existing target (made writable first). False without a
// file-name part in the target or without a source file.
bool CopyFileOver(std::string_view source, std::string_view target, std::string_view mountsText);

// File time stamps: which = 0 creation, 1 last access, 2 last write (clamped).
// Get answers false for a missing file and then gives the present time; the
// creation time comes from the file system where it keeps one, else the last
// write. Set cannot change a creation time here and answers false for it.
using TFileTime = std::chrono::system_clock::time_point;
bool GetFileDateTime(std::string_view path, int which, TFileTime& out);
bool SetFileDateTime(std::string_view path, int which, TFileTime value);

} // namespace k730
