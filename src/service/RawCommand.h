// The service window's hand-typed requests: the number syntax of the raw
// command page, the queue item a row makes, and what became of the request
// once it went out (answered, refused, no answer). Toolkit-free; whatever is
// typed, a row yields either a well-formed request or nothing.
//
// Number syntax (all hexadecimal; blanks separate tokens, and a token also
// ends where the next "0x" begins):
//   byte     optional "0x" (repeated prefixes skipped), one or two digits
//   16 bits  "0x" and exactly four digits; a longer run is cut after four
//   32 bits  "0x" and exactly eight digits; a longer run is cut after eight
// Data is read token by token as 32 bits, else 16 bits, else a byte, each
// least significant byte first; the first token that fails stops everything.
#pragma once

#include "protocol/MerBusFun.h"
#include "protocol/RequestScheduler.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k730 {

// Why a row sends nothing.
enum TRawError : uint8_t {
    reOk,
    reAddress,  // the address box does not read as a 16-bit address
    reCommand,  // the command box is not one byte of a request command (0x01..0x7F)
    reData,     // a data token does not parse
    reNotFrame, // the buffer row is not one whole request frame
    reTooLong,  // more data than a frame can carry
};

struct TRawRequest {
    TRawError error = reOk;
    TQueueItem item; // type 0: [0, command, address lo, address hi, data...] or [0, 0, frame...]
    uint8_t command = 0;
};

// The 16-bit address of the command rows: "0" when empty, "0x" put in front
// when missing and zeros after it up to four digits ("12" is 0x0012, "123" is
// 0x0123); read as one 16-bit word or, failing that, as up to two bytes, low
// byte first.
std::optional<uint16_t> ParseRawAddress(std::string_view text);
// The command box: one byte.
std::optional<uint8_t> ParseRawByte(std::string_view text);
// The data box, trailing blanks ignored; nothing when a token fails.
std::optional<TBytes> ParseRawData(std::string_view text);

// A command row ("Polecenie:" and "Dane:", with the address box).
TRawRequest RawCommandRequest(std::string_view address, std::string_view command, std::string_view data);
// The buffer row ("Bufor:"): the bytes must make exactly one request frame,
// which is sent as it stands.
TRawRequest RawFrameRequest(std::string_view buffer);

// What became of the last hand-typed request.
enum TRawState : uint8_t {
    rsIdle,
    rsInvalid,  // nothing was sent: the row did not parse
    rsWaiting,  // sent, no answer yet
    rsAnswered, // the meter executed it
    rsRefused,  // the meter refused it (answer 0x7F)
    rsNoAnswer, // the answer time ran out
};

// Follows one hand-typed request from sending to its answer. Only one
// request is on the line at a time, so the first frame that answers its
// command is its answer.
class TRawExchange {
public:
    void Invalid(TRawError error);
    void Sent(uint8_t command, TBytes frame);
    // Every accepted answer frame while the window is open; true when it
    // was the answer awaited.
    bool Frame(const TBytes& frame);
    // The answer time ran out (or the queue was emptied for a new meter).
    void NoAnswer();

    TRawState State() const { return state_; }
    TRawError Error() const { return error_; }
    const TBytes& SentFrame() const { return sent_; }
    const TBytes& AnswerFrame() const { return answer_; }
    // The line under the rows, in Polish like the rest of the window.
    std::string StatusText() const;

private:
    TRawState state_ = rsIdle;
    TRawError error_ = reOk;
    uint8_t command_ = 0;
    TBytes sent_;
    TBytes answer_;
};

// Bytes as "68 08 00 04 06 01 00 16".
std::string HexBytesText(const TBytes& bytes);

} // namespace k730
