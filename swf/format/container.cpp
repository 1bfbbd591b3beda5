#include "swf/format/container.h"

#include "swf/format/limits.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace swf {
namespace {

constexpr size_t kChunk = 64 * 1024;

// Inflates a zlib stream into out, never beyond cap bytes.
bool inflateBounded(std::span<const uint8_t> in, size_t cap, std::vector<uint8_t>& out) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = static_cast<uInt>(std::min<size_t>(in.size(), UINT32_MAX));
    bool complete = false;
    while (out.size() < cap) {
        size_t old = out.size();
        size_t grow = std::min(kChunk, cap - old);
        out.resize(old + grow);
        zs.next_out = out.data() + old;
        zs.avail_out = static_cast<uInt>(grow);
        int rc = inflate(&zs, Z_NO_FLUSH);
        out.resize(old + (grow - zs.avail_out));
        if (rc == Z_STREAM_END) {
            complete = true;
            break;
        }
        if (rc != Z_OK) break;                          // corrupt or out of input
        if (zs.avail_out != 0 && zs.avail_in == 0) break; // input exhausted
    }
    inflateEnd(&zs);
    return complete || out.size() >= cap;
}

// Decodes the raw LZMA stream of a ZWS file through the LZMA-alone decoder, with a
// header whose size field says "unknown" so both end-marker and sized streams work.
bool lzmaBounded(std::span<const uint8_t> props, std::span<const uint8_t> in, size_t cap,
                 std::vector<uint8_t>& out) {
    lzma_stream ls = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&ls, uint64_t(1) << 30) != LZMA_OK) return false;
    uint8_t header[13];
    std::memcpy(header, props.data(), 5);
    std::memset(header + 5, 0xff, 8);
    ls.next_in = header;
    ls.avail_in = sizeof header;
    bool headerFed = false;
    bool complete = false;
    while (out.size() < cap) {
        if (ls.avail_in == 0 && !headerFed) {
            ls.next_in = in.data();
            ls.avail_in = in.size();
            headerFed = true;
        }
        size_t old = out.size();
        size_t grow = std::min(kChunk, cap - old);
        out.resize(old + grow);
        ls.next_out = out.data() + old;
        ls.avail_out = grow;
        lzma_ret rc = lzma_code(&ls, headerFed && ls.avail_in == 0 ? LZMA_FINISH : LZMA_RUN);
        out.resize(old + (grow - ls.avail_out));
        if (rc == LZMA_STREAM_END) {
            complete = true;
            break;
        }
        if (rc != LZMA_OK) break;
        if (headerFed && ls.avail_in == 0 && ls.avail_out != 0) break;
    }
    lzma_end(&ls);
    return complete || out.size() >= cap;
}

} // namespace

Result<Container> readContainer(std::span<const uint8_t> file) {
    if (file.size() < 8) return Error{"file is too short to be a Flash movie"};
    Container c;
    const uint8_t sig = file[0];
    if (file[1] != 'W' || file[2] != 'S' || (sig != 'F' && sig != 'C' && sig != 'Z'))
        return Error{"not a Flash movie"};
    c.version = file[3];
    c.declaredLength = uint32_t(file[4]) | uint32_t(file[5]) << 8 | uint32_t(file[6]) << 16 |
                       uint32_t(file[7]) << 24;
    // The declared length bounds the output when it is plausible; a wrong one (it
    // happens) falls back to the global bound.
    size_t cap = limits::kMaxFileBytes;
    if (c.declaredLength > 8 && c.declaredLength - 8 <= limits::kMaxFileBytes)
        cap = c.declaredLength - 8;

    if (sig == 'F') {
        c.compression = Compression::None;
        auto body = file.subspan(8);
        size_t n = std::min(body.size(), limits::kMaxFileBytes);
        c.body.assign(body.begin(), body.begin() + static_cast<ptrdiff_t>(n));
        c.truncated = c.declaredLength > 8 && body.size() < c.declaredLength - 8;
    } else if (sig == 'C') {
        c.compression = Compression::Zlib;
        c.truncated = !inflateBounded(file.subspan(8), cap, c.body);
    } else {
        c.compression = Compression::Lzma;
        if (file.size() < 17) return Error{"compressed movie header is incomplete"};
        // A clearly wrong declared length: decode the whole stream within the global bound.
        if (c.declaredLength <= 8) cap = limits::kMaxFileBytes;
        c.truncated = !lzmaBounded(file.subspan(12, 5), file.subspan(17), cap, c.body);
    }
    if (c.body.empty()) return Error{"the movie's data could not be decompressed"};
    return c;
}

} // namespace swf
