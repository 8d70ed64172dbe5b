// The main window's caption table.
#include "main/K730Captions.h"

namespace k730 {

namespace {

constexpr TCaption CAPTIONS[] = {
    {"LabelRange", {"Zakres pomiarowy:", "Measuring range:"}},
    {"LabelPort", {"Port:", "Port:"}},
    {"BtnAuto", {"Auto", "Auto"}},
    {"LabelSetValue", {"Adres urządzenia  (hex):", "Meter address  (hex):"}},
    {"BtnSettingsCancel", {"Anuluj", "Cancel"}},
    {"BtnSettingsOK", {"Ustaw", "Set"}},
    {"MenuCmd", {"Polecenie", "Command"}},
    {"MenuZeroDet", {"Zeruj detektor", "Start detector zeroing"}},
    {"MenuZeroADC", {"Zeruj system pomiarowy", "Start measuring system zeroing"}},
    {"MenuSetOnlyZeroADC", {"Tylko zeruj", "Run"}},
    {"MenuSetAndSaveZeroADC", {"Zeruj i zachowaj", "Run and store"}},
    {"MenuAutoZero", {"Zerowanie automatyczne", "Automatic zeroing"}},
    {"MenuSetAddr", {"Ustaw adres", "Change address"}},
    {"MenuAddrMerBus", {"protokołu MerBUS", "MerBUS protocol"}},
    {"MenuAddrModBus", {"protokołu MODBUS", "MODBUS protocol"}},
    {"MenuSetRange", {"Ustaw zakres domyślny", "Set default range"}},
    {"MenuConvCount", {"Ustaw ilość konwersji", "Set number of conversions"}},
    {"MenuRefreshRate", {"Czas odświeżania wyniku", "Refresh rate"}},
    {"MenuAutoRange", {"Automatyczna zmiana zakresu", "Auto range"}},
    {"MenuCAL", {"Kalibracja", "Calibration"}},
    {"MenuCalMeter", {"Uruchom", "Run"}},
    {"MenuCalImport", {"Importuj historię kalibracji", "Import history log"}},
    {"MenuCalExport", {"Eksportuj historię kalibracji", "Eksport history log"}},
    {"MenuClose", {"Zakończ", "Quit"}},
    {"MenuView", {"Widok", "View"}},
    {"MenuViewMinMaxAv", {"Pokaż Min/Max/Średnia", "Show Min/Max/Average"}},
    {"MenuClearMinMaxAv", {"Zeruj Min/Max/Średnia", "Reset Min/Max/Average"}},
    {"MenuSetAverCount", {"Średnia krocząca", "Moving average"}},
    {"MenuHistMeas", {"Historia pomiarów", "Measures history log"}},
    {"MenuHistCAL", {"Historia kalibracji", "Calibration history log"}},
    {"MenuStayOnTop", {"Zawsze na wierzchu", "Stay on top"}},
    {"MenuService", {"Tryb serwisowy", "Service mode"}},
    {"MenuShowIconStatus", {"Pokaż pasek statusu", "Show status"}},
    {"MenuShowSettings", {"Pokaż ustawienia", "Show settings"}},
    {"MenuVudIDO", {"Pokaż bufor COM", "Show COM buffer"}},
    {"MenuHelp", {"Pomoc", "Help"}},
    {"MenuManual", {"Instrukcja obsługi", "Instruction manual"}},
    {"MenuCfgGuide", {"Instrukcja programowania", "Programming manual"}},
    {"MenuAboutMeter", {"O mierniku", "About meter"}},
    {"MenuAboutProgram", {"O programie", "About program"}},
};

constexpr TText WEB_CAPTION{"www.meridox.pl", "www.meridox.pl/en"};
constexpr TText WEB_URL{"https://www.meridox.pl/", "https://www.meridox.pl/en/"};

} // namespace

std::span<const TCaption> MainWindowCaptions() {
    return CAPTIONS;
}

std::string_view MainWindowCaption(std::string_view control, TLanguage lang) {
    for (const auto& caption : CAPTIONS)
        if (caption.Control == control) return caption.Text(lang);
    return {};
}

std::string_view MakerWebCaption(TLanguage lang) {
    return WEB_CAPTION(lang);
}
std::string_view MakerWebUrl(TLanguage lang) {
    return WEB_URL(lang);
}
std::string_view MakerMailAddress() {
    return "biuro@meridox.pl";
}

} // namespace k730
