#include "app/tools/projector_format.h"

namespace tools {

namespace {

void putLittleEndian32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getLittleEndian32(const std::uint8_t* in) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | in[i];
    return value;
}

} // namespace

std::array<std::uint8_t, kProjectorTrailerSize> encodeProjectorTrailer(std::uint32_t movieLength) {
    std::array<std::uint8_t, kProjectorTrailerSize> trailer{};
    putLittleEndian32(trailer.data(), kProjectorMagic);
    putLittleEndian32(trailer.data() + 4, movieLength);
    return trailer;
}

std::optional<std::uint32_t>
decodeProjectorTrailer(std::span<const std::uint8_t, kProjectorTrailerSize> trailer) {
    if (getLittleEndian32(trailer.data()) != kProjectorMagic) return std::nullopt;
    return getLittleEndian32(trailer.data() + 4);
}

bool startsWithMovieSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && (bytes[0] == 'F' || bytes[0] == 'C') && bytes[1] == 'W' &&
           bytes[2] == 'S';
}

} // namespace tools
