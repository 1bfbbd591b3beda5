// Basic value types of the SWF engine: geometry in twips, colours and transforms.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <variant>

namespace swf {

// An error as a value: every reader and decoder returns one of these on bad input.
struct Error {
    std::string message;
};

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// Rectangle in twips (1/20 pixel).
struct Rect {
    int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    int32_t width() const { return xmax - xmin; }
    int32_t height() const { return ymax - ymin; }
    bool empty() const { return xmax <= xmin || ymax <= ymin; }
    bool operator==(const Rect&) const = default;
};

// Affine map: x' = a*x + c*y + tx, y' = b*x + d*y + ty (translation in twips).
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Matrix translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Matrix scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

    // this * child: apply child first, then this.
    Matrix operator*(const Matrix& m) const {
        return {a * m.a + c * m.b,       b * m.a + d * m.b,       a * m.c + c * m.d,
                b * m.c + d * m.d,       a * m.tx + c * m.ty + tx, b * m.tx + d * m.ty + ty};
    }
    void map(double x, double y, double& ox, double& oy) const {
        ox = a * x + c * y + tx;
        oy = b * x + d * y + ty;
    }
    bool invert(Matrix& out) const {
        double det = a * d - b * c;
        if (det == 0) return false;
        out.a = d / det;
        out.b = -b / det;
        out.c = -c / det;
        out.d = a / det;
        out.tx = -(out.a * tx + out.c * ty);
        out.ty = -(out.b * tx + out.d * ty);
        return true;
    }
    bool operator==(const Matrix&) const = default;
};

// Colour transform: per channel c' = clamp(c * mult / 256 + add), on straight colour.
struct ColorTransform {
    int32_t rMul = 256, gMul = 256, bMul = 256, aMul = 256;
    int32_t rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    bool isIdentity() const {
        return rMul == 256 && gMul == 256 && bMul == 256 && aMul == 256 && rAdd == 0 &&
               gAdd == 0 && bAdd == 0 && aAdd == 0;
    }
    // this * child: apply child first, then this.
    ColorTransform operator*(const ColorTransform& c) const {
        ColorTransform o;
        o.rMul = rMul * c.rMul / 256;
        o.gMul = gMul * c.gMul / 256;
        o.bMul = bMul * c.bMul / 256;
        o.aMul = aMul * c.aMul / 256;
        o.rAdd = rAdd + rMul * c.rAdd / 256;
        o.gAdd = gAdd + gMul * c.gAdd / 256;
        o.bAdd = bAdd + bMul * c.bAdd / 256;
        o.aAdd = aAdd + aMul * c.aAdd / 256;
        return o;
    }
    static uint8_t channel(int32_t v, int32_t mul, int32_t add) {
        return static_cast<uint8_t>(std::clamp(v * mul / 256 + add, 0, 255));
    }
    Rgba apply(Rgba c) const {
        return {channel(c.r, rMul, rAdd), channel(c.g, gMul, gAdd), channel(c.b, bMul, bAdd),
                channel(c.a, aMul, aAdd)};
    }
    bool operator==(const ColorTransform&) const = default;
};

// ASCII lower case: frame labels and instance names match without regard to case.
inline std::string asciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

template <typename T> using Result = std::variant<T, Error>;

template <typename T> bool ok(const Result<T>& r) { return std::holds_alternative<T>(r); }

} // namespace swf
