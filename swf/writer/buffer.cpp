#include "swf/writer/buffer.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace swf::writer {

int unsignedBits(uint64_t v) {
    return v == 0 ? 0 : 64 - std::countl_zero(v);
}

int signedBits(int64_t v) {
    if (v == 0) return 0;
    // One sign bit plus the magnitude bits of v (or of ~v for negatives).
    return unsignedBits(static_cast<uint64_t>(v < 0 ? ~v : v)) + 1;
}

namespace {

int64_t roundedFixed(double v, double scale) {
    if (!std::isfinite(v)) throw std::invalid_argument("fixed point value is not finite");
    return std::llround(v * scale);
}

} // namespace

int32_t toFixed16(double v) {
    int64_t f = roundedFixed(v, 65536.0);
    if (f < INT32_MIN || f > INT32_MAX) throw std::invalid_argument("value out of 16.16 range");
    return static_cast<int32_t>(f);
}

int16_t toFixed8(double v) {
    int64_t f = roundedFixed(v, 256.0);
    if (f < INT16_MIN || f > INT16_MAX) throw std::invalid_argument("value out of 8.8 range");
    return static_cast<int16_t>(f);
}

std::vector<uint8_t> zlibCompress(std::span<const uint8_t> data, int level) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(size);
    return out;
}

Buffer& Buffer::ub(uint32_t v, int bits) {
    if (bits < 0 || bits > 32 || (bits < 32 && (uint64_t(v) >> bits) != 0))
        throw std::invalid_argument("value " + std::to_string(v) + " does not fit UB[" +
                                    std::to_string(bits) + "]");
    for (int i = bits - 1; i >= 0; --i) {
        if (bitPos_ == 0) data_.push_back(0);
        if ((v >> i) & 1u) data_.back() |= static_cast<uint8_t>(0x80u >> bitPos_);
        bitPos_ = (bitPos_ + 1) & 7;
    }
    return *this;
}

Buffer& Buffer::sb(int32_t v, int bits) {
    if (bits < 0 || bits > 32 || signedBits(v) > bits)
        throw std::invalid_argument("value " + std::to_string(v) + " does not fit SB[" +
                                    std::to_string(bits) + "]");
    uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    return ub(static_cast<uint32_t>(v) & mask, bits);
}

Buffer& Buffer::fb(double v, int bits) {
    return sb(toFixed16(v), bits);
}

Buffer& Buffer::align() {
    bitPos_ = 0;
    return *this;
}

Buffer& Buffer::u8(uint8_t v) {
    align();
    data_.push_back(v);
    return *this;
}

Buffer& Buffer::u16(uint16_t v) {
    align();
    data_.push_back(static_cast<uint8_t>(v));
    data_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

Buffer& Buffer::u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    return u16(static_cast<uint16_t>(v >> 16));
}

Buffer& Buffer::u64(uint64_t v) {
    u32(static_cast<uint32_t>(v));
    return u32(static_cast<uint32_t>(v >> 32));
}

Buffer& Buffer::f32(float v) {
    return u32(std::bit_cast<uint32_t>(v));
}

Buffer& Buffer::f64(double v) {
    return u64(std::bit_cast<uint64_t>(v));
}

Buffer& Buffer::encodedU32(uint32_t v) {
    do {
        uint8_t byte = v & 0x7F;
        v >>= 7;
        u8(v ? byte | 0x80 : byte);
    } while (v);
    return *this;
}

Buffer& Buffer::string(std::string_view s) {
    align();
    data_.insert(data_.end(), s.begin(), s.end());
    data_.push_back(0);
    return *this;
}

Buffer& Buffer::bytes(std::span<const uint8_t> data) {
    align();
    data_.insert(data_.end(), data.begin(), data.end());
    return *this;
}

Buffer& Buffer::rgb(Rgba c) {
    return u8(c.r).u8(c.g).u8(c.b);
}

Buffer& Buffer::rgba(Rgba c) {
    return rgb(c).u8(c.a);
}

Buffer& Buffer::rect(const Rect& r) {
    int n =
        std::max({signedBits(r.xmin), signedBits(r.xmax), signedBits(r.ymin), signedBits(r.ymax)});
    align();
    ub(static_cast<uint32_t>(n), 5);
    sb(r.xmin, n).sb(r.xmax, n).sb(r.ymin, n).sb(r.ymax, n);
    return align();
}

namespace {

int32_t twips(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 1073741823.0)
        throw std::invalid_argument("translation out of range");
    return static_cast<int32_t>(std::lround(v));
}

} // namespace

Buffer& Buffer::matrix(const Matrix& m) {
    int32_t a = toFixed16(m.a), b = toFixed16(m.b), c = toFixed16(m.c), d = toFixed16(m.d);
    int32_t tx = twips(m.tx), ty = twips(m.ty);
    align();
    bool hasScale = a != 65536 || d != 65536;
    flag(hasScale);
    if (hasScale) {
        int n = std::max(signedBits(a), signedBits(d));
        ub(static_cast<uint32_t>(n), 5).sb(a, n).sb(d, n);
    }
    bool hasRotate = b != 0 || c != 0;
    flag(hasRotate);
    if (hasRotate) {
        int n = std::max(signedBits(b), signedBits(c));
        ub(static_cast<uint32_t>(n), 5).sb(b, n).sb(c, n);
    }
    int n = std::max(signedBits(tx), signedBits(ty));
    ub(static_cast<uint32_t>(n), 5).sb(tx, n).sb(ty, n);
    return align();
}

Buffer& Buffer::cxform(const ColorTransform& c) {
    return colorTransform(c, false);
}

Buffer& Buffer::cxformAlpha(const ColorTransform& c) {
    return colorTransform(c, true);
}

Buffer& Buffer::colorTransform(const ColorTransform& c, bool withAlpha) {
    std::vector<int32_t> mul{c.rMul, c.gMul, c.bMul};
    std::vector<int32_t> add{c.rAdd, c.gAdd, c.bAdd};
    if (withAlpha) {
        mul.push_back(c.aMul);
        add.push_back(c.aAdd);
    }
    bool hasMul = std::any_of(mul.begin(), mul.end(), [](int32_t v) { return v != 256; });
    bool hasAdd = std::any_of(add.begin(), add.end(), [](int32_t v) { return v != 0; });
    int n = 0;
    if (hasMul)
        for (int32_t v : mul)
            n = std::max(n, signedBits(v));
    if (hasAdd)
        for (int32_t v : add)
            n = std::max(n, signedBits(v));
    if (n > 15) throw std::invalid_argument("colour transform term does not fit 15 bits");
    align();
    flag(hasAdd).flag(hasMul).ub(static_cast<uint32_t>(n), 4);
    if (hasMul)
        for (int32_t v : mul)
            sb(v, n);
    if (hasAdd)
        for (int32_t v : add)
            sb(v, n);
    return align();
}

void Buffer::patchU16(size_t offset, uint16_t v) {
    if (offset + 2 > data_.size()) throw std::out_of_range("patch past the end of the buffer");
    data_[offset] = static_cast<uint8_t>(v);
    data_[offset + 1] = static_cast<uint8_t>(v >> 8);
}

void Buffer::patchU32(size_t offset, uint32_t v) {
    patchU16(offset, static_cast<uint16_t>(v));
    patchU16(offset + 2, static_cast<uint16_t>(v >> 16));
}

} // namespace swf::writer
