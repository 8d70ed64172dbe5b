#include "calibration/CalTexts.h"

#include "files/FileTexts.h"
#include "files/K730DiskRules.h"
#include "main/K730Fun.h"

#include <algorithm>

namespace k730 {
namespace {

const TCalQuantity quantities[4][2] = {
    {{{"natężenia oświetlenia", "illuminance"}, "lx"}, {{"luminancji", "luminance"}, "cd·m^-2"}},
    {{{"natężenia napromienienia", "irradiance"}, "W·m^-2"},
     {{"luminancji energetycznej", "radiance"}, "W·m^-2·sr^-1"}},
    {{{"natężenia napromienienia fotonowego", "foton irradiance"}, "mol·m^-2·s^-1"},
     {{"luminancji fotonowej", "foton radiance"}, "mol·m^-2·s^-1·sr^-1"}},
    {{{"fotoprądu", "photocurrent"}, "A"}, {{"fotoprądu", "photocurrent"}, "A"}}};

const TCalQuantity unknownQuantity{{"", ""}, ""};

std::string Str(TText t, TLanguage lang) {
    return std::string(t(lang));
}

} // namespace

const TCalQuantity& CalQuantity(uint8_t meterKind, uint8_t lumMode) {
    if (meterKind < 1 || meterKind > 4) return unknownQuantity;
    return quantities[meterKind - 1][lumMode ? 1 : 0];
}

std::array<std::string, 4> BuildFactorLabels(TLanguage lang, const TTextWidth& width) {
    std::array<std::string, 4> labels;
    int widest = 0;
    for (size_t i = 0; i < labels.size(); ++i) {
        labels[i] = Str(calFactorLabelTexts[i], lang) + " ";
        widest = std::max(widest, width(labels[i]));
    }
    for (std::string& label : labels) {
        // A width function that never grows cannot stall the padding.
        for (int guard = 0; width(label) < widest && guard < 256; ++guard)
            label += ' ';
    }
    return labels;
}

std::string FactorText(double value, char decimal) {
    return filetext::Fixed(value, 8, 7, decimal);
}

std::string CalTemperatureText(uint32_t calTempCode, char decimal) {
    const auto celsius = static_cast<float>(TempCodeToCelsius(static_cast<uint16_t>(calTempCode)));
    return filetext::Fixed(celsius, 4, 1, decimal) + "°C";
}

std::string SaveQuestionText(const TCalSaveValues& v, const std::array<std::string, 4>& labels,
                             TLanguage lang, char decimal, std::string_view prefix) {
    const std::string forcing = labels[0] + "\t" + HexValueText(v.forcing4mA, 4);
    const std::string loop = labels[1] + "\t" + FactorText(v.loopFactor, decimal);
    const std::string result = labels[2] + "\t" + FactorText(v.resultFactor, decimal);
    return std::string(prefix) + FillText(calSaveQuestion(lang), {forcing, loop, result});
}

std::string FactorsSavedText(const TCalibrationSavedAnswer& saved, const std::array<std::string, 4>& labels,
                             TLanguage lang, char decimal, std::string_view historyOutcome) {
    const std::string forcing = labels[0] + "\t" + HexValueText(saved.forcingValue4mA, 4);
    const std::string loop = labels[1] + "\t" + FactorText(saved.loopFactor, decimal);
    const std::string result = labels[2] + "\t" + FactorText(saved.resultFactor, decimal);
    const std::string temperature =
        labels[3] + "\t" + CalTemperatureText(static_cast<uint16_t>(saved.calTempCode), decimal);
    std::string text = FillText(calSaved(lang), {forcing, loop, result, temperature});
    if (!historyOutcome.empty()) text = std::string(historyOutcome) + "\r\n\r\n" + text;
    return text;
}

} // namespace k730
