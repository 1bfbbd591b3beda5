// Window geometry is designed in twips (1440 per inch); widgets take pixels. One helper
// converts, at 15 twips per pixel.
#pragma once

#include <QRect>

namespace browse {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel (halves away from zero).
constexpr int px(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// A rectangle as the window designs it: left, top, width, height in twips.
struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// Negative sizes (a screen too small for the design) become empty rectangles.
inline QRect toPixels(const TwipsRect& r) {
    return QRect(px(r.left), px(r.top), std::max(0, px(r.width)), std::max(0, px(r.height)));
}

} // namespace browse
