// Command-line options of k730-sim and what follows from them: the meters'
// names, their EEPROM contents and the line settings.
#pragma once

#include "sim/SimDetector.h"
#include "sim/SimEeprom.h"
#include "sim/SimLine.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace k730::sim {

struct TSimOptions {
    std::string name = "SIM1";
    int count = 1;
    std::string port;      // a given tty instead of a pseudo-terminal
    std::string stateFile; // EEPROM file; empty = defaults, nothing kept
    int baud = 9600;
    std::string parity = "none";
    int dataBits = 8;
    std::string stopBits = "1";
    int turnaroundMs = 3;
    std::string logFile;
    std::string control = "stdin"; // stdin, none, or the path of a local socket

    // Identity for this run; unset ones come from the state file or the defaults.
    std::optional<int> kind, serial, year, modbusAddress, defaultRange, conversions, config;
    std::optional<std::string> address, descriptor, firmware;
    std::vector<std::string> producer;
    std::vector<double> ranges;
    std::optional<double> resultFactor, loopFactor;
    std::optional<int> forcing4mA;

    std::string light = "constant 500";
    double noise = 0.002;
    double temperature = 23.0;
    double drift = 0.01;
    int zeroingMs = 3000;
    std::optional<double> sensitivity;
    double loopGain = 0.99;
    double loopOffset = 0.0;
    uint64_t seed = 1;
    std::vector<std::string> faults;
};

// Registers every option on `app`; the control commands go into the help footer.
void AddSimOptions(CLI::App& app, TSimOptions& options);

// Name of meter i (0-based): --name SIM1 --count 3 gives SIM1, SIM2, SIM3.
std::string MeterName(const TSimOptions& options, int i);
// Its number, which picks its default address and serial number.
int MeterNumber(const TSimOptions& options, int i);
// Its state file: the given one for a single meter, name-suffixed for several.
std::string MeterStateFile(const TSimOptions& options, int i);

// The meters' line settings from --baud, --parity, --data, --stop.
std::optional<TLineSettings> LineFromOptions(const TSimOptions& options, std::string& error);

// Meter i's EEPROM: defaults, then its state file, then the identity options
// (address and serial number count up from meter to meter).
std::optional<TSimEeprom> EepromFromOptions(const TSimOptions& options, int i, std::string& error);

TSimHardware HardwareFromOptions(const TSimOptions& options, const TSimEeprom& eeprom);

} // namespace k730::sim
