// Bitmap filters of placed objects: the drop shadow, blur, glow and bevel family
// and the colour matrix.
#pragma once

#include "swf/format/reader.h"
#include "swf/format/types.h"

#include <array>
#include <vector>

namespace swf {

struct Filter {
    enum class Kind : uint8_t { DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel };
    Kind kind = Kind::Blur;
    Rgba color{0, 0, 0, 255};
    double blurX = 0, blurY = 0; // pixels
    double angle = 0;            // radians
    double distance = 0;         // pixels
    double strength = 1;
    bool inner = false, knockout = false;
    int passes = 1;
    std::array<float, 20> matrix{}; // colour matrix rows R, G, B, A of (r, g, b, a, offset)
};

// FILTERLIST: a count and the filters. Unknown or broken entries end the list.
std::vector<Filter> readFilterList(Reader& r);

} // namespace swf
