#include "swf/render/qt/image_filters.h"

#include "swf/render/gradient_ramp.h"
#include "swf/render/qt/scratch.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace swf {
namespace {

// One channel of an image as floats 0..1, row by row.
struct Plane {
    int w = 0, h = 0;
    Scratch<float> v;
    Plane(int width, int height) : w(width), h(height), v(static_cast<size_t>(width) * static_cast<size_t>(height)) {}
    float* row(int y) { return v.data() + static_cast<size_t>(y) * static_cast<size_t>(w); }
    float& at(int x, int y) { return row(y)[x]; }
    float at(int x, int y) const { return v[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)]; }
    // The value at (x, y), or `outside` beyond the plane.
    float sample(int x, int y, float outside) const {
        return x < 0 || y < 0 || x >= w || y >= h ? outside : at(x, y);
    }
};

// Box blurs of a width that need not be whole: each output pixel is the mean of the
// signal over `width` pixels centred on it; beyond the plane the signal is `outside`.
// A window slides along, so the cost does not grow with the width; where an edge of
// the box falls inside a pixel, that pixel counts in proportion. With the line padded
// by more than half the width, both edges move on by exactly one pixel per output.
struct Window {
    int pad = 0;
    int first = 0, last = 0; // padded indices of the pixels the edges fall in, for output 0
    float fFirst = 0, fLast = 0;
    float scale = 1;
    explicit Window(double width) {
        pad = static_cast<int>(std::ceil(width / 2)) + 1;
        const double lo = 0.5 - width / 2 + pad, hi = 0.5 + width / 2 + pad;
        first = static_cast<int>(lo);
        last = static_cast<int>(hi);
        fFirst = static_cast<float>(lo - first);
        fLast = static_cast<float>(hi - last);
        scale = static_cast<float>(1 / width);
    }
};

void blurRows(Plane& p, double width, int passes, float outside) {
    if (width <= 1.0) return;
    const Window win(width);
    const int n = p.w, padded = n + 2 * win.pad;
    Scratch<float> line(static_cast<size_t>(padded));
    for (int i = 0; i < win.pad; ++i) line[static_cast<size_t>(i)] = line[static_cast<size_t>(n + win.pad + i)] = outside;
    for (int y = 0; y < p.h; ++y) {
        float* row = p.row(y);
        for (int pass = 0; pass < passes; ++pass) {
            std::copy(row, row + n, line.data() + win.pad);
            double sum = 0; // pixels first .. last-1
            for (int k = win.first; k < win.last; ++k) sum += line[static_cast<size_t>(k)];
            int a = win.first, b = win.last;
            for (int i = 0; i < n; ++i, ++a, ++b) {
                const float la = line[static_cast<size_t>(a)], lb = line[static_cast<size_t>(b)];
                row[i] = static_cast<float>(sum + win.fLast * lb - win.fFirst * la) * win.scale;
                sum += lb - la;
            }
        }
    }
}

// The same down the columns, a whole row at a time.
void blurColumns(Plane& p, double width, int passes, float outside) {
    if (width <= 1.0) return;
    const Window win(width);
    const int n = p.h, w = p.w;
    Scratch<float> fill(static_cast<size_t>(w));
    std::fill(fill.data(), fill.data() + w, outside);
    // The plane's rows, padded: the source is kept whole while the output is written.
    Scratch<float> src(static_cast<size_t>(w) * static_cast<size_t>(n));
    auto rowAt = [&](int k) -> const float* {
        const int y = k - win.pad;
        return y < 0 || y >= n ? fill.data() : src.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
    };
    Scratch<float> sum(static_cast<size_t>(w));
    for (int pass = 0; pass < passes; ++pass) {
        std::copy(p.v.data(), p.v.data() + src.size(), src.data());
        std::fill(sum.data(), sum.data() + w, 0.0f);
        for (int k = win.first; k < win.last; ++k) {
            const float* r = rowAt(k);
            for (int x = 0; x < w; ++x) sum[static_cast<size_t>(x)] += r[x];
        }
        int a = win.first, b = win.last;
        for (int y = 0; y < n; ++y, ++a, ++b) {
            const float* ra = rowAt(a);
            const float* rb = rowAt(b);
            float* out = p.row(y);
            float* s = sum.data();
            for (int x = 0; x < w; ++x) {
                out[x] = (s[x] + win.fLast * rb[x] - win.fFirst * ra[x]) * win.scale;
                s[x] += rb[x] - ra[x];
            }
        }
    }
}

void blurPlane(Plane& p, double widthX, double widthY, int passes, float outside = 0) {
    if (p.w == 0 || p.h == 0) return;
    blurRows(p, widthX, passes, outside);
    blurColumns(p, widthY, passes, outside);
}

