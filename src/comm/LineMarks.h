// TLineMarks: undoes the in-band marking a POSIX tty adds to its input when
// parity marking is on. The driver then reports a break as FF 00 00, a
// framing or parity error on character c as FF 00 c, and a real FF data byte
// as FF FF. The state carries across reads, since a mark can be split
// between two of them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k730 {

class TLineMarks {
public:
    // Decodes `count` bytes in place; returns the number of data bytes left at
    // the start of `data`. Sets `lineError` when a break or a character error
    // was among them.
    size_t Decode(uint8_t* data, size_t count, bool& lineError);
    // Forgets a half-read mark (after the input was purged).
    void Reset() { state_ = sData; }

private:
    enum TState { sData, sEscape, sErrorChar };
    TState state_ = sData;
};

} // namespace k730
