// Bitmap filters of placed objects: the drop shadow, blur, glow and bevel family,
// the convolution and the colour matrix.
#pragma once

#include "swf/format/reader.h"
#include "swf/format/types.h"

#include <array>
#include <vector>

namespace swf {

struct Filter {
    enum class Kind : uint8_t { DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel };
    Kind kind = Kind::Blur;
    Rgba color{0, 0, 0, 255};    // shadow, glow; a bevel's shadow
    Rgba highlight{255, 255, 255, 255}; // a bevel's highlight
    double blurX = 0, blurY = 0; // pixels
    double angle = 0;            // radians
    double distance = 0;         // pixels
    double strength = 1;
    bool inner = false, knockout = false;
    bool hideObject = false; // the effect alone, without the object (composite source off)
    bool onTop = false;      // bevels and gradient effects: "full", over the object
    int passes = 1;
    std::array<float, 20> matrix{}; // colour matrix rows R, G, B, A of (r, g, b, a, offset)
    // Gradient glow and bevel: the colour ramp's stops (ratios 0..255).
    std::vector<std::pair<uint8_t, Rgba>> gradient;
    // Convolution: a matrixX x matrixY kernel, row by row.
    int matrixX = 0, matrixY = 0;
    std::vector<float> kernel;
    float divisor = 1, bias = 0;
    bool clamp = true, preserveAlpha = true;
};

// How far a filter list can spread drawing beyond the object, in filter pixels, on
// the left, top, right and bottom.
struct FilterSpread {
    double left = 0, top = 0, right = 0, bottom = 0;
};
FilterSpread filterSpread(const std::vector<Filter>& filters);

// FILTERLIST: a count and the filters. Unknown or broken entries end the list.
std::vector<Filter> readFilterList(Reader& r);

} // namespace swf
