#include "app/tools/swf2exe.h"

#include "app/tools/projector_format.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"

#include <QCoreApplication>

#include <limits>

namespace tools {

swf::Result<ProjectorWritten> convertSwf2Exe(const std::filesystem::path& stubPath,
                                             const std::filesystem::path& moviePath,
                                             const std::filesystem::path& outPath) {
    using platform::InputFile;
    auto stub = InputFile::open(stubPath);
    if (auto* e = std::get_if<swf::Error>(&stub)) return *e;
    auto movie = InputFile::open(moviePath);
    if (auto* e = std::get_if<swf::Error>(&movie)) return *e;
    const InputFile& s = std::get<InputFile>(stub);
    const InputFile& m = std::get<InputFile>(movie);
    if (m.size() > std::numeric_limits<std::uint32_t>::max())
        return swf::Error{"movie too large for a projector: " + moviePath.string()};
    const auto movieSize = static_cast<std::uint32_t>(m.size());

    // rwx for everyone the umask allows: the projector is a program.
    auto output = platform::ReplacingFile::create(outPath, 0777);
    if (auto* e = std::get_if<swf::Error>(&output)) return *e;
    platform::ReplacingFile& out = std::get<platform::ReplacingFile>(output);
    if (auto r = out.append(s, 0, s.size()); !swf::ok(r)) return std::get<swf::Error>(r);
    if (auto r = out.append(m, 0, movieSize); !swf::ok(r)) return std::get<swf::Error>(r);
    if (auto r = out.write(encodeProjectorTrailer(movieSize)); !swf::ok(r))
        return std::get<swf::Error>(r);
    if (auto r = out.commit(); !swf::ok(r)) return std::get<swf::Error>(r);
    return ProjectorWritten{s.size(), movieSize};
}

std::filesystem::path projectorStubPath() {
    return platform::toFsPath(QCoreApplication::applicationDirPath()) / "exeh";
}

} // namespace tools
