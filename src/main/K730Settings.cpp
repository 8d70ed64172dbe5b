// Stored program settings, language choice, data folder and spreadsheet lookup.
#include "main/K730Settings.h"
#include "main/SettingsOps.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace k730 {

namespace {

// Reads values one after another until one cannot be read; from then on every
// read is skipped, so the values before the failure stay and the rest keep
// their previous contents.
class TValueReader {
public:
    explicit TValueReader(const TSettingsStore& store) : store_(store) {}

    bool Failed() const { return failed_; }

    template <class T, class Get> void Read(std::string_view name, T& target, Get get) {
        if (failed_ || !store_.HasValue(name)) return;
        auto value = get(name);
        if (!value) {
            failed_ = true;
            return;
        }
        target = static_cast<T>(*value);
    }
    void Int(std::string_view name, int32_t& v) {
        Read(name, v, [this](std::string_view n) { return store_.GetInteger(n); });
    }
    void Byte(std::string_view name, uint8_t& v) {
        // The kind travels as a byte; only the low byte of the integer counts.
        Read(name, v, [this](std::string_view n) { return store_.GetInteger(n); });
    }
    void Bool(std::string_view name, bool& v) {
        Read(name, v, [this](std::string_view n) { return store_.GetBool(n); });
    }
    void String(std::string_view name, std::string& v) {
        Read(name, v, [this](std::string_view n) { return store_.GetString(n); });
    }
    void Columns(std::string_view name, std::array<int32_t, TMPL_WIN_COLS>& cols) {
        if (failed_ || !store_.HasValue(name)) return;
        auto block = store_.GetBinary(name);
        if (!block) {
            failed_ = true;
            return;
        }
        if (block->size() != cols.size() * 4) return; // a block of another size is left alone
        for (size_t i = 0; i < cols.size(); ++i) {
            const uint8_t* p = block->data() + 4 * i;
            cols[i] = static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                           uint32_t(p[3]) << 24);
        }
    }

private:
    const TSettingsStore& store_;
    bool failed_ = false;
};

std::vector<uint8_t> ColumnsBlock(const std::array<int32_t, TMPL_WIN_COLS>& cols) {
    std::vector<uint8_t> block;
    block.reserve(cols.size() * 4);
    for (int32_t c : cols) {
        const auto u = static_cast<uint32_t>(c);
        for (int shift = 0; shift < 32; shift += 8)
            block.push_back(static_cast<uint8_t>(u >> shift));
    }
    return block;
}

// Stored values nobody can have set through the program would break the
// moving average (no slot) or the polling (a period of nothing).
void CorrectUnusable(TProgramSettings& s) {
    if (s.AverCount < 1) s.AverCount = DEFAULT_AVER_COUNT;
    if (s.RepeatTime < MIN_REFRESH_MS) s.RepeatTime = DEFAULT_REPEAT_TIME;
}

// Lower case for ASCII and the Polish letters, enough to compare entry names.
std::string LowerPolish(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        } else if ((c == 0xC4 || c == 0xC5) && i + 1 < out.size()) {
            auto& next = reinterpret_cast<unsigned char&>(out[i + 1]);
            // Ą Ć Ę (C4 84/86/98), Ł Ń Ś Ź Ż (C5 81/83/9A/B9/BB): lower case is the next code.
            const bool upper =
                c == 0xC4 ? (next == 0x84 || next == 0x86 || next == 0x98)
                          : (next == 0x81 || next == 0x83 || next == 0x9A || next == 0xB9 || next == 0xBB);
            if (upper) ++next;
            ++i;
        } else if (c == 0xC3 && i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) == 0x93) {
            out[i + 1] = static_cast<char>(0xB3); // Ó
            ++i;
        }
    }
    return out;
}

std::string WithSeparator(std::string_view folder, char separator) {
    std::string out(folder);
    if (out.empty() || out.back() != separator) out += separator;
    return out;
}

} // namespace

TProgramSettings DefaultSettings(const std::string& documentsFolder) {
    TProgramSettings s;
    s.DirHistCALExport = documentsFolder;
    s.DirHistMeasExport = documentsFolder;
    s.DirHistMeas = documentsFolder;
    return s;
}

bool LoadSettings(const TSettingsStore& store, TProgramSettings& s) {
    if (!store.KeyExists()) return false;
    TValueReader r(store);
    r.String("PortName", s.PortName);
    r.String("DirHistCALExport", s.DirHistCALExport);
    r.String("DirHistMeasExport", s.DirHistMeasExport);
    r.String("DirHistMeas", s.DirHistMeas);
    r.Bool("ShowMinMaxAverage", s.ShowMinMaxAverage);
    r.Int("AverCountMax", s.AverCount);
    r.Bool("RepeatAuto", s.RepeatAuto);
    r.Int("RepeatTime", s.RepeatTime);
    r.Bool("AutoRange", s.AutoRange);
    r.Int("HistAverTime", s.HistAverTime);
    r.Bool("AutoZero", s.AutoZero);
    r.String("LastTemplateName", s.LastTemplateName);
    r.Byte("LastTemplateKind", s.LastTemplateKind);
    r.Int("TmplWinWidth", s.TmplWinWidth);
    r.Int("TmplWinHeight", s.TmplWinHeight);
    r.Columns("TmplWinCols", s.TmplWinCols);
    r.Bool("ShowIconStatus", s.ShowIconStatus);
    r.Bool("StayOnTop", s.StayOnTop);
    CorrectUnusable(s);
    return !r.Failed();
}

