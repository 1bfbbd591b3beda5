// JPEG encoding for bitmap fixtures and samples (libjpeg, memory destination).
#include "swf/writer/bitmap.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <jpeglib.h>

namespace swf::writer {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// One compressor writing into malloc'ed memory; `take` hands out what was written.
class Compressor {
  public:
    Compressor() {
        cinfo_.err = jpeg_std_error(&err_.base);
        err_.base.error_exit = onError;
        jpeg_create_compress(&cinfo_);
    }
    ~Compressor() {
        jpeg_destroy_compress(&cinfo_);
        std::free(mem_);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    // Encodes; with `split`, writes a tables-only stream first and an image stream
    // without tables second.
    bool run(int width, int height, std::span<const uint32_t> pixels, int quality, bool split,
             std::vector<uint8_t>& tables, std::vector<uint8_t>& image) {
        // Nothing with a destructor may live in this frame past setjmp: the row buffer
        // is a member.
        row_.assign(size_t(width) * 3, 0);
        if (setjmp(err_.jump)) return false;
        cinfo_.image_width = static_cast<JDIMENSION>(width);
        cinfo_.image_height = static_cast<JDIMENSION>(height);
        cinfo_.input_components = 3;
        cinfo_.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo_);
        jpeg_set_quality(&cinfo_, quality, TRUE);
        if (split) {
            jpeg_mem_dest(&cinfo_, &mem_, &size_);
            jpeg_write_tables(&cinfo_);
            tables = take();
        }
        jpeg_mem_dest(&cinfo_, &mem_, &size_);
        jpeg_start_compress(&cinfo_, split ? FALSE : TRUE);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t p = pixels[size_t(y) * width + x];
                row_[size_t(x) * 3] = static_cast<JSAMPLE>(p >> 16);
                row_[size_t(x) * 3 + 1] = static_cast<JSAMPLE>(p >> 8);
                row_[size_t(x) * 3 + 2] = static_cast<JSAMPLE>(p);
            }
            JSAMPROW rows[1] = {row_.data()};
            jpeg_write_scanlines(&cinfo_, rows, 1);
        }
        jpeg_finish_compress(&cinfo_);
        image = take();
        return true;
    }

  private:
    std::vector<uint8_t> take() {
        std::vector<uint8_t> out(mem_, mem_ + size_);
        std::free(mem_);
        mem_ = nullptr;
        size_ = 0;
        return out;
    }

    jpeg_compress_struct cinfo_{};
    ErrorManager err_{};
    unsigned char* mem_ = nullptr;
    unsigned long size_ = 0;
    std::vector<JSAMPLE> row_;
};

JpegParts encode(int width, int height, std::span<const uint32_t> pixels, int quality, bool split) {
    if (width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF ||
        pixels.size() != size_t(width) * size_t(height))
        throw std::invalid_argument("bad JPEG image size");
    JpegParts parts;
    auto c = std::make_unique<Compressor>();
    if (!c->run(width, height, pixels, std::clamp(quality, 1, 100), split, parts.tables,
                parts.image))
        throw std::runtime_error("JPEG encoding failed");
    return parts;
}

} // namespace

std::vector<uint8_t> encodeJpeg(int width, int height, std::span<const uint32_t> pixels,
                                int quality) {
    return encode(width, height, pixels, quality, false).image;
}

JpegParts encodeJpegSplit(int width, int height, std::span<const uint32_t> pixels, int quality) {
    return encode(width, height, pixels, quality, true);
}

} // namespace swf::writer
