// Bounds-checked little-endian and bit-field reading over a byte span.
//
// A read past the end never touches memory outside the span: it yields zero and
// sets a sticky overrun flag, so parsers can read a whole record and check once.
#pragma once

#include "swf/format/types.h"

#include <cstdint>
#include <span>
#include <string>

namespace swf {

class Reader {
public:
    Reader() = default;
    explicit Reader(std::span<const uint8_t> data) : data_(data) {}

    size_t pos() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    bool overrun() const { return overrun_; }
    bool atEnd() const { return remaining() == 0; }
    std::span<const uint8_t> data() const { return data_; }

    void seek(size_t p);
    void skip(size_t n);
    void align() { bitCount_ = 0; }
    // Marks the data as unusable from here on: every further read yields zero.
    void fail() {
        overrun_ = true;
        pos_ = data_.size();
        bitCount_ = 0;
    }

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int16_t s16() { return static_cast<int16_t>(u16()); }
    int32_t s32() { return static_cast<int32_t>(u32()); }
    float f32();
    double f64();
    uint32_t encodedU32();

    // n bytes as a sub-span (clamped to what is left; sets the overrun flag if short).
    std::span<const uint8_t> bytes(size_t n);
    std::span<const uint8_t> rest() { return bytes(remaining()); }
    // NUL-terminated string; without a terminator, the rest of the data.
    std::string string();

    uint32_t ub(int n);
    int32_t sb(int n);
    double fb(int n) { return sb(n) / 65536.0; }
    bool flag() { return ub(1) != 0; }

    Rect rect();
    Matrix matrix();
    ColorTransform cxform(bool withAlpha);
    Rgba rgb();
    Rgba rgba();

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    uint8_t bitBuf_ = 0;
    int bitCount_ = 0;
    bool overrun_ = false;
};

} // namespace swf
