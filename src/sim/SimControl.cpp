#include "sim/SimControl.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace k730::sim {

namespace {

std::optional<double> Number(const std::string& word) {
    try {
        size_t used = 0;
        const double v = std::stod(word, &used);
        if (used == word.size() && std::isfinite(v)) return v;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// An integer within [low, high]; "0x" or base 16 when asked.
std::optional<long> Integer(const std::string& word, long low, long high, int base = 10) {
    try {
        size_t used = 0;
        const long v = std::stol(word, &used, base);
        if (used == word.size() && v >= low && v <= high) return v;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Error(const std::string& message) {
    return "error: " + message;
}

} // namespace

const char* TSimControl::HelpText() {
    return R"(Control commands (one per line; a first word naming a meter, e.g. SIM2,
sends the command to that meter only, otherwise it goes to every meter):
  light constant V               constant light V in the meter's unit
  light sine C A S               centre C, amplitude A, period S seconds
  light steps S V1 V2 ...        levels V1, V2, ... for S seconds each, in turn
  light walk V STEP              random walk from V, at most STEP per conversion
  noise F                        relative noise (0.01 = 1 %)
  temp C | drift C_PER_MIN       detector temperature, its drift per minute
  loop on|off                    current-loop output on or off
  loop-hw GAIN OFFSET_MA         real loop driver: mA = DAC * GAIN / 4096 + OFFSET_MA
  sensitivity S                  result factor that makes readings true
  zero-ms MS                     how long a zeroing runs
  fault none                     clear every fault
  fault stop N                   give N more answers, then fall silent
  fault garbage N                N random bytes after every answer
  fault split MS                 answers in two halves, MS apart
  fault slow MS                  MS more before every answer
  fault echo on|off              loopback plug: bytes come back, no meter
  fault address HEX|off          another meter (address HEX) is connected
  fault answer-as HEX|off        a second meter at HEX answers what this one is asked
  fault refuse CODE|off          the meter refuses command CODE (99 or 0x63)
  fault break [MS]               a break on the line (default 250 ms)
  fault unplug [MS]              port goes away, back after MS (default 2000)
  set kind N | serial N | year N | address HEX | modbus N | conversions N
  set default-range N | config N | ranges A B C | descriptor TEXT
  set firmware TEXT | producer LINE1|LINE2...
  power                          switch the meter off and on
  get                            one line of state per meter
  current                        what an amperemeter in the loop reads
  help | quit)";
}

std::string TSimControl::Execute(const std::string& text, int64_t nowUs,
                                 std::vector<TSimPortRequest>& requests) {
    std::string line = Trim(text);
    std::vector<std::string> words = Words(line);
    // Blank lines do nothing, also those of white space Trim keeps (form feeds).
    if (words.empty()) return "ok";
    if (words[0] == "quit" || words[0] == "exit") {
        quit_ = true;
        return "ok";
    }
    if (words[0] == "help") return HelpText();
    std::vector<size_t> targets;
    for (size_t i = 0; i < channels_.size(); ++i)
        if (channels_[i]->Name() == words[0]) targets.push_back(i);
    if (!targets.empty()) {
        line = Trim(line.substr(words[0].size()));
        words.erase(words.begin());
        if (words.empty()) return Error("command missing after " + channels_[targets[0]]->Name());
    } else {
        for (size_t i = 0; i < channels_.size(); ++i)
            targets.push_back(i);
    }
    const std::string verb = words[0];
    const std::string rest = Trim(line.substr(verb.size()));
    std::string reply;
    for (size_t i : targets) {
        std::string one = ExecuteOn(*channels_[i], i, verb, rest, nowUs, requests);
        if (one.rfind("error:", 0) == 0) return one; // same words, same error for every meter
        if (one == "ok" && !reply.empty()) continue;
        if (reply == "ok") reply.clear();
        reply += (reply.empty() ? "" : "\n") + one;
    }
    return reply;
}

std::string TSimControl::ExecuteOn(TSimChannel& channel, size_t index, const std::string& verb,
                                   const std::string& rest, int64_t nowUs,
                                   std::vector<TSimPortRequest>& requests) {
    TSimMeter& meter = channel.Meter();
    TSimDetector& detector = meter.Detector();
    const int64_t nowMs = nowUs / 1000;
    const std::vector<std::string> args = Words(rest);
    auto one = [&]() { return args.size() == 1 ? Number(args[0]) : std::nullopt; };
    if (verb == "light") {
        std::string error;
        const auto model = ParseLight(rest, error);
        if (!model) return Error(error);
        detector.Light().SetModel(*model, nowMs);
    } else if (verb == "noise") {
        const auto v = one();
        if (!v || *v < 0) return Error("noise: one number 0 or more");
        detector.Light().SetNoise(*v);
    } else if (verb == "temp") {
        const auto v = one();
        if (!v || *v < -50 || *v > 150) return Error("temp: degrees -50..150");
        detector.SetTemperature(*v, nowMs);
    } else if (verb == "drift") {
        const auto v = one();
        if (!v) return Error("drift: degrees per minute");
        detector.SetDrift(*v, nowMs);
    } else if (verb == "loop") {
        if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) return Error("loop: on or off");
        meter.EditEeprom().currentLoop = args[0] == "on";
    } else if (verb == "loop-hw") {
        const auto gain = args.size() == 2 ? Number(args[0]) : std::nullopt;
        const auto offset = args.size() == 2 ? Number(args[1]) : std::nullopt;
        if (!gain || !offset || *gain <= 0) return Error("loop-hw: gain above 0 and offset in mA");
        detector.SetLoop(*gain, *offset);
    } else if (verb == "sensitivity") {
        const auto v = one();
        if (!v || *v <= 0) return Error("sensitivity: a number above 0");
        detector.SetSensitivity(*v);
    } else if (verb == "zero-ms") {
        const auto v = args.size() == 1 ? Integer(args[0], 0, 600000) : std::nullopt;
        if (!v) return Error("zero-ms: milliseconds 0..600000");
        meter.SetZeroingMs(*v);
    } else if (verb == "fault") {
        TSimLineEvent event;
        std::string error;
        if (!ApplyFaultCommand(rest, channel.Faults(), event, error)) return Error(error);
        if (event.kind != TSimLineEvent::TKind::leNone) requests.push_back({index, event});
    } else if (verb == "set") {
        return SetIdentity(meter, rest);
    } else if (verb == "power") {
        meter.PowerCycle(nowMs);
    } else if (verb == "get") {
        return Describe(channel, nowMs);
    } else if (verb == "current") {
        char text[64];
        std::snprintf(text, sizeof text, " current %.4f mA", meter.LoopCurrentMa(nowMs));
        return channel.Name() + text;
    } else {
        return Error("unknown command \"" + verb + "\" (try help)");
    }
    return "ok";
}

std::string TSimControl::SetIdentity(TSimMeter& meter, const std::string& rest) {
    const std::vector<std::string> args = Words(rest);
    if (args.empty()) return Error("set: what to set");
    const std::string& what = args[0];
    const std::string text = Trim(rest.substr(what.size()));
    const std::string value = args.size() == 2 ? args[1] : std::string();
    TSimEeprom next = meter.Eeprom();
    auto integer = [&](long low, long high, int base = 10) { return Integer(value, low, high, base); };
    if (what == "kind") {
        const auto v = integer(0, 255);
        if (!v || (*v & 0x7F) < 1 || (*v & 0x7F) > 4) return Error("set kind: 1..4, plus 128 for luminance");
        next.kind = static_cast<uint8_t>(*v);
    } else if (what == "serial" || what == "year") {
        const auto v = integer(0, 0xFFFF);
        if (!v) return Error("set " + what + ": 0..65535");
        (what == "serial" ? next.serial : next.year) = static_cast<uint16_t>(*v);
    } else if (what == "address") {
        const auto v = integer(0, 0xFFFE, 16);
        if (!v) return Error("set address: hexadecimal 0..FFFE");
        next.address = static_cast<uint16_t>(*v);
    } else if (what == "modbus") {
        const auto v = integer(1, 247);
        if (!v) return Error("set modbus: 1..247");
        next.modbusAddress = static_cast<uint8_t>(*v);
    } else if (what == "conversions") {
        const auto v = integer(1, 255);
        if (!v) return Error("set conversions: 1..255");
        next.conversions = static_cast<uint8_t>(*v);
    } else if (what == "default-range") {
        const auto v = integer(0, 2);
        if (!v) return Error("set default-range: 0..2");
        next.defaultRange = static_cast<uint8_t>(*v);
    } else if (what == "config") {
        const auto v = integer(0, 255);
        if (!v) return Error("set config: 0..255");
        next.config = static_cast<uint8_t>(*v);
    } else if (what == "ranges") {
        if (args.size() != 4) return Error("set ranges: three full-scale values");
        for (int i = 0; i < 3; ++i) {
            const auto v = Number(args[i + 1]);
            if (!v || *v < 0) return Error("set ranges: three full-scale values 0 or more");
            next.ranges[i] = static_cast<float>(*v);
        }
    } else if (what == "descriptor") {
        next.descriptor = text;
    } else if (what == "firmware") {
        next.firmware = text;
    } else if (what == "producer") {
        next.producer.clear();
        std::istringstream in(text);
        for (std::string part; std::getline(in, part, '|');)
            next.producer.push_back(part);
    } else {
        return Error("set: unknown field \"" + what + "\"");
    }
    meter.EditEeprom() = next;
    return "ok";
}

std::string TSimControl::Describe(TSimChannel& channel, int64_t nowMs) {
    TSimMeter& meter = channel.Meter();
    const TSimReading r = meter.Measure(nowMs);
    char text[256];
    std::snprintf(
        text, sizeof text,
        " address=0x%04X mode=%u range=%u value=%g flags=0x%02X raw=%d temp=%.2f tempcode=%u dac=0x%05X "
        "current=%.4f",
        meter.Address(), meter.Mode(), meter.Range(), static_cast<double>(r.value), r.flags, r.rawCounts,
        meter.Detector().Temperature(nowMs), r.temperatureCode, r.loopDac, meter.LoopCurrentMa(nowMs));
    return channel.Name() + text;
}

} // namespace k730::sim
