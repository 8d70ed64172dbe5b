#include "comm/CommTexts.h"

namespace k730 {

const std::array<TText, COMM_STATUS_COUNT> COMM_STATUS_TEXTS = {{
    {"Połączony", "Connected"},
    {"Rozłączony", "Disconnected"},
    {"Brak komunikacji", "Communication lost"},
    {"Błąd ramki danych", "Data frame error"},
    {"Błąd transmisji danych", "Communication error"},
    {"Błędne dane", "Data error"},
    {"Odmowa dostępu", "Access denied"},
    {"Zajęty", "Busy"},
    {"Nie znaleziono portu", "Port not found"},
    {"Błąd portu COM", "Port COM error"},
}};

const std::array<TText, BAUD_RATE_COUNT> BAUD_TEXTS = {{
    {"300", "300bps"},
    {"600", "600bps"},
    {"1200", "1200bps"},
    {"2400", "2400bps"},
    {"4800", "4800bps"},
    {"9600", "9600bps"},
    {"14400", "14400bps"},
    {"19200", "19200bps"},
    {"38400", "38400bps"},
    {"57600", "57600bps"},
    {"115200", "115200bps"},
    {"230400", "230400bps"},
    {"460800", "460800bps"},
    {"921600", "921600bps"},
}};

const std::array<TText, 5> PARITY_NAMES = {{
    {"brak", "none"},
    {"nieparzyste", "odd"},
    {"parzyste", "even"},
    {"znacznik", "mark"},
    {"spacja", "space"},
}};

const std::array<std::string_view, 5> PARITY_LETTERS = {"N", "O", "E", "M", "S"};
const std::array<std::string_view, 3> STOP_BIT_TEXTS = {"1", "1.5", "2"};
const std::array<std::string_view, 5> DATA_BIT_TEXTS = {"4", "5", "6", "7", "8"};

std::string_view CommStatusText(int language, int code) {
    if (code < 0 || code >= COMM_STATUS_COUNT) return {};
    return COMM_STATUS_TEXTS[static_cast<size_t>(code)](language);
}

std::string DuplicatePortWarning(int language, const std::string& port) {
    std::string text(DUPLICATE_PORT_FORMAT(language));
    if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, port);
    return text;
}

} // namespace k730
