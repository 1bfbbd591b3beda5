#include "swf/render/qt/image_filters.h"

#include "swf/render/gradient_ramp.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace swf {
namespace {

// One channel of an image as floats 0..1, row by row.
struct Plane {
    int w = 0, h = 0;
    std::vector<float> v;
    Plane(int width, int height, float fill = 0)
        : w(width), h(height), v(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}
    float& at(int x, int y) { return v[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)]; }
    float at(int x, int y) const {
        return v[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
    }
};

// A box of a width that need not be whole: each output pixel is the mean of the
// signal over `width` pixels centred on it; beyond the line the signal is `outside`.
void boxLine(const float* in, float* out, int n, double width, float outside, std::vector<double>& sums) {
    sums.resize(static_cast<size_t>(n) + 1);
    sums[0] = 0;
    for (int i = 0; i < n; ++i) sums[static_cast<size_t>(i) + 1] = sums[static_cast<size_t>(i)] + in[i];
    // The integral of the signal from 0 to x.
    auto integral = [&](double x) {
        if (x <= 0) return x * outside;
        if (x >= n) return sums[static_cast<size_t>(n)] + (x - n) * outside;
        const int k = static_cast<int>(x);
        return sums[static_cast<size_t>(k)] + (x - k) * in[k];
    };
    const double half = width / 2;
    for (int i = 0; i < n; ++i) {
        const double c = i + 0.5;
        out[i] = static_cast<float>((integral(c + half) - integral(c - half)) / width);
    }
}

Plane transposed(const Plane& p) {
    Plane t(p.h, p.w);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) t.at(y, x) = p.at(x, y);
    return t;
}

void blurRows(Plane& p, double width, int passes, float outside) {
    if (width <= 1.0) return;
    std::vector<double> sums;
    std::vector<float> line(static_cast<size_t>(p.w));
    for (int y = 0; y < p.h; ++y) {
        float* row = &p.at(0, y);
        for (int pass = 0; pass < passes; ++pass) {
            boxLine(row, line.data(), p.w, width, outside, sums);
            std::copy(line.begin(), line.end(), row);
        }
    }
}

void blurPlane(Plane& p, double widthX, double widthY, int passes, float outside = 0) {
    if (p.w == 0 || p.h == 0) return;
    blurRows(p, widthX, passes, outside);
    if (widthY > 1.0) {
        Plane t = transposed(p);
        blurRows(t, widthY, passes, outside);
        p = transposed(t);
    }
}

// The plane moved by (dx, dy) whole pixels; uncovered pixels get `fill`.
Plane shifted(const Plane& p, int dx, int dy, float fill) {
    if (dx == 0 && dy == 0) return p;
    Plane out(p.w, p.h, fill);
    for (int y = 0; y < p.h; ++y) {
        const int sy = y - dy;
        if (sy < 0 || sy >= p.h) continue;
        for (int x = 0; x < p.w; ++x) {
            const int sx = x - dx;
            if (sx >= 0 && sx < p.w) out.at(x, y) = p.at(sx, sy);
        }
    }
    return out;
}

Plane alphaOf(const QImage& img) {
    Plane a(img.width(), img.height());
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) a.at(x, y) = qAlpha(row[x]) / 255.0f;
    }
    return a;
}

struct Offset {
    int dx = 0, dy = 0;
};

Offset offsetOf(const Filter& f, double pixelScale) {
    return {static_cast<int>(std::lround(std::cos(f.angle) * f.distance * pixelScale)),
            static_cast<int>(std::lround(std::sin(f.angle) * f.distance * pixelScale))};
}

// Premultiplied colour channels as floats.
struct Px {
    float r = 0, g = 0, b = 0, a = 0;
};

Px premultiplied(Rgba c, float amount) {
    const float a = std::clamp(c.a / 255.0f * amount, 0.0f, 1.0f);
    return {c.r / 255.0f * a, c.g / 255.0f * a, c.b / 255.0f * a, a};
}

