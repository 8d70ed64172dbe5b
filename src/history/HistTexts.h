// Texts of the measurement history window: captions, questions and
// messages in both languages, and the formatting of what the window shows
// (record times, the averaging-time unit, the meter and start labels, the
// grid's headers and cells). Toolkit-free so the tests read them without a
// display.
#pragma once

#include "files/HistData.h"
#include "main/K730Lang.h"

#include <optional>
#include <string>
#include <string_view>

namespace k730 {

// Window caption after "K730 ".
constexpr TText HIST_CAPTION{"Historia pomiarów", "Measures history log"};

// Controls.
constexpr TText HIST_BTN_START{"Start", "Start"};
constexpr TText HIST_BTN_STOP{"Stop", "Stop"};
constexpr TText HIST_BTN_CLEAR{"Wyczyść", "Clear"};
constexpr TText HIST_BTN_DELETE{"Usuń", "Delete"};
constexpr TText HIST_BTN_OPEN{"Otwórz", "Open"};
constexpr TText HIST_BTN_SAVE_AS{"Zachowaj jako", "Save as"};
constexpr TText HIST_BTN_SAVE{"Zachowaj", "Save"};
constexpr TText HIST_BTN_EXPORT{"Eksportuj", "Export"};
constexpr TText HIST_MENU_EXPORT_TEXT{"Tekst…", "Text…"};
constexpr TText HIST_MENU_EXPORT_CSV{"CSV…", "CSV…"};
constexpr TText HIST_AUTO_RANGE{"Automatyczna zmiana zakresu", "Auto range"};
constexpr TText HIST_AVERAGE_FROM{"Średnia z", "Average from"};
constexpr TText HIST_SECOND{"sekundy", "second"};  // after 1 ("z 1 sekundy")
constexpr TText HIST_SECONDS{"sekund", "seconds"}; // after more
constexpr TText HIST_COMMENT{"Komentarz:", "Comment:"};
constexpr TText HIST_METER{"Miernik:", "Meter:"};
constexpr TText HIST_START_DT{"Data, czas rozpoczęcia rejestracji:", "Registration start date/time:"};
constexpr TText HIST_CHART{"Wykres", "Chart"};
constexpr TText HIST_SERIES_AVERAGE{"Średnia", "Average"};
constexpr TText HIST_SERIES_BAND{"Min–max", "Min–max"};
constexpr TText HIST_SERIES_FULL_SCALE{"Pełny zakres", "Full scale"};
constexpr TText HIST_SERIES_OVER{"Przekroczenie zakresu", "Over range"};

// Program-lifetime check boxes of the questions.
constexpr TText HIST_CONFIRM_STOP{"Zawsze potwierdzaj zatrzymanie rejestracji",
                                  "Always confirm registration stop"};
constexpr TText HIST_CONFIRM_CLEAR{"Zawsze potwierdzaj wyczyszczenie historii",
                                   "Always confirm registration clear"};
constexpr TText HIST_SHOW_NOTE{"Zawsze pokazuj ten komunikat", "Always show this note"};
constexpr TText HIST_OPEN_IN_EXCEL{"Otwórz za pomocą MS Excel", "Open in MS Excel"};

// Questions and messages.
constexpr TText HIST_ASK_STOP{"Zatrzymać rejestrację historii?", "Stop history registration?"};
constexpr TText HIST_ASK_CLEAR_ALL{"Wyczyścić historię wraz z komentarzem ?",
                                   "Clear history log and comment?"};
constexpr TText HIST_ASK_CLEAR{"Wyczyścić historię?", "Clear history log?"};
constexpr TText HIST_ASK_DELETE_ONE{"Usunąć pomiar %d z historii?", "Delete record %d in history log?"};
constexpr TText HIST_ASK_DELETE_MANY{"Usunąć pomiary od %d do %d z historii?",
                                     "Delete records %d to %d in history log?"};
constexpr TText HIST_CLOSE_RECORDING{"UWAGA\r\nTrwa rejestracja historii.",
                                     "WARNING\r\nHistory registration in progress."};
constexpr TText HIST_CLOSE_CHANGED{"UWAGA\r\nHistoria uległa zmianie.",
                                   "WARNING\r\nHistory log was changed."};
constexpr TText HIST_CLOSE_LOSS{"Dane zostaną utracone.\r\nCzy na pewno kontynuować?",
                                "Data will be lost.\r\nAre you sure to continue?"};
// Shown when the meter averages over longer than one record lasts, so
// neighbouring records are not independent readings.
constexpr TText HIST_AVER_NOTE{
    "UWAGA\r\nCzas uśredniania miernika jest dłuższy\r\nod czasu uśredniania historii.",
    "NOTE\r\nMeter averaging time is longer\r\nthan history averaging time."};
constexpr TText HIST_READ_FAILED{"Odczyt historii nie powiódł się.", "Reading history log was unsuccessful."};
constexpr TText HIST_WRITE_FAILED{
    "Wystąpił błąd podczas zapisu pliku:\r\n%s\r\nSprawdź, czy nie jest on otwarty przez inną aplikację.",
    "Error during writing file:\r\n%s\r\nCheck if it is open by another application."};
constexpr TText HIST_EXPORTED{"Wyeksportowano dane do pliku:\r\n%s", "Data exported to file:\r\n%s"};

// File dialogs: "description|pattern|..." filters and the export dialog's title.
constexpr TText HIST_FILTER_DATA{"Pliki danych (*.dat)|*.dat|Wszystkie pliki (*.*)|*.*",
                                 "Data files (*.dat)|*.dat|All files (*.*)|*.*"};
constexpr TText HIST_FILTER_TEXT{"Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*",
                                 "Text files (*.txt)|*.txt|All files (*.*)|*.*"};
constexpr TText HIST_FILTER_CSV{"Pliki CSV (*.csv)|*.csv|Wszystkie pliki (*.*)|*.*",
                                "CSV files (*.csv)|*.csv|All files (*.*)|*.*"};
constexpr TText HIST_EXPORT_TITLE{"Eksportuj", "Export"};

// "K730 Measures history log", then ":  " and the file name when there is one.
std::string HistCaption(TLanguage lang, std::string_view fileName);

// The unit label after the averaging field: "160ms" for 0, "second" for 1,
// "seconds" for more.
std::string AverUnitText(int field, TLanguage lang);
// The averaging field's text as a number 0 … 3600; nothing for anything else.
std::optional<int> ParseAverField(std::string_view text);

// "Delete record %d …" or "Delete records %d to %d …" with 1-based numbers.
std::string DeleteQuestionText(int first, int last, TLanguage lang);
// The window's closing question: recording or changed, then the loss line.
std::string HistCloseQuestionText(bool recording, TLanguage lang);

// LabelMeterName: descriptor (ampersands doubled), three blanks and
// serial/year; "-----" while no descriptor is recorded.
std::string MeterNameLabel(const THistData& data);
// LabelStartDT: "dd.mm.yyyy hh:nn:ss" with the separators; "-----" when zero.
std::string StartDateLabel(double days, char dateSep = '.', char timeSep = ':');

// The grid's columns: time, over-range, average, minimum, maximum, temperature.
enum THistColumn { hcTime, hcOver, hcAverage, hcMin, hcMax, hcTemp, HIST_COLUMN_COUNT };
std::string HistHeaderText(const THistData& data, int column, char timeSep = ':');
// A cell of record `row`. Times follow the history's interval: hundredths
// when it is below a second; the decimal separator serves the values.
std::string HistCellText(const THistData& data, size_t row, int column, TLanguage lang, char decimal,
                         char timeSep = ':');

} // namespace k730
