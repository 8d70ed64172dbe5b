#include "sim/SimEeprom.h"

#include "files/FileIo.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <sstream>
#include <system_error>

namespace k730::sim {

using nlohmann::json;

TSimEeprom DefaultEeprom(int index) {
    TSimEeprom e;
    e.kind = 1;
    e.ranges = {200.0f, 2000.0f, 20000.0f};
    e.descriptor = "K-730/V/20k/E/0";
    e.producer = {"MERIDOX", "Symulator miernika K-730"};
    e.serial = static_cast<uint16_t>(1000 + index);
    e.year = 2024;
    e.address = static_cast<uint16_t>(index);
    e.modbusAddress = static_cast<uint8_t>(index >= 1 && index <= 247 ? index : 1);
    e.defaultRange = 1;
    return e;
}

namespace {

// A state file is a few hundred bytes; anything far larger is not one.
constexpr size_t STATE_FILE_LIMIT = size_t{1} << 20;

json ToJson(const TSimEeprom& e) {
    return json{{"kind", e.kind},
                {"descriptor", e.descriptor},
                {"firmware", e.firmware},
                {"producer", e.producer},
                {"ranges", e.ranges},
                {"serial", e.serial},
                {"year", e.year},
                {"address", e.address},
                {"modbusAddress", e.modbusAddress},
                {"defaultRange", e.defaultRange},
                {"conversions", e.conversions},
                {"config", e.config},
                {"currentLoop", e.currentLoop},
                {"forcing4mA", e.forcing4mA},
                {"resultFactor", e.resultFactor},
                {"loopFactor", e.loopFactor},
                {"calTempCode", e.calTempCode},
                {"rangeFactors", e.rangeFactors},
                {"tempCoefficient", e.tempCoefficient},
                {"darkCounts", e.darkCounts},
                {"systemZeroCounts", e.systemZeroCounts},
                {"zeroTempCode", e.zeroTempCode}};
}

// Reads `key` into `field` when present; json throws on a value of the wrong type
// or one that does not fit, which the caller turns into a message.
template <typename T> void Take(const json& j, const char* key, T& field) {
    if (!j.contains(key)) return;
    const json& v = j.at(key);
    if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
        if (!v.is_number_integer()) throw std::invalid_argument(std::string(key) + ": not an integer");
        const auto n = v.get<int64_t>();
        if (n < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
            n > static_cast<int64_t>(std::numeric_limits<T>::max()))
            throw std::invalid_argument(std::string(key) + ": out of range");
        field = static_cast<T>(n);
    } else {
        field = v.get<T>();
    }
}

void Check(const TSimEeprom& e) {
    if (e.address == 0xFFFF) throw std::invalid_argument("address: 0xFFFF is the broadcast address");
    if (e.modbusAddress < 1 || e.modbusAddress > 247)
        throw std::invalid_argument("modbusAddress: not 1..247");
    if (e.defaultRange > 2) throw std::invalid_argument("defaultRange: not 0..2");
    if (e.conversions == 0) throw std::invalid_argument("conversions: not 1..255");
    for (float r : e.ranges)
        if (!std::isfinite(r) || r < 0) throw std::invalid_argument("ranges: negative or not a number");
}

} // namespace

std::optional<TSimEeprom> ParseEeprom(std::string_view text, const TSimEeprom& defaults, std::string& error) {
    TSimEeprom e = defaults;
    try {
        const json j = json::parse(text);
        if (!j.is_object()) throw std::invalid_argument("not a JSON object");
        Take(j, "kind", e.kind);
        Take(j, "descriptor", e.descriptor);
        Take(j, "firmware", e.firmware);
        Take(j, "producer", e.producer);
        Take(j, "ranges", e.ranges);
        Take(j, "serial", e.serial);
        Take(j, "year", e.year);
        Take(j, "address", e.address);
        Take(j, "modbusAddress", e.modbusAddress);
        Take(j, "defaultRange", e.defaultRange);
        Take(j, "conversions", e.conversions);
        Take(j, "config", e.config);
        Take(j, "currentLoop", e.currentLoop);
        Take(j, "forcing4mA", e.forcing4mA);
        Take(j, "resultFactor", e.resultFactor);
        Take(j, "loopFactor", e.loopFactor);
        Take(j, "calTempCode", e.calTempCode);
        Take(j, "rangeFactors", e.rangeFactors);
        Take(j, "tempCoefficient", e.tempCoefficient);
        Take(j, "darkCounts", e.darkCounts);
        Take(j, "systemZeroCounts", e.systemZeroCounts);
        Take(j, "zeroTempCode", e.zeroTempCode);
        Check(e);
    } catch (const std::exception& ex) {
        error = ex.what();
        return std::nullopt;
    }
    return e;
}

std::optional<TSimEeprom> LoadEeprom(const std::filesystem::path& file, const TSimEeprom& defaults,
                                     std::string& error) {
    TReadError why = reNone;
    const auto bytes = ReadWholeFile(file.string(), STATE_FILE_LIMIT, &why);
    if (!bytes) {
        error = file.string() + ": " + ReadErrorText(why);
        return std::nullopt;
    }
    auto e = ParseEeprom(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                         defaults, error);
    if (!e) error = file.string() + ": " + error;
    return e;
}

std::string EepromText(const TSimEeprom& eeprom) {
    return ToJson(eeprom).dump(2) + "\n";
}

bool SaveEeprom(const std::filesystem::path& file, const TSimEeprom& eeprom, std::string& error) {
    std::filesystem::path temp = file;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << EepromText(eeprom);
        out.flush();
        if (!out) {
            error = temp.string() + ": cannot be written";
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        error = file.string() + ": " + ec.message();
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace k730::sim
