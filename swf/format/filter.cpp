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
            {
                uint8_t flags = r.u8();
                f.inner = flags & 0x80;
                f.knockout = flags & 0x40;
                f.passes = std::max(1, flags & 0x1f);
            }
            break;
        case 1:
            f.kind = Filter::Kind::Blur;
            f.blurX = blurAmount(fixed(r));
            f.blurY = blurAmount(fixed(r));
            f.passes = std::max(1, r.u8() >> 3);
            break;
        case 3: // bevel: read, drawn as nothing
            f.kind = Filter::Kind::Bevel;
            r.skip(27);
            break;
        case 4:
        case 7: {
            f.kind = id == 4 ? Filter::Kind::GradientGlow : Filter::Kind::GradientBevel;
            uint8_t colors = r.u8();
            r.skip(colors * 5u + 19);
            break;
        }
        case 5: {
            f.kind = Filter::Kind::Convolution;
            uint8_t mx = r.u8(), my = r.u8();
            r.skip(8 + 4u * mx * my + 5);
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
        f.passes = std::min(f.passes, 3);
        if (!r.overrun()) out.push_back(f);
    }
    return out;
}

} // namespace swf