QRgb pack(const Px& p) {
    auto ch = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    const int a = ch(p.a);
    return qRgba(std::min(ch(p.r), a), std::min(ch(p.g), a), std::min(ch(p.b), a), a);
}

Px unpack(QRgb p) { return {qRed(p) / 255.0f, qGreen(p) / 255.0f, qBlue(p) / 255.0f, qAlpha(p) / 255.0f}; }

// Where an effect goes relative to the object, and what of the object stays.
enum class Place { Outer, Inner, Full };

// Lays the effect (a premultiplied colour per pixel, already limited to where it
// shows) together with the object: outer effects lie under it, inner and full ones
// over it; knockout and hide object leave the object out.
template <typename EffectAt>
void composite(QImage& layer, Place place, bool objectShown, EffectAt effectAt) {
    for (int y = 0; y < layer.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const Px s = unpack(row[x]);
            const Px e = effectAt(x, y, s.a);
            Px o;
            if (!objectShown) {
                o = e;
            } else if (place == Place::Outer) { // object over effect
                o = {s.r + e.r * (1 - s.a), s.g + e.g * (1 - s.a), s.b + e.b * (1 - s.a), s.a + e.a * (1 - s.a)};
            } else { // effect over object
                o = {e.r + s.r * (1 - e.a), e.g + s.g * (1 - e.a), e.b + s.b * (1 - e.a), e.a + s.a * (1 - e.a)};
            }
            row[x] = pack(o);
        }
    }
}

// How much of an effect shows at a pixel whose object alpha is `a`: inner effects
// only inside the object; outer ones, when knocked out, only outside it (drawn
// under the object or alone they show whole).
float placed(Place place, bool knockout, float amount, float a) {
    switch (place) {
    case Place::Outer: return knockout ? amount * (1 - a) : amount;
    case Place::Inner: return amount * a;
    case Place::Full: return amount;
    }
    return amount;
}

// Drop shadow and glow: the object's silhouette, moved, blurred and coloured. An
// inner effect is the silhouette of what lies outside the object, inside it.
void shadow(QImage& layer, const Filter& f, double pixelScale) {
    const Place place = f.inner ? Place::Inner : Place::Outer;
    Plane a = alphaOf(layer);
    Plane s = a;
    if (f.inner)
        for (float& v : s.v) v = 1 - v;
    const Offset o = offsetOf(f, pixelScale);
    s = shifted(s, o.dx, o.dy, f.inner ? 1.0f : 0.0f);
    blurPlane(s, f.blurX * pixelScale, f.blurY * pixelScale, f.passes, f.inner ? 1.0f : 0.0f);
    const float strength = static_cast<float>(f.strength);
    composite(layer, place, !f.knockout && !f.hideObject, [&](int x, int y, float alpha) {
        const float amount = std::min(1.0f, s.at(x, y) * strength);
        return premultiplied(f.color, placed(place, f.knockout, amount, alpha));
    });
}

// Bevels: the silhouette moved towards the light and away from it; where the first
// covers more the highlight shows, where the second does the shadow.
// `lookup` maps the balance (-1 shadow .. 1 highlight) to a premultiplied colour.
template <typename Lookup> void bevel(QImage& layer, const Filter& f, double pixelScale, Lookup lookup) {
    const Place place = f.onTop ? Place::Full : f.inner ? Place::Inner : Place::Outer;
    Plane a = alphaOf(layer);
    const Offset o = offsetOf(f, pixelScale);
    Plane lit = shifted(a, -o.dx, -o.dy, 0);
    Plane dark = shifted(a, o.dx, o.dy, 0);
    blurPlane(lit, f.blurX * pixelScale, f.blurY * pixelScale, f.passes);
    blurPlane(dark, f.blurX * pixelScale, f.blurY * pixelScale, f.passes);
    const float strength = static_cast<float>(f.strength);
    composite(layer, place, !f.knockout && !f.hideObject, [&](int x, int y, float alpha) {
        const float balance = std::clamp((lit.at(x, y) - dark.at(x, y)) * strength, -1.0f, 1.0f);
        Px c = lookup(balance);
        const float k = placed(place, f.knockout, 1.0f, alpha);
        return Px{c.r * k, c.g * k, c.b * k, c.a * k};
    });
}

