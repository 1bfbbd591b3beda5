// Layout of a projector file: the projector stub byte for byte, the movie byte for byte,
// then an 8-byte trailer: the magic 0xFA123456 and the movie's length, both 32-bit
// little-endian. Also the facts used to find a movie in a projector someone else built.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tools {

inline constexpr std::uint32_t kProjectorMagic = 0xFA123456;
inline constexpr std::size_t kProjectorTrailerSize = 8;

// Stub sizes of known projectors, in the order the search tries them; a movie is looked
// for at each size less one and the 200 positions after that.
inline constexpr std::array<std::uint32_t, 7> kProjectorStubSizes{90100,  94200,  102450, 286700,
                                                                  290800, 376800, 819168};
inline constexpr std::uint32_t kProjectorScanPositions = 201;
// A position is examined only if it lies at least this many bytes before the file's end.
inline constexpr std::uint32_t kProjectorTailMargin = 21;

std::array<std::uint8_t, kProjectorTrailerSize> encodeProjectorTrailer(std::uint32_t movieLength);

// The movie length a trailer states, or nullopt when the magic is missing.
std::optional<std::uint32_t>
decodeProjectorTrailer(std::span<const std::uint8_t, kProjectorTrailerSize> trailer);

// True when the bytes start with "FWS" or "CWS" (an uncompressed or compressed movie).
// Needs at least three bytes.
bool startsWithMovieSignature(std::span<const std::uint8_t> bytes);

} // namespace tools
