// Writes a file through a temporary file beside its target and renames it into place at
// the end. Until then the target is untouched, so the target may be one of the inputs
// being read, and a write that fails or is abandoned leaves no partial file behind.
#pragma once

#include "platform/posix_file.h"

#include <sys/types.h>

#include <filesystem>

namespace platform {

class ReplacingFile {
  public:
    enum class Commit {
        Replace,     // an existing target is replaced whole
        KeepExisting // an existing target makes the commit fail and stays as it is
    };

    // Creates the temporary file in the target's folder. `mode` is the permission of the
    // finished file before the process's umask is applied.
    static swf::Result<ReplacingFile> create(const std::filesystem::path& target, mode_t mode);

    ReplacingFile(ReplacingFile&& o) noexcept;
    ReplacingFile& operator=(ReplacingFile&&) = delete;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile(); // removes the temporary file unless committed

    Status write(std::span<const std::uint8_t> data);
    Status append(const InputFile& source, std::uint64_t offset, std::uint64_t length);
    // Closes the temporary file and renames it to the target.
    Status commit(Commit how = Commit::Replace);

    const std::filesystem::path& target() const { return target_; }

  private:
    ReplacingFile(UniqueFd fd, std::filesystem::path target, std::filesystem::path temp)
        : fd_(std::move(fd)), target_(std::move(target)), temp_(std::move(temp)) {}

    UniqueFd fd_;
    std::filesystem::path target_;
    std::filesystem::path temp_; // empty once committed or moved from
};

} // namespace platform
