// Little-endian reading and writing of the meter's file layouts: fixed-size
// numbers, IEEE 754 singles and doubles, and zero-terminated texts.
#pragma once

#include "protocol/MerBusFun.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace k730 {

// Reads forward through a byte span; every read reports whether the bytes were there.
class TByteReader {
public:
    explicit TByteReader(std::span<const uint8_t> data) : data_(data) {}

    size_t Pos() const { return pos_; }
    size_t Size() const { return data_.size(); }
    bool AtEnd() const { return pos_ >= data_.size(); }
    void Seek(size_t pos) { pos_ = pos < data_.size() ? pos : data_.size(); }

    bool Bytes(void* out, size_t n) {
        if (data_.size() - pos_ < n) return false;
        if (n > 0) std::memcpy(out, data_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    bool Skip(size_t n) {
        if (data_.size() - pos_ < n) return false;
        pos_ += n;
        return true;
    }
    // True when the next bytes equal `text`; the position moves past them only then.
    bool Match(std::string_view text) {
        if (data_.size() - pos_ < text.size()) return false;
        if (std::memcmp(data_.data() + pos_, text.data(), text.size()) != 0) return false;
        pos_ += text.size();
        return true;
    }
    template <typename T> bool U(T& out) {
        uint8_t b[sizeof(T)];
        if (!Bytes(b, sizeof(T))) return false;
        T v = 0;
        for (size_t i = sizeof(T); i-- > 0;)
            v = static_cast<T>((v << 8) | b[i]);
        out = v;
        return true;
    }
    bool I16(int16_t& out) {
        uint16_t v;
        if (!U(v)) return false;
        out = static_cast<int16_t>(v);
        return true;
    }
    bool I32(int32_t& out) {
        uint32_t v;
        if (!U(v)) return false;
        out = static_cast<int32_t>(v);
        return true;
    }
    bool F32(float& out) {
        uint32_t v;
        if (!U(v)) return false;
        out = std::bit_cast<float>(v);
        return true;
    }
    bool F64(double& out) {
        uint64_t v;
        if (!U(v)) return false;
        out = std::bit_cast<double>(v);
        return true;
    }
    // Bytes up to a zero byte, which is consumed; false when the data ends first.
    bool ZText(std::string& out) { return TextEndedBy('\0', out); }
    // Bytes up to (not including) `stop`, which is consumed; false, with the
    // position unchanged, when the data ends before `stop`.
    bool TextEndedBy(char stop, std::string& out);
    // Bytes up to a zero byte or the end of the data; never fails.
    std::string TextToZeroOrEnd();
    // Bytes up to (not including) `stop`, which is consumed; or to the end.
    std::string TextTo(char stop);

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

// Appending writer counterpart.
template <typename T> void PutU(TBytes& out, T v) {
    for (size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutF32(TBytes& out, float v) {
    PutU(out, std::bit_cast<uint32_t>(v));
}
inline void PutF64(TBytes& out, double v) {
    PutU(out, std::bit_cast<uint64_t>(v));
}
inline void PutText(TBytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}
inline void PutZText(TBytes& out, std::string_view text) {
    PutText(out, text);
    out.push_back(0);
}

} // namespace k730
