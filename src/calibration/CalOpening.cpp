#include "calibration/CalOpening.h"

#include "calibration/CalTexts.h"
#include "main/MeterKind.h"
#include "main/SettingsOps.h"

#include <algorithm>

namespace k730 {
namespace {

TCalOpenCheck Stop(std::string text, TMessageIcon icon, bool closePanel) {
    return TCalOpenCheck{false, std::move(text), icon, closePanel};
}

TCalOpenCheck Stop(TSettingsMessage message, TLanguage lang, bool closePanel) {
    const TMessageDef& def = SettingsMessage(message);
    return Stop(std::string(def.Text(lang)), def.Icon, closePanel);
}

} // namespace

TCalOpenCheck CheckCalibrationOpening(const TCalOpenState& s, TLanguage lang) {
    if (!s.portSelected) return Stop(TSettingsMessage::smsgNoPort, lang, false);
    if (s.merBusAddress == 0xFFFF) return Stop(TSettingsMessage::smsgAddressUnknown, lang, false);
    if (s.settingsMode & smZeroRunning) return Stop(TSettingsMessage::smsgZeroing, lang, false);
    if (!IsValidMeterType(s.kindByte))
        return Stop(std::string(MeterKindText(0, lang)) + ".", miWarning, false);
    bool close = (s.settingsMode & (smPanelMerBus | smPanelModBus | smPanelConversions)) != 0;
    if (s.rangeCount <= 0) return Stop(TSettingsMessage::smsgRangesUnknown, lang, close);
    close = close || (s.settingsMode & (smPanelDefaultRange | smPanelAverage | smPanelRefresh)) != 0;
    if (!s.statusKnown) return Stop(std::string(calStatusUnknown(lang)), miWarning, close);
    if ((s.statusFlags & sfLoopOn) == 0) return Stop(std::string(calLoopOff(lang)), miWarning, close);
    return TCalOpenCheck{true, std::nullopt, miWarning, close};
}

TCalPlacement PlaceWizard(const TConfRect& work, const TConfRect& main, TConfSize wizard) {
    TCalPlacement p{{main.Right(), main.y, wizard.w, wizard.h}, main.x};
    if (p.wizard.Right() > work.Right()) {
        p.wizard.x = work.Right() - wizard.w;
        p.mainX = std::max(work.x, p.wizard.x - main.w);
    }
    p.wizard.x = std::max(std::min(p.wizard.x, work.Right() - wizard.w), work.x);
    p.wizard.y = std::max(std::min(p.wizard.y, work.Bottom() - wizard.h), work.y);
    return p;
}

TCalOpenState CalOpenStateOf(const TMeterController& c) {
    const TMeterInfo& info = c.Info();
    TCalOpenState s;
    s.portSelected = c.PortListIndex() > 0;
    s.merBusAddress = c.MerBusAddress();
    s.settingsMode = c.SettingsMode();
    s.kindByte = KindByteOf(info);
    s.rangeCount = info.RangeCount;
    s.statusKnown = info.StatusKnown;
    s.statusFlags = info.StatusFlags;
    return s;
}

} // namespace k730
