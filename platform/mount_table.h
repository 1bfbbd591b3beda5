// The file systems mounted on this computer, as the kernel lists them for this process,
// and which kinds a search of the folders may cross into.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class MountKind {
    Local,  // a disk, a memory file system, an overlay: walked as part of the folder above
    Pseudo, // the kernel's views (proc, sysfs, cgroup ...): never walked
    Remote, // network and FUSE file systems: walked only as drives of their own
};

// The kind of a file system type as the mount table names it ("ext4", "proc", "fuse.sshfs").
MountKind mountKind(std::string_view fsType);

struct Mount {
    std::string point; // absolute, without a "/" at the end except for the root
    std::string type;
};

class MountTable {
  public:
    MountTable() = default;
    explicit MountTable(std::vector<Mount> mounts);

    // Reads the text of /proc/PID/mountinfo. Lines it cannot make out are left out.
    static MountTable fromMountInfo(std::string_view text);
    // This process's mounts; an empty table when they cannot be read.
    static MountTable current();

    // The file system mounted at exactly `point` (the last one mounted there, which is the
    // one seen); null when none is.
    const Mount* at(std::string_view point) const;
    const std::vector<Mount>& mounts() const { return mounts_; }

  private:
    std::vector<Mount> mounts_;
    std::map<std::string, size_t, std::less<>> byPoint_;
};

} // namespace platform
