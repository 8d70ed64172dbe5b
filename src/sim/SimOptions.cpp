#include "sim/SimOptions.h"

#include "sim/SimControl.h"

#include <cctype>
#include <filesystem>

namespace k730::sim {

void AddSimOptions(CLI::App& app, TSimOptions& o) {
    app.add_option("--name", o.name, "virtual port name of the (first) meter")->capture_default_str();
    app.add_option("--count", o.count, "number of meters, named and numbered on from --name")
        ->check(CLI::Range(1, 32))
        ->capture_default_str();
    app.add_option("--port", o.port, "answer on this tty instead of a new pseudo-terminal (one meter only)");
    app.add_option("--state", o.stateFile, "EEPROM state file (JSON), created when missing");
    app.add_option("--baud", o.baud, "meter baud rate")->capture_default_str();
    app.add_option("--parity", o.parity, "none, odd, even, mark, space (or N O E M S)")
        ->capture_default_str();
    app.add_option("--data", o.dataBits, "data bits")->check(CLI::Range(5, 8))->capture_default_str();
    app.add_option("--stop", o.stopBits, "stop bits: 1, 1.5, 2")->capture_default_str();
    app.add_option("--turnaround-ms", o.turnaroundMs, "delay before an answer")
        ->check(CLI::Range(0, 10000))
        ->capture_default_str();
    app.add_option("--log", o.logFile, "JSON-lines log of every request and answer");
    app.add_option("--control", o.control, "control channel: stdin, none, or a local socket path")
        ->capture_default_str();

    auto* id = "Identity (overrides the state file for this run)";
    app.add_option("--kind", o.kind, "kind byte: 1..4 (+128 luminance)")->group(id);
    app.add_option("--ranges", o.ranges, "three full-scale values")->expected(3)->group(id);
    app.add_option("--serial", o.serial, "serial number (counts up per meter)")->group(id);
    app.add_option("--year", o.year, "production year")->group(id);
    app.add_option("--descriptor", o.descriptor, "model descriptor text")->group(id);
    app.add_option("--firmware", o.firmware, "firmware version text")->group(id);
    app.add_option("--producer", o.producer, "producer line (repeatable)")->group(id);
    app.add_option("--address", o.address, "MerBUS address, hex (counts up per meter)")->group(id);
    app.add_option("--modbus-address", o.modbusAddress, "MODBUS address 1..247")->group(id);
    app.add_option("--default-range", o.defaultRange, "default range 0..2")->group(id);
    app.add_option("--conversions", o.conversions, "conversions per result 1..255")->group(id);
    app.add_option("--config", o.config, "configuration byte")->group(id);
    app.add_option("--result-factor", o.resultFactor, "result calibration factor KE")->group(id);
    app.add_option("--loop-factor", o.loopFactor, "current loop calibration factor KL")->group(id);
    app.add_option("--forcing-4ma", o.forcing4mA, "DAC code of 4 mA")->group(id);

    auto* model = "Model";
    app.add_option("--light", o.light, "light: constant V | sine C A S | steps S V... | walk V STEP")
        ->group(model)
        ->capture_default_str();
    app.add_option("--noise", o.noise, "relative noise of the light")->group(model)->capture_default_str();
    app.add_option("--temp", o.temperature, "detector temperature at start, degrees C")
        ->group(model)
        ->capture_default_str();
    app.add_option("--drift", o.drift, "temperature drift, degrees C per minute")
        ->group(model)
        ->capture_default_str();
    app.add_option("--zero-ms", o.zeroingMs, "how long a zeroing runs")->group(model)->capture_default_str();
    app.add_option("--sensitivity", o.sensitivity,
                   "true result factor of the detector (default: the stored KE)")
        ->group(model);
    app.add_option("--loop-gain", o.loopGain, "real loop driver gain (mA per 4096 DAC codes)")
        ->group(model)
        ->capture_default_str();
    app.add_option("--loop-offset", o.loopOffset, "real loop driver offset, mA")
        ->group(model)
        ->capture_default_str();
    app.add_option("--seed", o.seed, "seed of noise, walk and garbage")->group(model)->capture_default_str();
    app.add_option("--fault", o.faults,
                   "a fault at start, as the control command after \"fault\" (repeatable)")
        ->group(model);
    app.footer(std::string("\n") + TSimControl::HelpText());
}

namespace {

std::pair<std::string, int> SplitName(const std::string& name) {
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
        --digits;
    if (digits == name.size() || name.size() - digits > 6) return {name, 1};
    return {name.substr(0, digits), std::stoi(name.substr(digits))};
}

} // namespace

std::string MeterName(const TSimOptions& o, int i) {
    if (o.count == 1) return o.name;
    const auto [base, first] = SplitName(o.name);
    return base + std::to_string(first + i);
}

int MeterNumber(const TSimOptions& o, int i) {
    return SplitName(o.name).second + i;
}

std::string MeterStateFile(const TSimOptions& o, int i) {
    if (o.stateFile.empty() || o.count == 1) return o.stateFile;
    const std::filesystem::path p(o.stateFile);
    return (p.parent_path() / (p.stem().string() + "-" + MeterName(o, i) + p.extension().string())).string();
}

std::optional<TLineSettings> LineFromOptions(const TSimOptions& o, std::string& error) {
    TLineSettings line;
    line.baud = o.baud;
    const auto parity = ParseParity(o.parity);
    const auto stop = ParseStopHalves(o.stopBits);
    if (!parity || !stop) {
        error = !parity ? "--parity: none, odd, even, mark or space" : "--stop: 1, 1.5 or 2";
        return std::nullopt;
    }
    static constexpr int rates[] = {300,   600,   1200,   2400,   4800,   9600,  19200,
                                    38400, 57600, 115200, 230400, 460800, 921600};
    if (std::find(std::begin(rates), std::end(rates), o.baud) == std::end(rates)) {
        error = "--baud: not a rate a serial port runs at";
        return std::nullopt;
    }
    line.parity = *parity;
    line.dataBits = o.dataBits;
    line.stopHalves = *stop;
    return line;
}

std::optional<TSimEeprom> EepromFromOptions(const TSimOptions& o, int i, std::string& error) {
    TSimEeprom e = DefaultEeprom(MeterNumber(o, i));
    const std::string file = MeterStateFile(o, i);
    if (!file.empty() && std::filesystem::exists(file)) {
        auto loaded = LoadEeprom(file, e, error);
        if (!loaded) return std::nullopt;
        e = *loaded;
    }
    auto bad = [&](const std::string& message) {
        error = message;
        return std::nullopt;
    };
    if (o.kind) {
        if ((*o.kind & 0x7F) < 1 || (*o.kind & 0x7F) > 4 || *o.kind > 255)
            return bad("--kind: 1..4, +128 luminance");
        e.kind = static_cast<uint8_t>(*o.kind);
    }
    if (!o.ranges.empty()) {
        for (int r = 0; r < 3; ++r) {
            if (!(o.ranges[r] >= 0)) return bad("--ranges: three values 0 or more");
            e.ranges[r] = static_cast<float>(o.ranges[r]);
        }
    }
    if (o.serial) {
        if (*o.serial < 0 || *o.serial + i > 0xFFFF) return bad("--serial: 0..65535");
        e.serial = static_cast<uint16_t>(*o.serial + i);
    }
    if (o.year) {
        if (*o.year < 0 || *o.year > 0xFFFF) return bad("--year: 0..65535");
        e.year = static_cast<uint16_t>(*o.year);
    }
    if (o.address) {
        unsigned long a = 0;
        try {
            size_t used = 0;
            a = std::stoul(*o.address, &used, 16);
            if (used != o.address->size()) a = 0x10000;
        } catch (const std::exception&) {
            a = 0x10000;
        }
        if (a + i >= 0xFFFF) return bad("--address: hexadecimal 0..FFFE");
        e.address = static_cast<uint16_t>(a + i);
    }
    if (o.modbusAddress) {
        if (*o.modbusAddress < 1 || *o.modbusAddress > 247) return bad("--modbus-address: 1..247");
        e.modbusAddress = static_cast<uint8_t>(*o.modbusAddress);
    }
    if (o.defaultRange) {
        if (*o.defaultRange < 0 || *o.defaultRange > 2) return bad("--default-range: 0..2");
        e.defaultRange = static_cast<uint8_t>(*o.defaultRange);
    }
    if (o.conversions) {
        if (*o.conversions < 1 || *o.conversions > 255) return bad("--conversions: 1..255");
        e.conversions = static_cast<uint8_t>(*o.conversions);
    }
    if (o.config) {
        if (*o.config < 0 || *o.config > 255) return bad("--config: 0..255");
        e.config = static_cast<uint8_t>(*o.config);
    }
    if (o.descriptor) e.descriptor = *o.descriptor;
    if (o.firmware) e.firmware = *o.firmware;
    if (!o.producer.empty()) e.producer = o.producer;
    if (o.resultFactor) e.resultFactor = static_cast<float>(*o.resultFactor);
    if (o.loopFactor) e.loopFactor = static_cast<float>(*o.loopFactor);
    if (o.forcing4mA) {
        if (*o.forcing4mA < 0 || *o.forcing4mA > 0xFFFFF) return bad("--forcing-4ma: 0..0xFFFFF");
        e.forcing4mA = static_cast<uint32_t>(*o.forcing4mA);
    }
    return e;
}

TSimHardware HardwareFromOptions(const TSimOptions& o, const TSimEeprom& eeprom) {
    TSimHardware h;
    h.temperatureC = o.temperature;
    h.driftCPerMinute = o.drift;
    h.sensitivity = o.sensitivity.value_or(eeprom.resultFactor);
    h.loopGain = o.loopGain;
    h.loopOffsetMa = o.loopOffset;
    return h;
}

} // namespace k730::sim
