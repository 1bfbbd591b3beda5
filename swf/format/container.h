// The SWF container: signature, version, and the (decompressed) movie body.
#pragma once

#include "swf/format/types.h"

#include <cstdint>
#include <span>
#include <vector>

namespace swf {

enum class Compression { None, Zlib, Lzma };

struct Container {
    Compression compression = Compression::None;
    uint8_t version = 0;
    uint32_t declaredLength = 0; // FileLength from the header
    std::vector<uint8_t> body;   // everything after the 8-byte prefix, decompressed
    bool truncated = false;      // the stream or file ended before the declared length
};

// Reads the header and decompresses the body, bounded by limits::kMaxFileBytes.
// A stream that breaks part way keeps what decoded (truncated = true).
Result<Container> readContainer(std::span<const uint8_t> file);

} // namespace swf
