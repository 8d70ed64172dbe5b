// Texts of the calibration wizard and its save dialog, Polish first, and the
// messages built from them: the factor labels lined up in the main window's
// font, the save question, the "factors saved" report and the limit notices.
#pragma once

#include "calibration/CalValues.h"
#include "main/K730Lang.h"
#include "protocol/MerBusAnswers.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace k730 {

// --- window --------------------------------------------------------------------
inline constexpr TText calCaption{"Kalibracja", "Calibration"}; // after "K730 "
inline constexpr TText calStepTitle[2] = {
    {"I. Ustawienie prądu pętli 4mA", "I. Setting 4mA current value"},
    {"II. Wyznaczenie współczynników kalibracji", "II. Calibration factors calculation"}};
inline constexpr TText calBtnBack{"Wstecz", "Back"};
inline constexpr TText calBtnNext{"Dalej", "Next"};
inline constexpr TText calBtnSave{"Zapisz", "Save"};
inline constexpr TText calBtnCancel{"Anuluj", "Cancel"};
inline constexpr TText calBtnApply{"Zastosuj", "Apply"};

// Step I.
inline constexpr TText calDac0Prompt{"1. Wprowadź wartość prądu pętli z amperomierza [mA]:",
                                     "1. Enter current loop value from amperemeter [mA]:"};
inline constexpr TText calDac0Press{"i naciśnij <Enter> lub przycisk Zastosuj:",
                                    "and press <Enter> or Apply button:"};
inline constexpr TText calDac0Check{"2. Jeżeli amperomierz wskazuje 4mA,",
                                    "2. If amperemeter indicates 4mA,"};
inline constexpr TText calDac0Next{"naciśnij przycisk Dalej, w przeciwnym razie wróć do punktu 1. ",
                                   "press Next button, otherwise back to point 1. "};

// Step II; %s: the quantity's name, the Apply and the Save button's caption.
inline constexpr TText calRefPrompt{"1. Wprowadź poprawną wartość %s", "1. Enter the correct %s value"};
inline constexpr TText calRefPlace{"w polu recepcyjnym detektora:", "in the reception field of detector:"};
inline constexpr TText calIlPrompt{"2. Wprowadź wartość prądu pętli z amperomierza:",
                                   "2. Enter current loop value from amperemeter:"};
inline constexpr TText calApplyPrompt{"3. Naciśnij <Enter> lub przycisk %s:",
                                      "3. Press <Enter> or %s button:"};
inline constexpr TText calExpectPrompt{"4. Jeżeli prąd wynosi ", "4. If current equals "};
inline constexpr TText calExpectSave{"naciśnij przycisk %s, w przeciwnym razie wróć do punktu 2.",
                                     "press %s button, otherwise back to point 2."};
inline constexpr std::string_view calMilliampere = "mA";

// The reference quantity's name and unit by meter kind (1..4) and luminance mode.
struct TCalQuantity {
    TText name;
    std::string_view unit;
};
const TCalQuantity& CalQuantity(uint8_t meterKind, uint8_t lumMode);

// --- opening and running -------------------------------------------------------------
inline constexpr TText calStatusUnknown{
    "Nie odczytano statusu urządzenia.\r\nWybierz właściwy port komunikacji i spróbuj ponownie.",
    "Meter status not readed.\r\nSelect appropriate comm port and try again."};
inline constexpr TText calLoopOff{"Pętla prądowa jest wyłączona.\r\nWłącz pętlę prądową i spróbuj ponownie.",
                                  "Current loop is turned off.\r\nTurn it on and try again."};
inline constexpr TText calStartWarning{
    "UWAGA\r\nRozpoczęto procedurę kalibracji głowicy pomiarowej.\r\nNieprawidłowe wykonanie kalibracji "
    "spowoduje, że wyniki\r\npomiarów wykonanych tym przyrządem będą błędne.\r\n\r\nCzy na pewno chcesz "
    "kontynuować?",
    "WARNING\r\nCalibration procedure started.\r\nUnproper execution can cause erroneous results.\r\nAre you "
    "sure to continue?"};
inline constexpr TText calModeLost{
    "Nastąpiło nieoczekiwane wyłączenie\r\ntrybu kalibracji urządzenia.\r\n"
    "Procedurę kalibracji należy rozpocząć od początku.",
    "There was an unexpected calibration mode off.\r\nThe calibration procedure "
    "should be started from the beginning."};
