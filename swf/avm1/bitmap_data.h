// The pixels of flash.display.BitmapData objects, for the library and for whatever
// draws them.
#pragma once

#include "swf/avm1/value.h"
#include "swf/display/player.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace swf::avm1 {

// Straight (not premultiplied) 0xAARRGGBB pixels, row by row.
struct BitmapPixels : HostData, PictureSource {
    int width = 0, height = 0;
    bool transparent = true;
    bool disposed = false;
    std::vector<uint32_t> px;
    // The machine's count of live pixels, lowered again when these go.
    std::shared_ptr<uint64_t> live;
    // Raised by every method call that may change the pixels: the picture shown is
    // made again only after one.
    uint64_t changes = 0;
    mutable BitmapPtr shown;
    mutable uint64_t shownAt = 0;

    ~BitmapPixels() override;
    std::pair<int, int> pictureSize() const override;
    BitmapPtr picture() const override;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// The pixels behind a BitmapData object, null for anything else or once disposed.
const BitmapPixels* bitmapPixelsOf(const Value& v);
// The same pixels to show on the display list (attachBitmap).
std::shared_ptr<const PictureSource> bitmapPictureOf(const Value& v);

} // namespace swf::avm1
