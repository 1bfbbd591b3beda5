// The pixels of flash.display.BitmapData objects, for the library and for whatever
// draws them.
#pragma once

#include "swf/avm1/value.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace swf::avm1 {

// Straight (not premultiplied) 0xAARRGGBB pixels, row by row.
struct BitmapPixels : HostData {
    int width = 0, height = 0;
    bool transparent = true;
    bool disposed = false;
    std::vector<uint32_t> px;
    // The machine's count of live pixels, lowered again when these go.
    std::shared_ptr<uint64_t> live;

    ~BitmapPixels() override;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// The pixels behind a BitmapData object, null for anything else or once disposed.
const BitmapPixels* bitmapPixelsOf(const Value& v);

} // namespace swf::avm1
