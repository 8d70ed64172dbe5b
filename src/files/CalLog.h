// The calibration history log "K730_CAL.dat": the magic "K730 CAL " followed by
// records, oldest first, up to the end of the file. Each record is the operator's
// comment and the meter's descriptor as zero-terminated Windows-1250 texts and a
// 40-byte fixed part. In memory the list is newest first.
#pragma once

#include "protocol/MerBusFun.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace k730 {

constexpr std::string_view CAL_LOG_MAGIC = "K730 CAL ";
constexpr size_t CAL_FIXED_SIZE = 40;
// The largest log that is read: a larger one could not be kept in its backup,
// which never expands beyond the same size.
constexpr size_t CAL_LOG_LIMIT = size_t{256} << 20;

struct TCalLogRecord {
    std::string Comment;              // UTF-8; may be empty
    std::string MeterType;            // UTF-8; the meter's ModelDescriptor at the calibration
    uint16_t SerialNumber = 0xFFFF;   // 0xFFFF = not programmed
    uint16_t ProductionYear = 0xFFFF; // 0xFFFF = not programmed
    double CalDateTime = 0;           // local day count since 1899-12-30
    uint32_t OldForcingValue4mA = 0;
    uint32_t NewForcingValue4mA = 0;
    float OldLoopFactor = 0;
    float NewLoopFactor = 0;
    float OldResultFactor = 0;
    float NewResultFactor = 0;
    uint32_t CalTempCode = 0; // temperature code in the low 16 bits; the high bits as received

    bool operator==(const TCalLogRecord&) const = default;
};

using TCalLogList = std::vector<TCalLogRecord>; // newest first

struct TCalLogRead {
    TCalLogList records;  // every complete record read, newest first
    bool valid = false;   // magic right and every record complete up to the end
    size_t validSize = 0; // bytes up to the end of the last complete record (0 without magic)
    std::string error;    // short reason when not valid
};

struct TMeterInfo;

// The record an append after a calibration stores: identity and "before" values
// from the meter model, the saved values from the meter's acknowledgement, the
// present local time.
TCalLogRecord CalLogRecordFor(const TMeterInfo& info, uint32_t newForcingValue4mA, uint32_t calTempCode,
                              std::string comment, float newLoopFactor, float newResultFactor);

// The 40-byte fixed part as stored.
TBytes CalFixedPart(const TCalLogRecord& record);
// One record as stored (texts, zero bytes, fixed part).
TBytes CalRecordBytes(const TCalLogRecord& record);

// Reads log bytes; stops at the first incomplete record or one holding a NaN factor.
TCalLogRead ParseCalLog(std::span<const uint8_t> bytes);
// The whole log file of a list (newest first in the list, written oldest first).
TBytes SerializeCalLog(const TCalLogList& records);

// File operations. Every one reports success as a flag and never throws.
TCalLogRead ReadCalLog(const std::string& path);
bool ValidateCalLog(const std::string& path);
// Rewrites the log through a temporary file; the log is read-only afterwards.
bool WriteCalLog(const std::string& path, const TCalLogList& records);

// Appends one record and flushes it to disk before reporting success. A log whose
// tail does not read is first copied beside itself (".damaged") and cut back to its
// last complete record, so that the new record never lands behind unreadable bytes.
// An existing file without the magic is left alone (false).
bool AppendCalLog(const std::string& path, const TCalLogRecord& record);

} // namespace k730
