// Byte buffer with MSB-first bit fields, used to encode SWF structures.
#pragma once

#include "swf/format/types.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace swf::writer {

// Minimal width of an unsigned bit field (UB) holding v; 0 for 0.
int unsignedBits(uint64_t v);
// Minimal width of a signed bit field (SB) holding v; 0 for 0.
int signedBits(int64_t v);
// 16.16 and 8.8 fixed point, rounded to nearest.
int32_t toFixed16(double v);
int16_t toFixed8(double v);

// zlib stream (RFC 1950) of the given bytes.
std::vector<uint8_t> zlibCompress(std::span<const uint8_t> data, int level = 9);

// Appends bit fields (packed MSB first) and little-endian values. Every byte-sized
// write first pads the pending bit field byte with zero bits, as the format requires.
// Values that do not fit their field throw std::invalid_argument: that is a fault of
// the calling code, not of any input.
class Buffer {
  public:
    // Bit fields.
    Buffer& ub(uint32_t v, int bits);
    Buffer& sb(int32_t v, int bits);
    Buffer& fb(double v, int bits); // 16.16 fixed point in a signed field
    Buffer& flag(bool v) { return ub(v ? 1 : 0, 1); }
    Buffer& align();
    bool aligned() const { return bitPos_ == 0; }

    // Byte-aligned values, little-endian.
    Buffer& u8(uint8_t v);
    Buffer& u16(uint16_t v);
    Buffer& u32(uint32_t v);
    Buffer& u64(uint64_t v);
    Buffer& i16(int16_t v) { return u16(static_cast<uint16_t>(v)); }
    Buffer& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    Buffer& fixed8(double v) { return i16(toFixed8(v)); }
    Buffer& fixed16(double v) { return i32(toFixed16(v)); }
    Buffer& f32(float v);
    Buffer& f64(double v);              // IEEE double, little-endian
    Buffer& encodedU32(uint32_t v);     // 1..5 bytes, 7 bits each, low group first
    Buffer& string(std::string_view s); // bytes then a NUL
    Buffer& bytes(std::span<const uint8_t> data);

    // Records.
    Buffer& rgb(Rgba c);
    Buffer& rgba(Rgba c);
    Buffer& rect(const Rect& r);                  // minimal Nbits
    Buffer& matrix(const Matrix& m);              // minimal field widths
    Buffer& cxform(const ColorTransform& c);      // CXFORM, alpha terms dropped
    Buffer& cxformAlpha(const ColorTransform& c); // CXFORMWITHALPHA

    // Overwrite an already written little-endian value at a byte offset.
    void patchU16(size_t offset, uint16_t v);
    void patchU32(size_t offset, uint32_t v);

    size_t size() const { return data_.size(); }
    const std::vector<uint8_t>& data() const { return data_; }
    std::vector<uint8_t> take() { return std::move(data_); }

  private:
    Buffer& colorTransform(const ColorTransform& c, bool withAlpha);

    std::vector<uint8_t> data_;
    int bitPos_ = 0; // bits already used in the last byte; 0 when aligned
};

} // namespace swf::writer
