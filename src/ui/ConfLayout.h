// The confirmation dialog's rules without the toolkit: result codes, icons by
// message-box style, button captions, the layout arithmetic and the placement
// on the screen. The Qt dialog (ConfBox) measures its texts and applies what
// these functions compute.
#pragma once

#include "main/K730Lang.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace k730 {

// Message-box style values as callers pass them: the icon field (bits 4..7)
// also picks the sound.
constexpr unsigned MB_ICONHAND = 16;
constexpr unsigned MB_ICONQUESTION = 32;
constexpr unsigned MB_ICONEXCLAMATION = 48;
constexpr unsigned MB_ICONASTERISK = 64;
constexpr unsigned MB_ICONMASK = 0xF0;
// The names callers read best.
constexpr unsigned MB_ICONERROR = MB_ICONHAND;
constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;

enum TConfIcon { ciQuestion, ciStop, ciExclamation, ciInformation };

// Styles 0 and 32 keep the question icon the dialog starts with.
TConfIcon ConfIconForStyle(unsigned style);

// Which button closed the dialog.
enum TConfResult : uint8_t {
    crOk = 0,  // "OK" in OK/Cancel mode
    crYes = 1, // also "OK" in single-button mode
    crNo = 2,
    crSkip = 3,
    crYesAll = 4,
    crNoAll = 5,
    crCancel = 6, // "Cancel", Escape, the close box, "Cancel" of OK/Cancel mode
};

constexpr TText CAPTION_YES = {"Tak", "Yes"};
constexpr TText CAPTION_NO = {"Nie", "No"};
constexpr TText CAPTION_SKIP = {"Pomiń", "Skip"};
constexpr TText CAPTION_YES_ALL = {"Tak na wszystkie", "Yes to all"};
constexpr TText CAPTION_NO_ALL = {"Nie na wszystkie", "No to all"};
constexpr TText CAPTION_CANCEL = {"Anuluj", "Cancel"};
constexpr TText CAPTION_OK = {"OK", "OK"};

// Which buttons a dialog has.
struct TConfMode {
    bool allButtons = false;   // second row: "Yes to all", "No to all"
    bool singleButton = false; // only "OK"; ignored with allButtons
    bool yesNo = false;        // no "Cancel"
    bool okCancel = false;     // "OK" and "Cancel" in the places of Yes and No
};

// The mode after the rules between the flags: all buttons win over a single
// one, OK/Cancel runs as a two-button row.
TConfMode NormalisedMode(TConfMode mode);

// The state of a check box is handed back for these results only.
bool ConfCheckWrittenBack(const TConfMode& mode, uint8_t result);
// A default button of 0 (Yes) or 1 (No).
int ClampDefaultButton(int button);
// -1 for a negative index, the last option for one too large.
int ClampChoiceIndex(int index, int optionCount);

struct TConfRect {
    int x = 0, y = 0, w = 0, h = 0;
    int Right() const { return x + w; }
    int Bottom() const { return y + h; }
    bool operator==(const TConfRect&) const = default;
};

struct TConfSize {
    int w = 0, h = 0;
};

// What the layout needs measured (pixels).
struct TConfLayoutInput {
    TConfMode mode;
    TConfSize icon = {32, 32};
    TConfSize text; // widest line, height of all lines
    int buttonHeight = 25;
    std::vector<TConfSize> radios;     // one per option
    std::vector<TConfSize> checks;     // one per check list entry
    std::optional<TConfSize> checkBox; // the single extra check box
};

struct TConfLayout {
    TConfRect icon, label;
    TConfRect yes, no, skip, yesAll, noAll, cancel;
    bool showNo = false, showSkip = false, showCancel = false, showAll = false;
    std::vector<TConfRect> radios, checks;
    TConfRect checkBox;
    int clientWidth = 0, clientHeight = 0;
};

// Margin, label position and button widths of the designed form.
constexpr int CONF_MARGIN = 13;
constexpr int CONF_LABEL_LEFT = 52;
constexpr int CONF_WIDE_BUTTON = 101; // Yes, No, Yes to all, No to all
constexpr int CONF_BUTTON = 100;      // Skip, Cancel

TConfLayout LayoutConfirm(const TConfLayoutInput& input);

// Centres a dialog of the given size over the owner's rectangle (widened to
// the dialog when smaller) or over the work area, then pushes it back inside
// the work area.
TConfRect PlaceDialog(const TConfRect& workArea, const std::optional<TConfRect>& owner, TConfSize dialog);

} // namespace k730