// %s: calculated, set (both "0x" and 4 hex digits).
inline constexpr TText calForcingClamped{
    "Wartość wymuszająca prąd pętli 4mA\r\nzostała ograniczona do dopuszczalnego zakresu:\r\n- wartość "
    "obliczona: \t%s\r\n- wartość ustawiona: \t%s",
    "Value forcing 4mA current\r\nwas limited to acceptable range:\r\n- value calculated: \t%s\r\n- value "
    "set: "
    "\t%s"};
// %s: "4", entered, set (both "0x" and 8 hex digits).
inline constexpr TText calForcingEchoLimited{
    "Wartość wymuszająca prąd pętli %smA\r\nzostała ograniczona do dopuszczalnego zakresu:\r\n- wartość "
    "wprowadzona: \t%s\r\n- wartość ustawiona: \t%s",
    "Value forcing %smA current\r\nwas limited to acceptable range:\r\n- value entered: \t%s\r\n- value set: "
    "\t%s"};
inline constexpr TText calCalcError{"Wystąpił błąd podczas obliczania\r\nwspółczynników kalibracji.",
                                    "An error occurred during\r\ncalibration factors calculation"};
// %s: the factor's name, calculated, set.
inline constexpr TText calFactorClamped{
    "%s\r\nzostał ograniczony do dopuszczalnego zakresu:\r\n- wartość obliczona: \t%s\r\n- wartość "
    "ustawiona: "
    "\t%s",
    "%s\r\nwas limited to acceptable range:\r\n- value calculated: \t%s\r\n- value set: \t%s"};
inline constexpr TText calLoopFactorName{"Współczynnik kalibracji pętli prądowej",
                                         "Current loop calibration factor"};
inline constexpr TText calResultFactorName{"Współczynnik kalibracji wyniku", "Result calibration factor"};

// --- save dialog and its outcome -----------------------------------------------------------
inline constexpr TText calFactorLabelTexts[4] = {
    {"wartość wymuszająca prąd pętli 4mA:", "value forcing 4mA current:"},
    {"współczynnik kalibracji pętli prądowej:", "current loop calibration factor:"},
    {"współczynnik kalibracji wyniku:", "result calibration factor:"},
    {"Temperatura kalibracji:", "Calibration temperature:"}};
inline constexpr TText calSaveQuestion{"Zaprogramować współczynniki kalibracji?\r\n— %s\r\n— %s\r\n— %s",
                                       "Save calibration factors to meter?\r\n— %s\r\n— %s\r\n— %s"};
inline constexpr TText calAddToHistory{"Dopisz do historii kalibracji", "Add to calibration history log"};
inline constexpr TText calAddComment{"Dodaj komentarz:", "Add comment:"};
inline constexpr TText calSaved{"Zaprogramowano współczynniki kalibracji:\r\n— %s\r\n— %s\r\n— %s\r\n%s",
                                "Calibration factors saved:\r\n— %s\r\n— %s\r\n— %s\r\n%s"};
inline constexpr TText calHistoryAdded{"Dopisano dane kalibracji do historii.",
                                       "Calibration data added to history log."};
inline constexpr TText calHistoryNotAdded{"Nie udało się dopisać danych kalibracji do historii.",
                                          "Could not add calibration data to history log."};

// The four factor labels, each followed by a blank and padded with blanks to
// the width of the widest (as `width` measures in the main window's font), so
// that the tabulator after them lines the values up.
using TTextWidth = std::function<int(const std::string&)>;
std::array<std::string, 4> BuildFactorLabels(TLanguage lang, const TTextWidth& width);

// Factor texts: fixed, precision 8, 7 digits; temperature with one decimal.
std::string FactorText(double value, char decimal);
std::string CalTemperatureText(uint32_t calTempCode, char decimal); // "23,0°C"

// The question of the save dialog, after an optional prefix.
std::string SaveQuestionText(const TCalSaveValues& values, const std::array<std::string, 4>& labels,
                             TLanguage lang, char decimal, std::string_view prefix = {});
// "Calibration factors saved: ..." from the meter's acknowledgement; the
// history outcome (empty when no record was to be added) comes first.
std::string FactorsSavedText(const TCalibrationSavedAnswer& saved, const std::array<std::string, 4>& labels,
                             TLanguage lang, char decimal, std::string_view historyOutcome);

} // namespace k730
