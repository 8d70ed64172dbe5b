#include "files/TemplateLib.h"

#include "files/ByteCodec.h"
#include "files/FileIo.h"
#include "main/Cp1250.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace k730 {
namespace {

constexpr std::string_view versionTag = "ver. ";

// Polish-only texts: both halves of a message carry them.
TFileMessage Polish(std::string text, TMessageStyle style) {
    return TFileMessage{text, text, style};
}

// The major number of a version text after dropping non-digits at both ends.
bool MajorNotNewer(std::string_view version) {
    const auto first = version.find_first_of("0123456789");
    if (first == std::string_view::npos) return true; // reads "0.0"
    const auto last = version.find_last_of("0123456789");
    std::string_view core = version.substr(first, last - first + 1);
    const auto point = core.find('.');
    std::string_view major = core;
    if (point != std::string_view::npos)
        major = core.substr(0, point);
    else
        major = core.substr(0, std::min(core.size(), core.find_first_not_of("0123456789")));
    if (major.empty()) return true;
    if (major.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const auto digits = major.substr(std::min(major.find_first_not_of('0'), major.size()));
    return digits.size() <= 1 && (digits.empty() || digits[0] <= '1');
}

std::vector<std::string> SplitNames(const std::string& section) {
    std::vector<std::string> names;
    for (size_t at = 0; at <= section.size();) {
        size_t next = section.find("\r\n", at);
        if (next == std::string::npos) next = section.size();
        if (next > at) names.push_back(Cp1250ToUtf8(section.substr(at, next - at)));
        at = next + 2;
    }
    return names;
}

// The text that may end the file: ended by a zero byte, or by the end of the
// file when its zero is missing. A file that ends where the text would begin
// has lost it.
bool ReadLastText(TByteReader& in, std::string& text) {
    if (in.ZText(text)) return true;
    if (in.AtEnd()) return false;
    text = in.TextToZeroOrEnd();
    return true;
}

// The four lists, each ended by a zero byte. Only the fourth may end the file
// without its zero, as the last text of a library without templates; a file
// that ends in an earlier list has lost the rest of them. Lists read whole are
// kept also when a later one is cut.
bool ReadLists(TByteReader& in, TSpectralLists* lists) {
    for (size_t i = 0; i < 4; ++i) {
        std::string section;
        if (i < 3 ? !in.ZText(section) : !ReadLastText(in, section)) return false;
        if (lists) (*lists)[i] = SplitNames(section);
    }
    return true;
}

bool ReadTemplate(TByteReader& in, TTemplateRec& t) {
    t.MeterName = Cp1250ToUtf8(in.TextToZeroOrEnd());
    t.UserName = Cp1250ToUtf8(in.TextToZeroOrEnd());
    if (!in.U(t.MeterKind)) return false;
    t.Spectral = Cp1250ToUtf8(in.TextToZeroOrEnd());
    if (!in.U(t.LumMode)) return false;
    t.Aperture = Cp1250ToUtf8(in.TextToZeroOrEnd());
    if (!in.U(t.DefaultRange)) return false;
    if (in.Size() - in.Pos() < 12) return false;
    for (float& r : t.Ranges)
        in.F32(r);
    std::string version;
    if (!in.U(t.Config) || !ReadLastText(in, version)) return false;
    t.Version = Cp1250ToUtf8(version);
    return true;
}

void PutTemplate(TBytes& out, TTemplateRec& t) {
    if (t.LumMode == 0) t.Aperture.clear();
    PutZText(out, Utf8ToCp1250(t.MeterName));
    PutZText(out, Utf8ToCp1250(t.UserName));
    out.push_back(t.MeterKind);
    PutZText(out, Utf8ToCp1250(t.Spectral));
    out.push_back(t.LumMode);
    PutZText(out, Utf8ToCp1250(t.Aperture));
    out.push_back(t.DefaultRange);
    for (float r : t.Ranges)
        PutF32(out, r);
    out.push_back(t.Config);
    PutZText(out, Utf8ToCp1250(t.Version));
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Lower-cased in Windows-1250 terms, so that Polish letters compare without case too.
std::string FoldCase(const std::string& utf8) {
    std::string cp = Utf8ToCp1250(utf8);
    for (char& c : cp) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 0xC0 && b <= 0xDE && b != 0xD7) || b == 0x8A || b == 0x8C || b == 0x8D || b == 0x8E ||
            b == 0x8F)
            c = static_cast<char>(b + (b >= 0xC0 ? 0x20 : 0x10));
        else if (b == 0xA3 || b == 0xA5 || b == 0xAA || b == 0xAF)
            c = static_cast<char>(b == 0xA5 ? 0xB9 : b + 0x10);
        else if (b == 0xBC)
            c = static_cast<char>(0xBE);
    }
    return Lower(cp);
}

int AppendNewNames(TSpectralLists& into, const TSpectralLists& from) {
    int added = 0;
    for (size_t i = 0; i < into.size(); ++i)
        for (const auto& name : from[i]) {
            const auto folded = FoldCase(name);
            const bool known = std::any_of(into[i].begin(), into[i].end(),
                                           [&](const std::string& n) { return FoldCase(n) == folded; });
            if (!known) {
                into[i].push_back(name);
                ++added;
            }
        }
    return added;
}

