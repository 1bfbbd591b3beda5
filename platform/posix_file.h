// Raw byte access to regular files through POSIX descriptors, so that large files are
// copied in chunks (or by the kernel) instead of being held in memory whole.
#pragma once

#include "platform/io_status.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace platform {

// Owns one file descriptor and closes it.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    int release();
    void reset(int fd = -1);

  private:
    int fd_ = -1;
};

// A regular file opened for reading. Opening refuses folders, pipes and devices, so a
// hostile path can neither block the caller nor feed it an endless stream.
class InputFile {
  public:
    static swf::Result<InputFile> open(const std::filesystem::path& path);

    int fd() const { return fd_.get(); }
    std::uint64_t size() const { return size_; }
    mode_t permissions() const { return permissions_; }
    const std::filesystem::path& path() const { return path_; }
    bool isSameFile(dev_t device, ino_t inode) const {
        return device == device_ && inode == inode_;
    }

    // Fills `out` from `offset` on; returns how many bytes were read (fewer at the end).
    swf::Result<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

  private:
    InputFile() = default;

    UniqueFd fd_;
    std::filesystem::path path_;
    std::uint64_t size_ = 0;
    mode_t permissions_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

// Writes all of `data` to `fd` at its current position.
Status writeAll(int fd, std::span<const std::uint8_t> data, const std::filesystem::path& name);

// Appends `length` bytes of `source`, starting at `offset`, to `fd` at its current position.
// Fails when the source ends before that many bytes were copied.
Status copyRange(const InputFile& source, std::uint64_t offset, std::uint64_t length, int fd,
                 const std::filesystem::path& name);

// Renames `from` to `to` unless `to` already exists. Returns 0, or the errno value of the
// failure (EEXIST for an existing target, EXDEV across file systems).
int renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace platform