Plane alphaOf(const QImage& img) {
    const int w = img.width(), h = img.height();
    Plane a(w, h);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        float* out = a.row(y);
        for (int x = 0; x < w; ++x) out[x] = static_cast<float>(qAlpha(row[x])) * (1.0f / 255);
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

Px scaled(const Px& p, float k) { return {p.r * k, p.g * k, p.b * k, p.a * k}; }

QRgb pack(const Px& p) {
    auto ch = [](float v) { return static_cast<int>(std::clamp(v, 0.0f, 1.0f) * 255 + 0.5f); };
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
    const int w = layer.width(), h = layer.height();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb px = row[x];
            // An opaque object over an outer effect hides it.
            if (objectShown && place == Place::Outer && qAlpha(px) == 255) continue;
            const Px s = unpack(px);
            const Px e = effectAt(x, y, s.a);
            if (e.a <= 0) { // no effect here
                if (!objectShown) row[x] = 0;
                continue;
            }
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
    // Blurring commutes with moving, so the blurred silhouette is read displaced.
    Plane s = alphaOf(layer);
    const float outside = f.inner ? 1.0f : 0.0f;
    if (f.inner)
        for (size_t i = 0; i < s.v.size(); ++i) s.v[i] = 1 - s.v[i];
    const Offset o = offsetOf(f, pixelScale);
    blurPlane(s, f.blurX * pixelScale, f.blurY * pixelScale, f.passes, outside);
    const float strength = static_cast<float>(f.strength);
    const Px color = premultiplied(f.color, 1);
    composite(layer, place, !f.knockout && !f.hideObject, [&](int x, int y, float alpha) {
        const float amount = std::min(1.0f, s.sample(x - o.dx, y - o.dy, outside) * strength);
        return scaled(color, placed(place, f.knockout, amount, alpha));
    });
}

// Bevels: the silhouette moved towards the light and away from it; where the first
// covers more the highlight shows, where the second does the shadow.
// `lookup` maps the balance (-1 shadow .. 1 highlight) to a premultiplied colour.
template <typename Lookup> void bevel(QImage& layer, const Filter& f, double pixelScale, Lookup lookup) {
    const Place place = f.onTop ? Place::Full : f.inner ? Place::Inner : Place::Outer;
    Plane a = alphaOf(layer);
    const Offset o = offsetOf(f, pixelScale);
    blurPlane(a, f.blurX * pixelScale, f.blurY * pixelScale, f.passes);
    const float strength = static_cast<float>(f.strength);
    composite(layer, place, !f.knockout && !f.hideObject, [&](int x, int y, float alpha) {
        const float lit = a.sample(x + o.dx, y + o.dy, 0), dark = a.sample(x - o.dx, y - o.dy, 0);
        const float balance = std::clamp((lit - dark) * strength, -1.0f, 1.0f);
        Px c = lookup(balance);
        const float k = placed(place, f.knockout, 1.0f, alpha);
        return Px{c.r * k, c.g * k, c.b * k, c.a * k};
    });
}

using Ramp = std::array<Px, 256>;

Ramp rampOf(const std::vector<std::pair<uint8_t, Rgba>>& stops) {
    const auto colours = gradientRamp(stops, false);
    Ramp ramp;
    for (size_t i = 0; i < 256; ++i) ramp[i] = premultiplied(colours[i], 1);
    return ramp;
}

Px rampAt(const Ramp& ramp, float t) {
    return ramp[static_cast<size_t>(std::clamp(static_cast<int>(t * 255 + 0.5f), 0, 255))];
}

// Gradient glow: the glow's strength picks its colour from the ramp.
void gradientGlow(QImage& layer, const Filter& f, double pixelScale) {
    const Ramp ramp = rampOf(f.gradient);
    const Place place = f.onTop ? Place::Full : f.inner ? Place::Inner : Place::Outer;
    Plane s = alphaOf(layer);
    const float outside = f.inner ? 1.0f : 0.0f;
    if (f.inner)
        for (size_t i = 0; i < s.v.size(); ++i) s.v[i] = 1 - s.v[i];
    const Offset o = offsetOf(f, pixelScale);
    blurPlane(s, f.blurX * pixelScale, f.blurY * pixelScale, f.passes, outside);
    const float strength = static_cast<float>(f.strength);
    composite(layer, place, !f.knockout && !f.hideObject, [&](int x, int y, float alpha) {
        Px c = rampAt(ramp, std::min(1.0f, s.sample(x - o.dx, y - o.dy, outside) * strength));
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
            auto v = [&](int k) {
                return std::clamp(static_cast<int>(ch[static_cast<size_t>(k)].at(x, y) + 0.5f), 0, 255);
            };
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
        case Filter::Kind::Bevel: {
            const Px highlight = premultiplied(f.highlight, 1), shade = premultiplied(f.color, 1);
            bevel(layer, f, pixelScale, [&](float balance) {
                return balance >= 0 ? scaled(highlight, balance) : scaled(shade, -balance);
            });
            break;
        }
        case Filter::Kind::GradientBevel: {
            const Ramp ramp = rampOf(f.gradient);
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