std::string PadToWidest(const std::vector<std::string>& labels, size_t i, const TTextWidth& width) {
    const auto w = [&](const std::string& s) { return width ? width(s) : static_cast<int>(s.size()); };
    int widest = 0;
    for (const auto& l : labels)
        widest = std::max(widest, w(l));
    std::string label = labels[i];
    while (w(label) < widest)
        label += ' ';
    return label;
}

TFileMessage ImportReport(const std::string& shownPath, const TTemplateImport& r, const TTextWidth& width) {
    const std::vector<std::string> labels = {
        "Nadpisanych szablonów: ", "Dopisanych szablonów: ", "Dopisanych czułości widmowych: "};
    const int counts[] = {r.replaced, r.appended, r.appendedNames};
    std::string text = "Poprawnie zaimportowano plik szablonów:\r\n" + shownPath + "\r\n\r\n";
    for (size_t i = 0; i < labels.size(); ++i)
        text += (i ? "\r\n" : "") + PadToWidest(labels, i, width) + "\t" + std::to_string(counts[i]);
    return Polish(text, msInformation);
}

bool SamePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

// Merges `from` into the library arrays; false when the user cancelled.
bool MergeTemplates(TTemplateArray& lib, const TTemplateArray& from, const TAskAll& ask, TTemplateImport& r) {
    int toAll = -1;
    for (const auto& t : from) {
        const auto it =
            std::find_if(lib.begin(), lib.end(), [&](const TTemplateRec& x) { return SameTemplate(x, t); });
        if (it == lib.end()) {
            lib.push_back(t);
            ++r.appended;
            continue;
        }
        const TAskAnswer answer =
            toAll >= 0 ? static_cast<TAskAnswer>(toAll)
                       : ask(Polish("Istnieje już szablon " + t.MeterName + "\r\nCzy chcesz go nadpisać?",
                                    msQuestion));
        if (answer == aaCancel) return false;
        if (answer == aaYesToAll || answer == aaNoToAll) toAll = answer;
        if (answer == aaYes || answer == aaYesToAll) {
            *it = t;
            ++r.replaced;
        }
    }
    return true;
}

} // namespace

TSpectralLists DefaultSpectralLists() {
    return {std::vector<std::string>{"V", "V'", "V\""}, {"B", "R", "S", "UVA", "IR"}, {"PAR"}, {"I"}};
}

bool IsValidTemplateKind(uint8_t kind) {
    const int basic = kind & 0x7F;
    return basic >= 1 && basic <= 4 && !((kind & 0x80) && basic == 4);
}

bool SameTemplate(const TTemplateRec& a, const TTemplateRec& b) {
    return a.MeterName == b.MeterName && a.MeterKind == b.MeterKind;
}

TTemplateRead ParseTemplateFile(std::span<const uint8_t> bytes, TSpectralLists* lists,
                                TTemplateArray* templates) {
    TTemplateRead r;
    TByteReader in(bytes);
    if (!in.Match(TEMPLATE_MAGIC) || !in.Match(versionTag)) return r.error = "not a template file (magic)", r;
    if (!in.TextEndedBy(' ', r.version)) return r.error = "file ends inside its version text", r;
    if (!MajorNotNewer(r.version)) return r.error = "version newer than 1.x", r;
    if (!ReadLists(in, lists)) return r.error = "file ends inside its spectral-response lists", r;
    while (!in.AtEnd()) {
        TTemplateRec t;
        if (!ReadTemplate(in, t)) return r.error = "template cut short", r;
        if (templates) templates->push_back(std::move(t));
    }
    r.valid = true;
    return r;
}

TBytes SerializeTemplateFile(const TSpectralLists& lists, TTemplateArray& templates) {
    TBytes out;
    out.reserve(4096);
    PutText(out, TEMPLATE_MAGIC);
    PutText(out, versionTag);
    PutText(out, TEMPLATE_VERSION);
    out.push_back(' ');
    for (const auto& list : lists) {
        for (const auto& name : list) {
            PutText(out, Utf8ToCp1250(name));
            PutText(out, "\r\n");
        }
        out.push_back(0);
    }
    for (auto& t : templates)
        PutTemplate(out, t);
    return out;
}

bool ReadTemplateFile(const std::string& path, TSpectralLists* lists, TTemplateArray* templates) {
    try {
        const auto bytes = ReadWholeFile(path, TEMPLATE_FILE_LIMIT);
        return bytes && ParseTemplateFile(*bytes, lists, templates).valid;
    } catch (...) {
        return false;
    }
}

bool IsTemplateFile(const std::string& path) {
    return ReadTemplateFile(path, nullptr, nullptr);
}

bool ReadTemplateLibrary(const std::string& path, TSpectralLists* lists, TTemplateArray* templates) {
    const bool ok = ReadTemplateFile(path, lists, templates);
    if (ok) SetReadOnly(path);
    return ok;
}

