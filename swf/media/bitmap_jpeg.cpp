// JPEG through libjpeg, with the marker repairs SWF files need.
#include "swf/media/bitmap_codecs.h"
#include "swf/media/bitmap_pixels.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstring>
#include <string>

#include <jpeglib.h>

namespace swf::bitmap_detail {
namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kSoi = 0xD8;
constexpr uint8_t kEoi = 0xD9;
constexpr uint8_t kSos = 0xDA;
constexpr uint8_t kTem = 0x01;

// A progressive stream can repeat scans without end; real encoders write about a dozen.
constexpr int kMaxScans = 500;
// Working memory libjpeg may take (coefficient buffers of progressive images); enough for
// the largest image the pixel limit allows.
constexpr long kMaxDecoderMemory = 768L << 20;

bool isStandaloneMarker(uint8_t m) {
    return m == kTem || (m >= 0xD0 && m <= 0xD7);
}

// libjpeg state plus what its callbacks need. Fatal errors leave libjpeg by longjmp to
// `jump`, so the functions that call libjpeg hold no objects with destructors.
struct Decompressor {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
    JDIMENSION rowsDone = 0;

    Decompressor() = default;
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    // Safe also when creation never ran or failed: libjpeg checks its memory manager.
    ~Decompressor() { jpeg_destroy_decompress(&info); }
};

Decompressor& owner(j_common_ptr info) {
    return *static_cast<Decompressor*>(info->client_data);
}

[[noreturn]] void onFatal(j_common_ptr info) {
    Decompressor& d = owner(info);
    (*info->err->format_message)(info, d.message);
    std::longjmp(d.jump, 1);
}

// Warnings (corrupt entropy data, premature end) are survivable: count them, print nothing.
void onMessage(j_common_ptr info, int level) {
    if (level < 0) ++info->err->num_warnings;
}

void onOutput(j_common_ptr) {}

void onProgress(j_common_ptr info) {
    if (!info->is_decompressor) return;
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(info);
    if (dinfo->input_scan_number > kMaxScans) {
        Decompressor& d = owner(info);
        std::snprintf(d.message, sizeof d.message, "more than %d scans", kMaxScans);
        std::longjmp(d.jump, 1);
    }
}

// Sets up libjpeg and reads the markers up to the first scan. False on a fatal error.
bool readHeader(Decompressor& d, const uint8_t* data, size_t size) {
    d.info.err = jpeg_std_error(&d.errors);
    d.errors.error_exit = onFatal;
    d.errors.emit_message = onMessage;
    d.errors.output_message = onOutput;
    d.info.client_data = &d;
    if (setjmp(d.jump)) return false;
    jpeg_create_decompress(&d.info);
    d.info.mem->max_memory_to_use = kMaxDecoderMemory;
    d.progress.progress_monitor = onProgress;
    d.info.progress = &d.progress;
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.info, TRUE);
    return true;
}

uint8_t scaled(unsigned a, unsigned b) {
    return static_cast<uint8_t>((a * b + 127) / 255);
}

void convertRow(const Decompressor& d, const JSAMPLE* in, uint32_t* out, JDIMENSION width) {
    if (d.info.out_color_space == JCS_CMYK) {
        // Adobe writers store CMYK inverted and mark the file with their APP14 segment.
        bool inverted = d.info.saw_Adobe_marker;
        for (JDIMENSION x = 0; x < width; ++x, in += 4) {
            unsigned c = in[0], m = in[1], y = in[2], k = in[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            out[x] = opaqueRgb(scaled(c, k), scaled(m, k), scaled(y, k));
        }
        return;
    }
    for (JDIMENSION x = 0; x < width; ++x, in += 3)
        out[x] = opaqueRgb(in[0], in[1], in[2]);
}

// Decodes into `out` (width*height pixels). False on a fatal error; d.rowsDone tells how
// many rows were complete by then.
bool readRows(Decompressor& d, uint32_t* out, JDIMENSION width, JDIMENSION height) {
    if (setjmp(d.jump)) return false;
    jpeg_start_decompress(&d.info);
    if (d.info.output_width != width || d.info.output_height != height) {
        std::snprintf(d.message, sizeof d.message, "unexpected output size");
        return false;
    }
    JSAMPARRAY row =
        (*d.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.info), JPOOL_IMAGE,
                                    width * JDIMENSION(d.info.output_components), 1);
    while (d.info.output_scanline < height) {
        JDIMENSION y = d.info.output_scanline;
        if (jpeg_read_scanlines(&d.info, row, 1) != 1) break;
        convertRow(d, row[0], out + size_t(y) * width, width);
        d.rowsDone = y + 1;
    }
    return true;
}

} // namespace

std::vector<uint8_t> joinJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> image) {
    std::vector<uint8_t> in;
    in.reserve(tables.size() + image.size());
    in.insert(in.end(), tables.begin(), tables.end());
    in.insert(in.end(), image.begin(), image.end());

    std::vector<uint8_t> out{kMarker, kSoi};
    out.reserve(in.size() + 4);
    const size_t n = in.size();
    size_t p = 0;
    // Walk the marker segments up to and including the first SOS header; from there on the
    // bytes are entropy-coded data and are copied as they are.
    while (p < n && in[p] == kMarker) {
        size_t q = p;
        while (q + 1 < n && in[q + 1] == kMarker)
            ++q; // fill bytes
        if (q + 1 >= n) {
            p = n;
            break;
        }
        const uint8_t m = in[q + 1];
        if (m == kSoi || m == kEoi) { // stray: the leading SOI is already written
            p = q + 2;
            continue;
        }
        if (m == 0) break; // not a marker: leave the rest alone
        if (isStandaloneMarker(m)) {
            out.insert(out.end(), {kMarker, m});
            p = q + 2;
            continue;
        }
        if (q + 4 > n) break;
        const size_t length = size_t(in[q + 2]) << 8 | in[q + 3];
        if (length < 2 || length > n - q - 2) break;
        out.insert(out.end(), in.begin() + ptrdiff_t(q), in.begin() + ptrdiff_t(q + 2 + length));
        p = q + 2 + length;
        if (m == kSos) break;
    }
    out.insert(out.end(), in.begin() + ptrdiff_t(p), in.end());
    const size_t size = out.size();
    if (size < 4 || out[size - 2] != kMarker || out[size - 1] != kEoi)
        out.insert(out.end(), {kMarker, kEoi});
    return out;
}

Result<Bitmap> decodeJpeg(std::span<const uint8_t> jpeg) {
    Decompressor d;
    if (!readHeader(d, jpeg.data(), jpeg.size())) return Error{std::string("JPEG: ") + d.message};
    const JDIMENSION width = d.info.image_width;
    const JDIMENSION height = d.info.image_height;
    if (auto e = checkDimensions("JPEG", width, height)) return *e;
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    Bitmap bm = blankBitmap(int(width), int(height));
    if (!readRows(d, bm.pixels.data(), width, height) && d.rowsDone == 0)
        return Error{std::string("JPEG: ") + d.message};
    return bm;
}

} // namespace swf::bitmap_detail
