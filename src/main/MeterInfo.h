// TMeterInfo: identity and state of the connected meter, and the rules that
// build it from the meter's identity answer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace k730 {

constexpr int MAX_RANGES = 3;

// Numeric fields hold the values as the meter sent them.
struct TMeterInfo {
    uint16_t SerialNumber = 0;                    // 0xFFFF = not programmed
    uint16_t ProductionYear = 0;                  // 0xFFFF = not programmed
    uint8_t MeterKind = 0;                        // 1..4, the kind byte without bit 7
    uint8_t LumMode = 0;                          // 1 = luminance-type measurement (bit 7 of the kind byte)
    uint8_t RangeCount = 0;                       // 0..3
    float RangeFullScale[MAX_RANGES] = {0, 0, 0}; // in the meter's unit; 0 at and beyond RangeCount
    uint8_t DefaultRange = 0;                     // range the meter starts in, 0..2
    uint32_t ForcingValue4mA = 0;                 // DAC code that forces 4 mA on the current loop
    float ResultFactor = 0;
    float LoopFactor = 0;
    uint16_t CalTempCode = 0;     // temperature code at calibration
    uint16_t CalTempReserved = 0; // the 16 bits after it; carried, never interpreted
    uint16_t TemperatureCode = 0; // detector head; 0 = unknown
    uint16_t ZeroTempCode = 0;    // at the last system zeroing; 0xFFFF = never, 0 = unknown
    bool MerBusAddrKnown = false;
    bool ModBusAddrKnown = false;
    bool StatusKnown = false;        // a status answer has been stored
    uint8_t StatusFlags = 0;         // TStatusFlag bits of the last status answer
    uint8_t ConvCount = 0;           // conversions per result; 0 = unknown
    bool RangeChangePending = false; // automatic range change requested, not yet confirmed
    bool NewFirmware = false;        // firmware at least NEW_FIRMWARE_VERSION
    std::string ModelDescriptor;     // UTF-8
    std::string ProducerText;        // producer / distributor lines joined with CR LF
    std::string FirmwareVersion;
};

// ZeroTempCode: the meter has never zeroed its measuring system.
constexpr uint16_t ZERO_TEMP_NEVER = 0xFFFF;

uint8_t KindByteOf(const TMeterInfo& info);

// The record part of clearing; the main window resets its own extras.
void ClearMeterInfo(TMeterInfo& info);
void CopyMeterInfo(const TMeterInfo& source, TMeterInfo& target);
// Numeric fields bytewise equal (so 0.0 and -0.0 differ) and the strings equal.
bool SameMeterInfo(const TMeterInfo& a, const TMeterInfo& b);
// The kind, the range count or a range value differ: statistics and the
// range list must be rebuilt.
bool RangesDiffer(const TMeterInfo& a, const TMeterInfo& b);

// What an identity answer says, as a fresh record.
struct TIdentity {
    TMeterInfo Info;          // DefaultRange and MerBusAddrKnown carried over
    std::string IdentityText; // all texts joined with CR LF
};

// Identity answer frames shorter than this cannot hold the 18-byte trailer.
constexpr size_t IDENTITY_MIN_FRAME = 26;

// Decodes a whole identity answer frame (0x81). Texts arrive in Windows-1250
// and come out UTF-8. Nothing when the frame is too short for its trailer.
std::optional<TIdentity> DecodeIdentity(std::span<const uint8_t> frame, const TMeterInfo& stored);

} // namespace k730
