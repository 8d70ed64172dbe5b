// Layout arithmetic of the confirmation dialog.
#include "ui/ConfLayout.h"

#include <algorithm>

namespace k730 {

TConfIcon ConfIconForStyle(unsigned style) {
    if (style == 0 || style == MB_ICONQUESTION) return ciQuestion;
    switch (style & MB_ICONMASK) {
    case MB_ICONHAND:
        return ciStop;
    case MB_ICONEXCLAMATION:
        return ciExclamation;
    case MB_ICONASTERISK:
        return ciInformation;
    default:
        return ciQuestion;
    }
}

TConfMode NormalisedMode(TConfMode mode) {
    if (mode.allButtons) mode.singleButton = false;
    if (mode.okCancel) mode.yesNo = true;
    return mode;
}

bool ConfCheckWrittenBack(const TConfMode& mode, uint8_t result) {
    // In OK/Cancel mode OK closes with 0; a ticked box must not be lost then.
    if (mode.okCancel) return result == crOk;
    return result == crYes || result == crNo || result == crYesAll || result == crNoAll;
}

int ClampDefaultButton(int button) {
    return std::clamp(button, 0, 1);
}

int ClampChoiceIndex(int index, int optionCount) {
    if (index < 0 || optionCount <= 0) return -1;
    return std::min(index, optionCount - 1);
}

namespace {

// Stacks items at x = margin from y on; returns the y below them, one margin
// further when there were any.
int Stack(const std::vector<TConfSize>& sizes, std::vector<TConfRect>& rects, int y) {
    for (const TConfSize& s : sizes) {
        rects.push_back({CONF_MARGIN, y, s.w, s.h});
        y += s.h;
    }
    return sizes.empty() ? y : y + CONF_MARGIN;
}

int WidestItem(const TConfLayoutInput& in) {
    int widest = 0;
    for (const TConfSize& s : in.radios)
        widest = std::max(widest, s.w);
    for (const TConfSize& s : in.checks)
        widest = std::max(widest, s.w);
    return widest;
}

void ShiftButtons(TConfLayout& l, int dx) {
    for (TConfRect* r : {&l.yes, &l.no, &l.skip, &l.yesAll, &l.noAll, &l.cancel})
        r->x += dx;
}

void PlaceButtonsInRows(TConfLayout& l, const TConfMode& mode, int bh) {
    const int m = CONF_MARGIN;
    l.yes = {m, 0, CONF_WIDE_BUTTON, bh};
    l.no = {l.yes.Right() + m, 0, CONF_WIDE_BUTTON, bh};
    l.skip = {l.no.Right() + m, 0, CONF_BUTTON, bh};
    l.yesAll = {l.yes.x, 0, CONF_WIDE_BUTTON, bh};
    l.noAll = {l.no.x, 0, CONF_WIDE_BUTTON, bh};
    l.cancel = {l.skip.x, 0, CONF_BUTTON, bh};
    l.showNo = !mode.singleButton;
    l.showCancel = !mode.singleButton && !mode.yesNo;
    l.showAll = mode.allButtons;
    l.showSkip = mode.allButtons && !mode.yesNo;
}

// Client width and the horizontal shift of the buttons.
void FitWidth(TConfLayout& l, const TConfLayoutInput& in, const TConfMode& mode) {
    const int m = CONF_MARGIN;
    const int rowEdge = mode.singleButton ? l.yes.Right() : (mode.yesNo ? l.no.Right() : l.skip.Right());
    const int rowButtons = mode.singleButton ? 1 : (mode.yesNo ? 2 : 3);
    const int textEdge = CONF_LABEL_LEFT + in.text.w + m;
    int shift = 0;
    l.clientWidth = rowEdge + m;
    if (textEdge > l.clientWidth) {
        shift = (textEdge - l.clientWidth) / std::max(rowButtons, 2);
        l.clientWidth = textEdge;
    }
    int itemsWidth = 2 * m + WidestItem(in);
    if (in.checkBox) itemsWidth = std::max(itemsWidth, 2 * m + in.checkBox->w);
    if (itemsWidth > l.clientWidth) {
        shift += (itemsWidth - l.clientWidth) / 2;
        l.clientWidth = itemsWidth;
    }
    ShiftButtons(l, shift);
    if (mode.singleButton) l.yes.x = (l.clientWidth - l.yes.w) / 2;
}

void FitHeight(TConfLayout& l, const TConfLayoutInput& in, const TConfMode& mode) {
    const int m = CONF_MARGIN;
    if (l.label.h < l.icon.h) l.label.y = l.icon.y + (l.icon.h - l.label.h) / 2;
    int y = std::max(l.label.Bottom() + l.label.y * 3 / 2, 2 * l.icon.y + l.icon.h);
    y = Stack(in.radios, l.radios, y);
    y = Stack(in.checks, l.checks, y);
    for (TConfRect* r : {&l.yes, &l.no, &l.skip, &l.cancel})
        r->y = y;
    const int row2 = l.yes.Bottom() + m / 2;
    l.yesAll.y = l.noAll.y = row2;
    if (mode.allButtons) l.cancel.y = row2; // under Skip; otherwise in Skip's place
    const int lastBottom = mode.allButtons ? l.yesAll.Bottom() : l.yes.Bottom();
    l.clientHeight = lastBottom + l.label.y / 2;
    if (in.checkBox) {
        l.checkBox = {m, l.clientHeight, in.checkBox->w, in.checkBox->h};
        l.clientHeight += in.checkBox->h + l.label.y / 2;
    }
}

} // namespace

TConfLayout LayoutConfirm(const TConfLayoutInput& input) {
    const TConfMode mode = NormalisedMode(input.mode);
    TConfLayout l;
    l.icon = {CONF_MARGIN, CONF_MARGIN, input.icon.w, input.icon.h};
    l.label = {CONF_LABEL_LEFT, CONF_MARGIN, input.text.w, input.text.h};
    PlaceButtonsInRows(l, mode, input.buttonHeight);
    FitWidth(l, input, mode);
    FitHeight(l, input, mode);
    return l;
}

TConfRect PlaceDialog(const TConfRect& workArea, const std::optional<TConfRect>& owner, TConfSize dialog) {
    TConfRect ref = workArea;
    if (owner) {
        ref = *owner;
        if (ref.w < dialog.w) {
            ref.x -= (dialog.w - ref.w) / 2;
            ref.w = dialog.w;
        }
        if (ref.h < dialog.h) {
            ref.y -= (dialog.h - ref.h) / 2;
            ref.h = dialog.h;
        }
    }
    TConfRect r = {ref.x + (ref.w - dialog.w) / 2, ref.y + (ref.h - dialog.h) / 2, dialog.w, dialog.h};
    r.x = std::max(std::min(r.x, workArea.Right() - r.w), workArea.x);
    r.y = std::max(std::min(r.y, workArea.Bottom() - r.h), workArea.y);
    return r;
}

} // namespace k730
