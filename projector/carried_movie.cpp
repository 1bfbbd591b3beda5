#include "projector/carried_movie.h"

#include "app/tools/projector_format.h"
#include "platform/posix_file.h"
#include "swf/format/limits.h"

#include <QFileInfo>

namespace projector {

namespace {

constexpr const char* kNoMovie = "This program carries no movie.";

swf::Error unreadable(const swf::Error& e) {
    return swf::Error{"Cannot read this program's file (" + e.message + ")."};
}

} // namespace

swf::Result<std::vector<std::uint8_t>> readCarriedMovie(const std::filesystem::path& programFile) {
    auto opened = platform::InputFile::open(programFile);
    if (auto* e = std::get_if<swf::Error>(&opened)) return unreadable(*e);
    const platform::InputFile& file = std::get<platform::InputFile>(opened);
    if (file.size() < tools::kProjectorTrailerSize) return swf::Error{kNoMovie};

    const std::uint64_t trailerAt = file.size() - tools::kProjectorTrailerSize;
    std::array<std::uint8_t, tools::kProjectorTrailerSize> trailer{};
    auto got = file.readAt(trailerAt, trailer);
    if (auto* e = std::get_if<swf::Error>(&got)) return unreadable(*e);
    if (std::get<std::size_t>(got) != trailer.size()) return swf::Error{kNoMovie};
    const auto length = tools::decodeProjectorTrailer(trailer);
    if (!length) return swf::Error{kNoMovie};
    if (*length > trailerAt) return swf::Error{"The movie carried by this program is damaged."};
    if (*length > swf::limits::kMaxFileBytes)
        return swf::Error{"The movie carried by this program is too large."};

    std::vector<std::uint8_t> movie(*length);
    got = file.readAt(trailerAt - *length, movie);
    if (auto* e = std::get_if<swf::Error>(&got)) return unreadable(*e);
    if (std::get<std::size_t>(got) != movie.size())
        return swf::Error{"The movie carried by this program is damaged."};
    return movie;
}

QString movieTitle(const QString& programFile) {
    const QFileInfo info(programFile);
    const QString base = info.completeBaseName();
    return (base.isEmpty() ? info.fileName() : base) + QStringLiteral(".swf");
}

} // namespace projector
