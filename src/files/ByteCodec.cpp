#include "files/ByteCodec.h"

#include <algorithm>

namespace k730 {

bool TByteReader::TextEndedBy(char stop, std::string& out) {
    const auto begin = data_.begin() + static_cast<std::ptrdiff_t>(pos_);
    const auto end = std::find(begin, data_.end(), static_cast<uint8_t>(stop));
    if (end == data_.end()) return false;
    out.assign(begin, end);
    pos_ = static_cast<size_t>(end - data_.begin()) + 1;
    return true;
}

std::string TByteReader::TextToZeroOrEnd() {
    return TextTo('\0');
}

std::string TByteReader::TextTo(char stop) {
    const auto begin = data_.begin() + static_cast<std::ptrdiff_t>(pos_);
    const auto end = std::find(begin, data_.end(), static_cast<uint8_t>(stop));
    std::string text(begin, end);
    pos_ = static_cast<size_t>(end - data_.begin()) + (end == data_.end() ? 0 : 1);
    return text;
}

} // namespace k730
