#include "comm/LineMarks.h"

namespace k730 {

namespace {

constexpr uint8_t MARK = 0xFF;

} // namespace

size_t TLineMarks::Decode(uint8_t* data, size_t count, bool& lineError) {
    size_t out = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t c = data[i];
        switch (state_) {
        case sData:
            if (c == MARK) {
                state_ = sEscape;
            } else {
                data[out++] = c;
            }
            break;
        case sEscape:
            if (c == 0) {
                state_ = sErrorChar;
            } else {
                // FF FF is one FF byte; anything else after FF is not a mark the
                // driver makes, so keep both bytes rather than lose one.
                if (c != MARK) data[out++] = MARK;
                data[out++] = c;
                state_ = sData;
            }
            break;
        case sErrorChar:
            lineError = true;
            state_ = sData;
            break;
        }
    }
    return out;
}

} // namespace k730
