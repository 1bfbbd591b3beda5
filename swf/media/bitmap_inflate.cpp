#include "swf/media/bitmap_inflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace swf::bitmap_detail {

size_t inflateInto(std::span<const uint8_t> in, std::span<uint8_t> out) {
    if (in.empty() || out.empty()) return 0;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return 0;
    // zlib counts in uInt; feed and drain in pieces so any span size works.
    constexpr size_t kPiece = UINT_MAX;
    size_t inPos = 0;
    size_t outPos = 0;
    while (outPos < out.size()) {
        if (zs.avail_in == 0 && inPos < in.size()) {
            size_t n = std::min(kPiece, in.size() - inPos);
            zs.next_in = const_cast<Bytef*>(in.data() + inPos);
            zs.avail_in = static_cast<uInt>(n);
            inPos += n;
        }
        size_t room = std::min(kPiece, out.size() - outPos);
        zs.next_out = out.data() + outPos;
        zs.avail_out = static_cast<uInt>(room);
        int rc = inflate(&zs, Z_NO_FLUSH);
        outPos += room - zs.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK && rc != Z_BUF_ERROR) break;                             // corrupt data
        if (rc == Z_BUF_ERROR && zs.avail_in == 0 && inPos >= in.size()) break; // truncated
    }
    inflateEnd(&zs);
    return outPos;
}

} // namespace swf::bitmap_detail