Px rampAt(const std::array<Rgba, 256>& ramp, float t) {
    const int i = std::clamp(static_cast<int>(std::lround(t * 255)), 0, 255);
    return premultiplied(ramp[static_cast<size_t>(i)], 1.0f);
}

// Gradient glow: the glow's strength picks its colour from the ramp.
void gradientGlow(QImage& layer, const Filter& f, double pixelScale) {
    const auto ramp = gradientRamp(f.gradient, false);
    const Place place = f.onTop ? Place::Full : f.inner ? Place::Inner : Place::Outer;
    Plane s = alphaOf(layer);
    if (f.inner)
        for (float& v : s.v) v = 1 - v;
    const Offset o = offsetOf(f, pixelScale);
    s = shifted(s, o.dx, o.dy, f.inner ? 1.0f : 0.0f);
    blurPlane(s, f.blurX * pixelScale, f.blurY * pixelScale, f.passes, f.inner ? 1.0f : 0.0f);
    const float strength = static_cast<float>(f.strength);
    composite(layer, place, !f.knockout && !f.hideObject, [&](int x, int y, float alpha) {
        Px c = rampAt(ramp, std::min(1.0f, s.at(x, y) * strength));
        const float k = placed(place, f.knockout, 1.0f, alpha);
        return Px{c.r * k, c.g * k, c.b * k, c.a * k};
    });
}

void blurImage(QImage& img, double widthX, double widthY, int passes) {
    if (widthX <= 1.0 && widthY <= 1.0) return;
    const int w = img.width(), h = img.height();
    std::array<Plane, 4> ch{Plane(w, h), Plane(w, h), Plane(w, h), Plane(w, h)};
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            ch[0].at(x, y) = static_cast<float>(qRed(row[x]));
            ch[1].at(x, y) = static_cast<float>(qGreen(row[x]));
            ch[2].at(x, y) = static_cast<float>(qBlue(row[x]));
            ch[3].at(x, y) = static_cast<float>(qAlpha(row[x]));
        }
    }
    for (Plane& p : ch) blurPlane(p, widthX, widthY, passes);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            auto v = [&](int k) { return std::clamp(static_cast<int>(std::lround(ch[static_cast<size_t>(k)].at(x, y))), 0, 255); };
            const int a = v(3);
            row[x] = qRgba(std::min(v(0), a), std::min(v(1), a), std::min(v(2), a), a);
        }
    }
}

void colorMatrix(QImage& img, const std::array<float, 20>& m) {
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            QRgb p = qUnpremultiply(row[x]);
            const double c[4] = {double(qRed(p)), double(qGreen(p)), double(qBlue(p)), double(qAlpha(p))};
            int o[4];
            for (int k = 0; k < 4; ++k) {
                const float* mr = &m[static_cast<size_t>(k) * 5];
                double v = mr[0] * c[0] + mr[1] * c[1] + mr[2] * c[2] + mr[3] * c[3] + mr[4];
                o[k] = std::isfinite(v) ? static_cast<int>(std::clamp(v, 0.0, 255.0)) : 0;
            }
            row[x] = qPremultiply(qRgba(o[0], o[1], o[2], o[3]));
        }
    }
}