bool SaveSettings(TSettingsStore& store, const TProgramSettings& s) {
    // && stops at the first value that cannot be written.
    return store.SetString("PortName", s.PortName) &&
           store.SetString("DirHistCALExport", s.DirHistCALExport) &&
           store.SetString("DirHistMeasExport", s.DirHistMeasExport) &&
           store.SetString("DirHistMeas", s.DirHistMeas) &&
           store.SetBool("ShowMinMaxAverage", s.ShowMinMaxAverage) &&
           store.SetInteger("AverCountMax", s.AverCount) && store.SetBool("RepeatAuto", s.RepeatAuto) &&
           store.SetInteger("RepeatTime", s.RepeatTime) && store.SetBool("AutoRange", s.AutoRange) &&
           store.SetInteger("HistAverTime", s.HistAverTime) && store.SetBool("AutoZero", s.AutoZero) &&
           store.SetString("LastTemplateName", s.LastTemplateName) &&
           store.SetInteger("LastTemplateKind", s.LastTemplateKind) &&
           store.SetInteger("TmplWinWidth", s.TmplWinWidth) &&
           store.SetInteger("TmplWinHeight", s.TmplWinHeight) &&
           store.SetBinary("TmplWinCols", ColumnsBlock(s.TmplWinCols)) &&
           store.SetBool("ShowIconStatus", s.ShowIconStatus) && store.SetBool("StayOnTop", s.StayOnTop);
}

bool IsNoPortEntry(std::string_view name) {
    const std::string lower = LowerPolish(name);
    return lower == "żaden" || lower == "none";
}

bool IsSearchEntry(std::string_view name) {
    const std::string lower = LowerPolish(name);
    return lower == "szukaj..." || lower == "search...";
}

std::string PortNameToSave(std::string_view selected, std::string_view remembered) {
    // The search entry is no port; closing while it is chosen keeps the last one.
    const std::string_view name = selected.empty() || IsSearchEntry(selected) ? remembered : selected;
    return IsNoPortEntry(name) ? std::string() : std::string(name);
}

uint32_t LocaleIdFromName(std::string_view localeName) {
    const bool polish = localeName.size() >= 2 && (localeName[0] == 'p' || localeName[0] == 'P') &&
                        (localeName[1] == 'l' || localeName[1] == 'L') &&
                        (localeName.size() == 2 || localeName[2] == '_' || localeName[2] == '-' ||
                         localeName[2] == '.' || localeName[2] == '@');
    return polish ? LOCALE_POLISH : LOCALE_ENGLISH;
}

TLanguage ChooseLanguage(uint32_t systemLocale, const TSettingsStore& store) {
    TLanguage lang = (systemLocale & 0xFF) == 0x15 ? langPolish : langEnglish;
    if (!store.KeyExists() || !store.HasValue("Language")) return lang;
    const auto stored = store.GetInteger("Language");
    if (!stored) return lang;
    if (static_cast<uint32_t>(*stored) == LOCALE_POLISH) return langPolish;
    if (static_cast<uint32_t>(*stored) == LOCALE_ENGLISH) return langEnglish;
    return lang;
}

uint16_t DialogLanguageId(TLanguage lang) {
    return lang == langPolish ? 0x15 : 0x09;
}

std::string DataFolder(std::string_view commonAppData, std::string_view userAppData,
                       std::string_view programFolder, char separator) {
    std::string_view base = !commonAppData.empty() ? commonAppData
                            : !userAppData.empty() ? userAppData
                                                   : programFolder;
    return WithSeparator(base, separator) + "K730" + separator;
}

std::string TemplateLibraryPath(std::string_view dataFolder) {
    return std::string(dataFolder) + "K730_Template.dat";
}
std::string CalHistoryPath(std::string_view dataFolder) {
    return std::string(dataFolder) + "K730_CAL.dat";
}
std::string CalHistoryBackupPath(std::string_view dataFolder) {
    return std::string(dataFolder) + "K730_CAL.bak";
}

TSpreadsheetProgram FindSpreadsheetProgram(std::string_view searchPath,
                                           const std::function<bool(const std::string&)>& isExecutable) {
    // Calc's own launcher opens the file directly; the suite launchers need
    // to be told which program of the suite is meant.
    struct TCandidate {
        const char* name;
        std::vector<std::string> arguments;
    };
    const TCandidate candidates[] = {
        {"localc", {}}, {"libreoffice", {"--calc"}}, {"soffice", {"--calc"}}, {"gnumeric", {}}};
    for (const auto& candidate : candidates) {
        size_t start = 0;
        while (start <= searchPath.size()) {
            size_t end = searchPath.find(':', start);
            if (end == std::string_view::npos) end = searchPath.size();
            const std::string_view folder = searchPath.substr(start, end - start);
            if (!folder.empty()) {
                std::string path = WithSeparator(folder, '/') + candidate.name;
                if (isExecutable(path)) return {std::move(path), candidate.arguments};
            }
            start = end + 1;
        }
    }
    return {};
}

TSpreadsheetProgram FindSpreadsheetProgram() {
    const char* path = std::getenv("PATH");
    return FindSpreadsheetProgram(path ? path : "", [](const std::string& file) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const auto status = fs::status(file, ec);
        if (ec || !fs::is_regular_file(status)) return false;
        return (status.permissions() &
                (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) != fs::perms::none;
    });
}

} // namespace k730
