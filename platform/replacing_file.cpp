#include "platform/replacing_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

namespace platform {

namespace {

std::string randomSuffix() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(generator()));
    return text;
}

} // namespace

swf::Result<ReplacingFile> ReplacingFile::create(const std::filesystem::path& target, mode_t mode) {
    if (!target.has_filename()) return swf::Error{"no file name in " + target.string()};
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    for (int attempt = 0; attempt < 32; ++attempt) {
        std::filesystem::path temp = folder / (".reelvista-" + randomSuffix() + ".part");
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) return ReplacingFile(UniqueFd(fd), target, temp);
        if (errno != EEXIST) return systemError("cannot create a file in", folder, errno);
    }
    return swf::Error{"no free temporary name in " + folder.string()};
}

ReplacingFile::ReplacingFile(ReplacingFile&& o) noexcept
    : fd_(std::move(o.fd_)), target_(std::move(o.target_)), temp_(std::exchange(o.temp_, {})) {}

ReplacingFile::~ReplacingFile() {
    fd_.reset();
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

Status ReplacingFile::write(std::span<const std::uint8_t> data) {
    if (temp_.empty()) return swf::Error{"already finished: " + target_.string()};
    return writeAll(fd_.get(), data, target_);
}

Status ReplacingFile::append(const InputFile& source, std::uint64_t offset, std::uint64_t length) {
    if (temp_.empty()) return swf::Error{"already finished: " + target_.string()};
    return copyRange(source, offset, length, fd_.get(), target_);
}

Status ReplacingFile::commit(Commit how) {
    if (temp_.empty()) return swf::Error{"already finished: " + target_.string()};
    // A failing close can be the first report of a failed write (full disk, network file
    // systems); the temporary file is then dropped by the destructor.
    if (::close(fd_.release()) != 0) return systemError("cannot write", target_, errno);
    int err = 0;
    if (how == Commit::Replace)
        err = ::rename(temp_.c_str(), target_.c_str()) == 0 ? 0 : errno;
    else
        err = renameWithoutReplacing(temp_, target_);
    if (err != 0) return systemError("cannot write", target_, err);
    temp_.clear();
    return success();
}

} // namespace platform
