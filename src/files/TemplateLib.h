// The template library "K730_Template.dat": four lists of spectral-response names
// and the stored identity templates the service window programs into meters.
// Template texts are Polish only, as the service window is.
#pragma once

#include "files/FileMessage.h"
#include "protocol/MerBusFun.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace k730 {

constexpr std::string_view TEMPLATE_MAGIC = "K730 SZABLONY ";
constexpr std::string_view TEMPLATE_VERSION = "1.16";
// The largest library that is read: templates are typed in by hand, and even a
// hundred thousand of them with long texts stay far below this.
constexpr size_t TEMPLATE_FILE_LIMIT = size_t{64} << 20;

struct TTemplateRec {
    std::string MeterName; // key text, compared case-sensitively (UTF-8)
    std::string UserName;  // free label, may be empty
    uint8_t MeterKind = 0; // bits 0-6 kind 1..4, bit 7 luminance measurement
    std::string Spectral;
    uint8_t LumMode = 0;           // 0 = no, 1 = yes
    std::string Aperture;          // field of view; meaningful only with LumMode 1
    std::array<float, 3> Ranges{}; // full scales in the meter's unit; <= 0 = range absent
    uint8_t DefaultRange = 0;      // 0..2
    uint8_t Config = 0;
    std::string Version;

    bool operator==(const TTemplateRec&) const = default;
};

using TTemplateArray = std::vector<TTemplateRec>;
using TSpectralLists = std::array<std::vector<std::string>, 4>; // photometric, radiometric, PAR, current

// The lists a new library starts with.
TSpectralLists DefaultSpectralLists();

// Kind byte check of a template: kind 1..4, no luminance on an amperemeter.
bool IsValidTemplateKind(uint8_t kind);

// The same template: equal MeterName (case-sensitive) and equal kind byte.
bool SameTemplate(const TTemplateRec& a, const TTemplateRec& b);

struct TTemplateRead {
    bool valid = false;
    std::string error;
    std::string version; // as found
};

// Reads library bytes; lists and templates may be null (read and discarded).
// Targets keep what they received when the read fails.
TTemplateRead ParseTemplateFile(std::span<const uint8_t> bytes, TSpectralLists* lists,
                                TTemplateArray* templates);
// The library file of the lists and templates. The Aperture of a template with
// LumMode 0 is cleared in `templates` as it is written empty.
TBytes SerializeTemplateFile(const TSpectralLists& lists, TTemplateArray& templates);

bool ReadTemplateFile(const std::string& path, TSpectralLists* lists, TTemplateArray* templates);
bool IsTemplateFile(const std::string& path);
// The read of the library itself, which leaves it read-only on disk.
bool ReadTemplateLibrary(const std::string& path, TSpectralLists* lists, TTemplateArray* templates);
// Replaces the library through a temporary file; read-only afterwards.
bool WriteTemplateLibrary(const std::string& path, const TSpectralLists& lists, TTemplateArray& templates);

// Look-ups read the whole library each time; a missing library finds nothing.
bool FindTemplate(const std::string& path, TTemplateRec& key);
bool TemplateExists(const std::string& path, const std::string& meterName, uint8_t meterKind);
std::string TemplateUserName(const std::string& path, const std::string& meterName, uint8_t meterKind);

// Yes/No question; true for Yes.
using TAskYesNo = std::function<bool(const TFileMessage& question)>;

struct TTemplateOutcome {
    bool success = false;
    TFileMessage message; // empty when there is nothing to show
};

// Adds or (after the question) overwrites one template; a new library gets the default lists.
TTemplateOutcome AddTemplateToLibrary(const std::string& path, const TTemplateRec& t, const TAskYesNo& ask);

// Import of a library file: mode question (nullopt = Cancel, true = Synchronize,
// false = Overwrite) and per-duplicate question with the "all" buttons. The
// measure gives a label's width in the window font (characters by default).
enum TTemplateImportMode { tiSynchronize, tiOverwrite, tiCancel };
using TAskImportMode = std::function<TTemplateImportMode(const TFileMessage& question)>;
using TTextWidth = std::function<int(const std::string&)>;
struct TTemplateImport {
    bool changed = false; // the library was written or replaced
    int replaced = 0, appended = 0, appendedNames = 0;
    TFileMessage message;
};
TTemplateImport ImportTemplateFile(const std::string& libraryPath, const std::string& chosenPath,
                                   const std::string& shownPath, const TAskImportMode& askMode,
                                   const TAskAll& askDuplicate, const TTextWidth& width = {});
// Copies the library to `target` (writable copy).
TTemplateOutcome ExportTemplateLibrary(const std::string& libraryPath, const std::string& target,
                                       const std::string& shownPath);

} // namespace k730
