#include "swf/format/filter.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

double fixed(Reader& r) { return r.s32() / 65536.0; }
double fixed8(Reader& r) { return r.s16() / 256.0; }

// Blur amounts and passes are bounded so a hostile file cannot make one frame
// take minutes.
double blurAmount(double v) { return std::clamp(v, 0.0, 255.0); }

float finiteOrZero(float v) { return std::isfinite(v) ? v : 0.0f; }

} // namespace

std::vector<Filter> readFilterList(Reader& r) {
    std::vector<Filter> out;
    uint8_t n = r.u8();
    for (int i = 0; i < n && !r.overrun(); ++i) {
        Filter f;
        uint8_t id = r.u8();
        // The flags byte the shadow, glow and bevel families end with.
        auto flags = [&](int passBits) {
            uint8_t b = r.u8();
            f.inner = b & 0x80;
            f.knockout = b & 0x40;
            f.hideObject = !(b & 0x20);
            if (passBits == 4) f.onTop = b & 0x10;
            f.passes = std::max(1, b & ((1 << passBits) - 1));
        };
        switch (id) {
        case 0: // drop shadow
        case 2: // glow
            f.kind = id == 0 ? Filter::Kind::DropShadow : Filter::Kind::Glow;
            f.color = r.rgba();
            f.blurX = blurAmount(fixed(r));
            f.blurY = blurAmount(fixed(r));
            if (id == 0) {
                f.angle = fixed(r);
                f.distance = std::clamp(fixed(r), -4096.0, 4096.0);
            }
            f.strength = std::clamp(fixed8(r), 0.0, 255.0);
            flags(5);
            break;
        case 1:
            f.kind = Filter::Kind::Blur;
            f.blurX = blurAmount(fixed(r));
            f.blurY = blurAmount(fixed(r));
            f.passes = std::max(1, r.u8() >> 3);
            break;
        case 3: // bevel: files store the highlight first
            f.kind = Filter::Kind::Bevel;
            f.highlight = r.rgba();
            f.color = r.rgba();
            f.blurX = blurAmount(fixed(r));
            f.blurY = blurAmount(fixed(r));
            f.angle = fixed(r);
            f.distance = std::clamp(fixed(r), -4096.0, 4096.0);
            f.strength = std::clamp(fixed8(r), 0.0, 255.0);
            flags(4);
            break;
        case 4:
        case 7: {
            f.kind = id == 4 ? Filter::Kind::GradientGlow : Filter::Kind::GradientBevel;
            uint8_t colors = r.u8();
            std::vector<Rgba> cs(colors);
            for (Rgba& c : cs) c = r.rgba();
            for (uint8_t k = 0; k < colors; ++k) f.gradient.emplace_back(r.u8(), cs[k]);
            f.blurX = blurAmount(fixed(r));
            f.blurY = blurAmount(fixed(r));
            f.angle = fixed(r);
            f.distance = std::clamp(fixed(r), -4096.0, 4096.0);
            f.strength = std::clamp(fixed8(r), 0.0, 255.0);
            flags(4);
            break;
        }
        case 5: {
            f.kind = Filter::Kind::Convolution;
            f.matrixX = r.u8();
            f.matrixY = r.u8();
            f.divisor = finiteOrZero(r.f32());
            f.bias = finiteOrZero(r.f32());
            const size_t cells = static_cast<size_t>(f.matrixX) * static_cast<size_t>(f.matrixY);
            if (cells * 4 > r.remaining()) {
                r.fail();
                return out;
            }
            f.kernel.resize(cells);
            for (float& v : f.kernel) v = finiteOrZero(r.f32());
            f.color = r.rgba();
            uint8_t b = r.u8();
            f.clamp = b & 0x02;
            f.preserveAlpha = b & 0x01;
            break;
        }
        case 6:
            f.kind = Filter::Kind::ColorMatrix;
            for (float& v : f.matrix) v = finiteOrZero(r.f32());
            break;
        default:
            r.fail();
            return out;
        }
        // Quality beyond fifteen passes looks the same and costs a frame dearly.
        f.passes = std::min(f.passes, 15);
        if (!r.overrun()) out.push_back(std::move(f));
    }
    return out;
}

FilterSpread filterSpread(const std::vector<Filter>& filters) {
    FilterSpread s;
    for (const Filter& f : filters) {
        if (f.kind == Filter::Kind::ColorMatrix) continue;
        double gx = 0, gy = 0;
        if (f.kind == Filter::Kind::Convolution) {
            gx = f.matrixX / 2.0;
            gy = f.matrixY / 2.0;
        } else {
            gx = std::ceil(f.blurX * f.passes / 2);
            gy = std::ceil(f.blurY * f.passes / 2);
        }
        double dx = 0, dy = 0;
        if (f.kind != Filter::Kind::Blur && f.kind != Filter::Kind::Convolution) {
            dx = std::cos(f.angle) * f.distance;
            dy = std::sin(f.angle) * f.distance;
        }
        // Bevels also draw on the side away from the light.
        const bool bothSides = f.kind == Filter::Kind::Bevel || f.kind == Filter::Kind::GradientBevel;
        s.left += gx + std::max(0.0, bothSides ? std::abs(dx) : -dx);
        s.right += gx + std::max(0.0, bothSides ? std::abs(dx) : dx);
        s.top += gy + std::max(0.0, bothSides ? std::abs(dy) : -dy);
        s.bottom += gy + std::max(0.0, bothSides ? std::abs(dy) : dy);
    }
    return s;
}

} // namespace swf
