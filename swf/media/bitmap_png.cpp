// PNG through libpng's simplified reading interface.
#include "swf/media/bitmap_codecs.h"
#include "swf/media/bitmap_pixels.h"

#include <png.h>

#include <string>

namespace swf::bitmap_detail {
namespace {

// Releases libpng's reading state on every path (a no-op once libpng has released it).
struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
    ~PngImage() { png_image_free(&image); }
};

Error pngError(const png_image& image) {
    return Error{std::string("PNG: ") + image.message};
}

} // namespace

Result<Bitmap> decodePng(std::span<const uint8_t> png) {
    PngImage p;
    if (!png_image_begin_read_from_memory(&p.image, png.data(), png.size()))
        return pngError(p.image);
    if (auto e = checkDimensions("PNG", p.image.width, p.image.height)) return *e;
    p.image.format = PNG_FORMAT_ARGB;
    Bitmap bm = blankBitmap(int(p.image.width), int(p.image.height));
    // The 4-byte A R G B records land in the pixel storage and are packed in place.
    if (!png_image_finish_read(&p.image, nullptr, pixelBytes(bm), 0, nullptr))
        return pngError(p.image);
    convertBytesInPlace(bm, bm.pixels.size(), [](uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
        return premultiplied(r, g, b, a);
    });
    return bm;
}

} // namespace swf::bitmap_detail
