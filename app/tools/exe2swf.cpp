#include "app/tools/exe2swf.h"

#include "app/tools/projector_format.h"
#include "platform/replacing_file.h"

#include <algorithm>
#include <vector>

namespace tools {

namespace {

using platform::InputFile;

constexpr std::uint64_t kScanStart = kProjectorStubSizes.front() - 1;
constexpr std::uint64_t kScanEnd = kProjectorStubSizes.back() - 1 + kProjectorScanPositions + 2;

// The stub-size search. It reads the region the candidates cover once, then examines
// each candidate's positions in order; reaching the tail margin ends the whole search.
swf::Result<std::optional<std::uint64_t>> scanStubSizes(const InputFile& file,
                                                        const std::function<void()>& pump) {
    const std::uint64_t length = file.size();
    if (length <= kScanStart) return std::nullopt;
    std::vector<std::uint8_t> region(std::min(length, kScanEnd) - kScanStart);
    auto got = file.readAt(kScanStart, region);
    if (auto* e = std::get_if<swf::Error>(&got)) return *e;
    region.resize(std::get<std::size_t>(got));

    for (std::uint32_t candidate : kProjectorStubSizes) {
        for (std::uint64_t p = candidate - 1; p < candidate - 1 + kProjectorScanPositions; ++p) {
            if (pump) pump();
            if (p + kProjectorTailMargin > length) return std::nullopt;
            std::uint64_t at = p - kScanStart;
            if (at + 3 > region.size()) return std::nullopt; // the file shrank meanwhile
            if (startsWithMovieSignature(std::span(region).subspan(at, 3))) return p;
        }
    }
    return std::nullopt;
}

// The movie that the trailer states: the length must fit in the file and the movie's
// signature must stand where the length puts its start.
swf::Result<std::optional<std::uint64_t>> findByTrailer(const InputFile& file) {
    const std::uint64_t length = file.size();
    if (length < kProjectorTrailerSize + 3) return std::nullopt;
    std::array<std::uint8_t, kProjectorTrailerSize> trailer{};
    auto got = file.readAt(length - kProjectorTrailerSize, trailer);
    if (auto* e = std::get_if<swf::Error>(&got)) return *e;
    if (std::get<std::size_t>(got) != trailer.size()) return std::nullopt;
    auto movieLength = decodeProjectorTrailer(trailer);
    if (!movieLength || *movieLength > length - kProjectorTrailerSize) return std::nullopt;

    const std::uint64_t start = length - kProjectorTrailerSize - *movieLength;
    std::array<std::uint8_t, 3> signature{};
    got = file.readAt(start, signature);
    if (auto* e = std::get_if<swf::Error>(&got)) return *e;
    if (std::get<std::size_t>(got) != signature.size() || !startsWithMovieSignature(signature))
        return std::nullopt;
    return start;
}

} // namespace

swf::Result<std::optional<MovieLocation>> convertExe2Swf(const std::filesystem::path& exePath,
                                                         const std::filesystem::path& outPath,
                                                         const std::function<void()>& pumpEvents) {
    auto opened = InputFile::open(exePath);
    if (auto* e = std::get_if<swf::Error>(&opened)) return *e;
    const InputFile& file = std::get<InputFile>(opened);
    if (file.size() == 0) return std::nullopt;
    if (pumpEvents) pumpEvents();

    MovieFoundBy foundBy = MovieFoundBy::StubSizeScan;
    auto found = scanStubSizes(file, pumpEvents);
    if (auto* e = std::get_if<swf::Error>(&found)) return *e;
    std::optional<std::uint64_t> start = std::get<std::optional<std::uint64_t>>(found);
    if (!start) {
        foundBy = MovieFoundBy::Trailer;
        found = findByTrailer(file);
        if (auto* e = std::get_if<swf::Error>(&found)) return *e;
        start = std::get<std::optional<std::uint64_t>>(found);
    }
    if (!start) return std::nullopt;

    const MovieLocation location{*start, file.size() - *start, foundBy};
    auto output = platform::ReplacingFile::create(outPath, 0666);
    if (auto* e = std::get_if<swf::Error>(&output)) return *e;
    platform::ReplacingFile& out = std::get<platform::ReplacingFile>(output);
    if (auto r = out.append(file, location.offset, location.length); !swf::ok(r))
        return std::get<swf::Error>(r);
    if (auto r = out.commit(); !swf::ok(r)) return std::get<swf::Error>(r);
    if (pumpEvents) pumpEvents();
    return location;
}

} // namespace tools
