// Line settings of the serial component, its status codes and the
// transfer-time arithmetic every timeout of the program is derived from.
#pragma once

#include <cstdint>

namespace k730 {

// Ordinal order is part of the stored settings and of the search tables.
enum TBaudRate : uint8_t {
    br000300,
    br000600,
    br001200,
    br002400,
    br004800,
    br009600,
    br014400,
    br019200,
    br038400,
    br057600,
    br115200,
    br230400,
    br460800,
    br921600
};
constexpr int BAUD_RATE_COUNT = 14;

// Ordinal is the parity code of the line (0..4).
enum TParityBit : uint8_t { pbNone, pbOdd, pbEven, pbMark, pbSpace };

// Data bits = ordinal + 4.
enum TDataBits : uint8_t { dbFour, dbFive, dbSix, dbSeven, dbEight };

// Ordinal is the stop-bit code of the line: 0 one, 1 one and a half, 2 two.
enum TStopBits : uint8_t { sbOne, sbOnePointFive, sbTwo };

// Status codes reported through OnCOMStatus; the texts are in CommTexts.h.
enum TCommStatus : int {
    csConnected = 0,
    csDisconnected = 1,
    csNoAnswer = 2, // "Communication lost": the answer time limit ran out
    csFrameError = 3,
    csLineError = 4, // break, framing or parity error on the line
    csDataError = 5,
    csAccessDenied = 6,
    csBusy = 7, // another program holds the port
    csPortNotFound = 8,
    csPortError = 9, // any other open or configuration failure
};
constexpr int COMM_STATUS_COUNT = 10;

struct TLineSettings {
    TBaudRate baud = br009600;
    TDataBits dataBits = dbEight;
    TParityBit parity = pbNone;
    TStopBits stopBits = sbOne;

    friend bool operator==(const TLineSettings&, const TLineSettings&) = default;
};

// Bit/s of a TBaudRate (300 .. 921600).
uint32_t BaudValue(TBaudRate baud);

// Payload bytes per second: baud / bits per character x data bits / 8, rounded,
// where a character is data bits + start bit + parity bit (unless none) + stop
// bits (1, 1.5 or 2). 9600 8N1 gives 960.
uint32_t BytesPerSecondFor(TBaudRate baud, TDataBits dataBits, TParityBit parity, TStopBits stopBits);
uint32_t BytesPerSecondFor(const TLineSettings& line);

// Milliseconds `n` bytes take on the line, rounded (64 bytes at 9600 8N1: 67).
uint32_t TransferTimeMsFor(const TLineSettings& line, uint32_t n);

// Bytes the line carries in `ms` milliseconds, rounded.
uint32_t BytesInTimeFor(const TLineSettings& line, uint32_t ms);

} // namespace k730
