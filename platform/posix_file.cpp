#include "platform/posix_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {

swf::Error systemError(const std::string& what, const std::filesystem::path& path, int err) {
    return swf::Error{what + " " + path.string() + ": " + std::strerror(err)};
}

UniqueFd& UniqueFd::operator=(UniqueFd&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
}

int UniqueFd::release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

swf::Result<InputFile> InputFile::open(const std::filesystem::path& path) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it has no effect on regular files.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return systemError("cannot open", path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return systemError("cannot examine", path, errno);
    if (!S_ISREG(st.st_mode)) return swf::Error{"not a regular file: " + path.string()};
    InputFile file;
    file.fd_ = std::move(fd);
    file.path_ = path;
    file.size_ = static_cast<std::uint64_t>(st.st_size);
    file.permissions_ = st.st_mode & 07777;
    file.device_ = st.st_dev;
    file.inode_ = st.st_ino;
    return file;
}

swf::Result<std::size_t> InputFile::readAt(std::uint64_t offset,
                                           std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n =
            ::pread(fd(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemError("cannot read", path_, errno);
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

Status writeAll(int fd, std::span<const std::uint8_t> data, const std::filesystem::path& name) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemError("cannot write", name, errno);
        done += static_cast<std::size_t>(n);
    }
    return success();
}

namespace {

constexpr std::size_t kKernelChunk = std::size_t{1} << 30;
constexpr std::size_t kBufferChunk = std::size_t{1} << 20;

// Errors after which copy_file_range cannot help (other file system, old kernel, special
// file system); the copy goes on through a buffer.
bool kernelCopyUnsupported(int err) {
    return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == EBADF;
}

} // namespace

Status copyRange(const InputFile& source, std::uint64_t offset, std::uint64_t length, int fd,
                 const std::filesystem::path& name) {
    bool kernelCopy = true;
    std::vector<std::uint8_t> buffer;
    std::uint64_t done = 0;
    while (done < length) {
        std::uint64_t left = length - done;
        if (kernelCopy) {
            loff_t from = static_cast<loff_t>(offset + done);
            ssize_t n = ::copy_file_range(
                source.fd(), &from, fd, nullptr,
                static_cast<std::size_t>(std::min<std::uint64_t>(left, kKernelChunk)), 0);
            if (n > 0) {
                done += static_cast<std::uint64_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && !kernelCopyUnsupported(errno))
                return systemError("cannot copy " + source.path().string() + " to", name, errno);
            // Unsupported, or a premature end that the plain read below confirms or not.
            kernelCopy = false;
            continue;
        }
        if (buffer.empty()) buffer.resize(kBufferChunk);
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        auto got = source.readAt(offset + done, std::span(buffer.data(), want));
        if (auto* e = std::get_if<swf::Error>(&got)) return *e;
        std::size_t n = std::get<std::size_t>(got);
        if (n == 0) return swf::Error{"file ended early: " + source.path().string()};
        if (auto written = writeAll(fd, std::span(buffer.data(), n), name); !swf::ok(written))
            return written;
        done += n;
    }
    return success();
}

int renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    // The file system lacks that flag: a hard link refuses an existing name as well.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) return errno;
    // No hard links either (FAT and the like): check the name, then rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace platform
