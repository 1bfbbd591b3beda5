#include "swf/format/reader.h"

#include <algorithm>
#include <cstring>

namespace swf {

void Reader::seek(size_t p) {
    align();
    if (p > data_.size()) {
        overrun_ = true;
        p = data_.size();
    }
    pos_ = p;
}

void Reader::skip(size_t n) {
    align();
    if (n > remaining()) {
        overrun_ = true;
        pos_ = data_.size();
    } else {
        pos_ += n;
    }
}

uint8_t Reader::u8() {
    align();
    if (pos_ >= data_.size()) {
        overrun_ = true;
        return 0;
    }
    return data_[pos_++];
}

uint16_t Reader::u16() {
    uint16_t lo = u8();
    return static_cast<uint16_t>(lo | (u8() << 8));
}

uint32_t Reader::u32() {
    uint32_t lo = u16();
    return lo | (static_cast<uint32_t>(u16()) << 16);
}

float Reader::f32() {
    uint32_t v = u32();
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

double Reader::f64() {
    uint64_t lo = u32();
    uint64_t v = lo | (static_cast<uint64_t>(u32()) << 32);
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

uint32_t Reader::encodedU32() {
    uint32_t v = 0;
    for (int i = 0; i < 5; ++i) {
        uint8_t b = u8();
        v |= static_cast<uint32_t>(b & 0x7f) << (7 * i);
        if (!(b & 0x80)) break;
    }
    return v;
}

std::span<const uint8_t> Reader::bytes(size_t n) {
    align();
    if (n > remaining()) {
        overrun_ = true;
        n = remaining();
    }
    auto s = data_.subspan(pos_, n);
    pos_ += n;
    return s;
}

std::string Reader::string() {
    align();
    size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != 0) ++pos_;
    std::string s(reinterpret_cast<const char*>(data_.data()) + start, pos_ - start);
    if (pos_ < data_.size()) ++pos_; // the terminator
    return s;
}

uint32_t Reader::ub(int n) {
    n = std::clamp(n, 0, 32); // no field is wider; a broken width must not shift past 32
    uint32_t v = 0;
    // Whole runs of the bits left in the current byte at a time.
    while (n > 0) {
        if (bitCount_ == 0) {
            if (pos_ >= data_.size()) {
                overrun_ = true;
                return n >= 32 ? 0 : v << n;
            }
            bitBuf_ = data_[pos_++];
            bitCount_ = 8;
        }
        const int take = std::min(n, bitCount_);
        bitCount_ -= take;
        v = (v << take) | ((static_cast<uint32_t>(bitBuf_) >> bitCount_) & ((1u << take) - 1));
        n -= take;
    }
    return v;
}

int32_t Reader::sb(int n) {
    if (n <= 0) return 0;
    uint32_t v = ub(n);
    if (n < 32 && (v & (1u << (n - 1)))) v |= ~0u << n;
    return static_cast<int32_t>(v);
}

Rect Reader::rect() {
    align();
    int n = static_cast<int>(ub(5));
    Rect r;
    r.xmin = sb(n);
    r.xmax = sb(n);
    r.ymin = sb(n);
    r.ymax = sb(n);
    align();
    return r;
}

Matrix Reader::matrix() {
    align();
    Matrix m;
    if (flag()) {
        int n = static_cast<int>(ub(5));
        m.a = fb(n);
        m.d = fb(n);
    }
    if (flag()) {
        int n = static_cast<int>(ub(5));
        m.b = fb(n);
        m.c = fb(n);
    }
    int n = static_cast<int>(ub(5));
    m.tx = sb(n);
    m.ty = sb(n);
    align();
    return m;
}

ColorTransform Reader::cxform(bool withAlpha) {
    align();
    ColorTransform c;
    bool hasAdd = flag();
    bool hasMul = flag();
    int n = static_cast<int>(ub(4));
    if (hasMul) {
        c.rMul = sb(n);
        c.gMul = sb(n);
        c.bMul = sb(n);
        if (withAlpha) c.aMul = sb(n);
    }
    if (hasAdd) {
        c.rAdd = sb(n);
        c.gAdd = sb(n);
        c.bAdd = sb(n);
        if (withAlpha) c.aAdd = sb(n);
    }
    align();
    return c;
}

Rgba Reader::rgb() {
    Rgba c;
    c.r = u8();
    c.g = u8();
    c.b = u8();
    return c;
}

Rgba Reader::rgba() {
    Rgba c = rgb();
    c.a = u8();
    return c;
}

} // namespace swf
