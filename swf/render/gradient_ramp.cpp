#include "swf/render/gradient_ramp.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

struct LinearTable {
    std::array<float, 256> toLinear;
    LinearTable() {
        for (int i = 0; i < 256; ++i) {
            const double v = i / 255.0;
            toLinear[static_cast<size_t>(i)] =
                static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
    }
};

uint8_t fromLinear(double v) {
    v = std::clamp(v, 0.0, 1.0);
    const double s = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    return static_cast<uint8_t>(std::lround(s * 255));
}

uint8_t mix(uint8_t a, uint8_t b, double t) { return static_cast<uint8_t>(std::lround(a + (b - a) * t)); }

} // namespace

std::array<Rgba, 256> gradientRamp(const std::vector<std::pair<uint8_t, Rgba>>& stops, bool linearRgb) {
    std::array<Rgba, 256> ramp;
    if (stops.empty()) {
        ramp.fill(Rgba{0, 0, 0, 255});
        return ramp;
    }
    static const LinearTable table;
    size_t k = 0; // a stop before k has a ratio below i; k only moves on as i grows
    for (int i = 0; i < 256; ++i) {
        while (k < stops.size() && stops[k].first < i) ++k;
        Rgba c;
        if (k == 0) {
            c = stops.front().second;
        } else if (k == stops.size()) {
            c = stops.back().second;
        } else {
            const auto& [r0, c0] = stops[k - 1];
            const auto& [r1, c1] = stops[k];
            const double t = double(i - r0) / double(r1 - r0); // r0 < i <= r1
            if (linearRgb) {
                auto lin = [&](uint8_t a, uint8_t b) {
                    return fromLinear(table.toLinear[a] + (table.toLinear[b] - table.toLinear[a]) * t);
                };
                c = {lin(c0.r, c1.r), lin(c0.g, c1.g), lin(c0.b, c1.b), mix(c0.a, c1.a, t)};
            } else {
                c = {mix(c0.r, c1.r, t), mix(c0.g, c1.g, t), mix(c0.b, c1.b, t), mix(c0.a, c1.a, t)};
            }
        }
        ramp[static_cast<size_t>(i)] = c;
    }
    return ramp;
}

} // namespace swf