// Convolution over straight colour: the kernel's weighted sum divided by the divisor
// plus the bias. Beyond the image the edge repeats (clamp) or the default colour
// lies; preserve alpha keeps each pixel's own alpha.
void convolve(QImage& img, const Filter& f) {
    const int mx = f.matrixX, my = f.matrixY;
    // Kernels beyond 15 x 15 cost too much per frame; they draw the object unchanged.
    if (mx <= 0 || my <= 0 || mx * my > 225 || f.kernel.size() != static_cast<size_t>(mx * my)) return;
    const QImage src = img.copy();
    const int w = img.width(), h = img.height();
    const float divisor = f.divisor == 0 ? 1.0f : f.divisor;
    const QRgb outside = qRgba(f.color.r, f.color.g, f.color.b, f.color.a);
    std::vector<QRgb> straight(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) straight[static_cast<size_t>(y * w + x)] = qUnpremultiply(row[x]);
    }
    auto pixel = [&](int x, int y) -> QRgb {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            if (!f.clamp) return outside;
            x = std::clamp(x, 0, w - 1);
            y = std::clamp(y, 0, h - 1);
        }
        return straight[static_cast<size_t>(y * w + x)];
    };
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float sr = 0, sg = 0, sb = 0, sa = 0;
            for (int j = 0; j < my; ++j) {
                for (int i = 0; i < mx; ++i) {
                    const float k = f.kernel[static_cast<size_t>(j * mx + i)];
                    if (k == 0) continue;
                    const QRgb p = pixel(x + i - mx / 2, y + j - my / 2);
                    sr += k * qRed(p);
                    sg += k * qGreen(p);
                    sb += k * qBlue(p);
                    sa += k * qAlpha(p);
                }
            }
            auto ch = [&](float v) {
                const float r = v / divisor + f.bias;
                return std::isfinite(r) ? std::clamp(static_cast<int>(std::lround(r)), 0, 255) : 0;
            };
            const int a = f.preserveAlpha ? qAlpha(straight[static_cast<size_t>(y * w + x)]) : ch(sa);
            row[x] = qPremultiply(qRgba(ch(sr), ch(sg), ch(sb), a));
        }
    }
}

} // namespace

void boxBlur(QImage& img, double radiusX, double radiusY, int passes) {
    blurImage(img, radiusX * 2 + 1, radiusY * 2 + 1, passes);
}

void applyFilters(QImage& layer, const std::vector<Filter>& filters, double pixelScale) {
    if (layer.isNull() || layer.width() == 0 || layer.height() == 0) return;
    for (const Filter& f : filters) {
        switch (f.kind) {
        case Filter::Kind::Blur:
            blurImage(layer, f.blurX * pixelScale, f.blurY * pixelScale, f.passes);
            break;
        case Filter::Kind::DropShadow:
        case Filter::Kind::Glow:
            shadow(layer, f, pixelScale);
            break;
        case Filter::Kind::Bevel:
            bevel(layer, f, pixelScale, [&](float balance) {
                return balance >= 0 ? premultiplied(f.highlight, balance) : premultiplied(f.color, -balance);
            });
            break;
        case Filter::Kind::GradientBevel: {
            const auto ramp = gradientRamp(f.gradient, false);
            bevel(layer, f, pixelScale, [&](float balance) { return rampAt(ramp, (balance + 1) / 2); });
            break;
        }
        case Filter::Kind::GradientGlow:
            gradientGlow(layer, f, pixelScale);
            break;
        case Filter::Kind::Convolution:
            convolve(layer, f);
            break;
        case Filter::Kind::ColorMatrix:
            colorMatrix(layer, f.matrix);
            break;
        }
    }
}

QImage coverage(const QImage& img) {
    QImage out(img.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < img.height(); ++y) {
        auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int a = qAlpha(in[x]);
            o[x] = qRgba(a, a, a, a);
        }
    }
    return out;
}

bool compositionFor(uint8_t blendMode, QPainter::CompositionMode& mode) {
    switch (blendMode) {
    case 3: mode = QPainter::CompositionMode_Multiply; return true;
    case 4: mode = QPainter::CompositionMode_Screen; return true;
    case 5: mode = QPainter::CompositionMode_Lighten; return true;
    case 6: mode = QPainter::CompositionMode_Darken; return true;
    case 7: mode = QPainter::CompositionMode_Difference; return true;
    case 8: mode = QPainter::CompositionMode_Plus; return true;
    case 11: mode = QPainter::CompositionMode_DestinationIn; return true;  // alpha
    case 12: mode = QPainter::CompositionMode_DestinationOut; return true; // erase
    case 13: mode = QPainter::CompositionMode_Overlay; return true;
    case 14: mode = QPainter::CompositionMode_HardLight; return true;
    default: return false;
    }
}

} // namespace swf
