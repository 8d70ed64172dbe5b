// Program settings kept between runs: the table of stored values with their
// defaults, loading and saving through a TSettingsStore, the language choice
// at start, the data folder and the spreadsheet program used for exports.
#pragma once

#include "main/K730Lang.h"
#include "main/MinMaxAv.h" // DEFAULT_AVER_COUNT
#include "main/SettingsStore.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace k730 {

constexpr int DEFAULT_REPEAT_TIME = 1000; // ms
constexpr size_t TMPL_WIN_COLS = 9;

// Every stored value, named as in the store, with its default when absent.
struct TProgramSettings {
    std::string PortName;          // "PortName": last serial port, empty for none
    std::string DirHistCALExport;  // calibration history export folder
    std::string DirHistMeasExport; // measurement history export folder
    std::string DirHistMeas;       // measurement history files
    bool ShowMinMaxAverage = false;
    int32_t AverCount = DEFAULT_AVER_COUNT; // stored as "AverCountMax"
    bool RepeatAuto = true;
    int32_t RepeatTime = DEFAULT_REPEAT_TIME; // ms, used while RepeatAuto is off
    bool AutoRange = false;
    int32_t HistAverTime = 1;
    bool AutoZero = false;
    std::string LastTemplateName;
    uint8_t LastTemplateKind = 0; // stored as an integer, used as a byte
    int32_t TmplWinWidth = 0;
    int32_t TmplWinHeight = 0;
    std::array<int32_t, TMPL_WIN_COLS> TmplWinCols{}; // stored as one 36-byte block
    bool ShowIconStatus = false;
    bool StayOnTop = false;
};

// Defaults, with the three folders set to the user's documents folder.
TProgramSettings DefaultSettings(const std::string& documentsFolder);

// Reads every present value in table order into `settings`. Nothing happens
// when the key does not exist. A value that cannot be read ends the loading:
// the values read before it stay, the rest keep what they had. Returns true
// when the key existed and was read through without error.
bool LoadSettings(const TSettingsStore& store, TProgramSettings& settings);

// Writes every value except "Language", stopping at the first value the store
// cannot write (a key that cannot be created fails with the first). Returns
// whether everything was written.
bool SaveSettings(TSettingsStore& store, const TProgramSettings& settings);

// True for the port chooser's no-port entry, "żaden" or "none" in any case.
bool IsNoPortEntry(std::string_view name);

// True for the port chooser's last entry, "szukaj..." or "search...".
bool IsSearchEntry(std::string_view name);

// The "PortName" to store: the port chosen in the port list, or when nothing
// (or the search entry) is chosen the remembered one; the no-port entry is
// stored as empty.
std::string PortNameToSave(std::string_view selected, std::string_view remembered);

// Windows-style locale identifiers, as stored in "Language".
constexpr uint32_t LOCALE_POLISH = 0x0415;
constexpr uint32_t LOCALE_ENGLISH = 0x0409;

// Locale identifier for a system locale name such as "pl_PL.UTF-8" or "en-GB":
// Polish gives 0x0415, anything else 0x0409.
uint32_t LocaleIdFromName(std::string_view localeName);

// Polish when the low byte of the system locale is 0x15, else English; a stored
// "Language" of 0x0415 or 0x0409 overrides, any other stored value is ignored.
TLanguage ChooseLanguage(uint32_t systemLocale, const TSettingsStore& store);

// Primary language identifier the confirmation dialog takes: 0x15 or 0x09.
uint16_t DialogLanguageId(TLanguage lang);

// The folder for the program's own data files: the first non-empty of the
// common application-data folder, the user's application-data folder and the
// program's folder, followed by "K730" and a separator.
std::string DataFolder(std::string_view commonAppData, std::string_view userAppData,
                       std::string_view programFolder, char separator = '/');

std::string TemplateLibraryPath(std::string_view dataFolder);  // K730_Template.dat
std::string CalHistoryPath(std::string_view dataFolder);       // K730_CAL.dat
std::string CalHistoryBackupPath(std::string_view dataFolder); // K730_CAL.bak

// A spreadsheet program and the arguments that go before the file to open.
struct TSpreadsheetProgram {
    std::string Program; // full path; empty when none was found
    std::vector<std::string> Arguments;
};

// Looks through the folders of a PATH-style list for a spreadsheet program,
// LibreOffice Calc first. `isExecutable` decides whether a path is a program.
TSpreadsheetProgram FindSpreadsheetProgram(std::string_view searchPath,
                                           const std::function<bool(const std::string&)>& isExecutable);

// Same, over the PATH of this process and the file system.
TSpreadsheetProgram FindSpreadsheetProgram();

} // namespace k730