bool WriteTemplateLibrary(const std::string& path, const TSpectralLists& lists, TTemplateArray& templates) {
    try {
        return WriteFileAtomic(path, SerializeTemplateFile(lists, templates), true);
    } catch (...) {
        return false;
    }
}

bool FindTemplate(const std::string& path, TTemplateRec& key) {
    TTemplateArray all;
    if (!FileExists(path) || !ReadTemplateLibrary(path, nullptr, &all)) return false;
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const TTemplateRec& t) { return SameTemplate(t, key); });
    if (it == all.end()) return false;
    key = *it;
    return true;
}

bool TemplateExists(const std::string& path, const std::string& meterName, uint8_t meterKind) {
    TTemplateRec key;
    key.MeterName = meterName;
    key.MeterKind = meterKind;
    return FindTemplate(path, key);
}

std::string TemplateUserName(const std::string& path, const std::string& meterName, uint8_t meterKind) {
    TTemplateRec key;
    key.MeterName = meterName;
    key.MeterKind = meterKind;
    return FindTemplate(path, key) ? key.UserName : std::string();
}

TTemplateOutcome AddTemplateToLibrary(const std::string& path, const TTemplateRec& t, const TAskYesNo& ask) {
    TSpectralLists lists = DefaultSpectralLists();
    TTemplateArray all;
    bool replacing = false;
    if (FileExists(path)) {
        if (!ReadTemplateLibrary(path, &lists, &all)) return {};
        const auto it =
            std::find_if(all.begin(), all.end(), [&](const TTemplateRec& x) { return SameTemplate(x, t); });
        if (it != all.end()) {
            if (!ask(Polish("Istnieje już szablon " + t.MeterName + "\r\nCzy chcesz go nadpisać?",
                            msQuestion)))
                return TTemplateOutcome{true, {}};
            *it = t;
            replacing = true;
        } else {
            all.push_back(t);
        }
    } else {
        all = {t};
    }
    if (!WriteTemplateLibrary(path, lists, all))
        return TTemplateOutcome{false, Polish("Nie udało się dopisać szablonu\r\n" + t.MeterName, msWarning)};
    return TTemplateOutcome{true,
                            Polish(std::string("Pomyślnie ") + (replacing ? "nadpisano " : "dopisano ") +
                                       "szablon\r\n" + t.MeterName,
                                   msInformation)};
}

TTemplateImport ImportTemplateFile(const std::string& libraryPath, const std::string& chosenPath,
                                   const std::string& shownPath, const TAskImportMode& askMode,
                                   const TAskAll& askDuplicate, const TTextWidth& width) {
    TTemplateImport r;
    const TFileMessage failed = Polish("Nie udało się zaimportować pliku szablonów.", msInformation);
    if (!IsTemplateFile(chosenPath))
        return r.message = Polish("Plik " + shownPath + "\r\nnie jest plikiem szablonów.", msWarning), r;
    if (SamePath(chosenPath, libraryPath)) return r;
    TTemplateImportMode mode = tiOverwrite;
    if (IsTemplateFile(libraryPath))
        mode = askMode(Polish("Plik szablonów już istnieje.\r\nWybierz sposób postępowania:", msQuestion));
    if (mode == tiCancel) return r;
    if (mode == tiOverwrite) {
        const auto bytes = ReadWholeFile(chosenPath, TEMPLATE_FILE_LIMIT);
        r.changed = bytes && WriteFileAtomic(libraryPath, *bytes, true);
        r.message = r.changed
                        ? Polish("Poprawnie zaimportowano plik szablonów:\r\n" + shownPath, msInformation)
                        : failed;
        return r;
    }
    TSpectralLists libLists, fromLists;
    TTemplateArray lib, from;
    if (!ReadTemplateFile(chosenPath, &fromLists, &from) || !ReadTemplateFile(libraryPath, &libLists, &lib))
        return r.message = failed, r;
    if (!MergeTemplates(lib, from, askDuplicate, r))
        return TTemplateImport{false, 0, 0, 0,
                               Polish("Import przewrano na żądanie użytkownika.", msInformation)};
    r.appendedNames = AppendNewNames(libLists, fromLists);
    r.changed = WriteTemplateLibrary(libraryPath, libLists, lib);
    r.message = r.changed ? ImportReport(shownPath, r, width) : failed;
    return r;
}

TTemplateOutcome ExportTemplateLibrary(const std::string& libraryPath, const std::string& target,
                                       const std::string& shownPath) {
    const auto bytes =
        FileExists(libraryPath) ? ReadWholeFile(libraryPath, TEMPLATE_FILE_LIMIT) : std::nullopt;
    if (bytes && WriteFileAtomic(target, *bytes, false))
        return {true, Polish("Poprawnie wyeksportowano szablony do pliku: \r\n" + shownPath, msInformation)};
    return {false, Polish("Nie udało się wyeksportować szablonów do pliku:\r\n" + shownPath, msWarning)};
}

} // namespace k730
