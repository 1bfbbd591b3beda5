// The drives a user can pick: the mounted file systems worth browsing (the root, the file
// system holding the home folder, removable media under /media, /run/media and /mnt).
// Windows take the interface so tests can offer drives of their own.
#pragma once

#include <QString>

#include <vector>

namespace platform {

struct Drive {
    QString mountPoint; // "/", "/home", "/media/user/STICK"
    QString label;      // the file system's label; may be empty
    QString device;     // "/dev/sda1", "/dev/fd0"; may be empty
    bool floppy = false;

    // How a drive list shows it: the mount point, then the label in brackets.
    QString displayName() const;
};

class Drives {
  public:
    virtual ~Drives() = default;
    // The drives in mount point order; the root comes first.
    virtual std::vector<Drive> list() = 0;
    // A drive is ready while it is still mounted and its top folder can be read.
    virtual bool isReady(const Drive& drive) = 0;
};

class SystemDrives final : public Drives {
  public:
    std::vector<Drive> list() override;
    bool isReady(const Drive& drive) override;
};

// Whether a mount point is one a user browses (see above), given the home folder's mount.
bool isBrowsableMount(const QString& mountPoint, const QString& homeMount);

// The drive among `drives` that holds `path`: the one with the longest mount point that
// is `path` or a folder above it. -1 when none does.
int driveIndexFor(const std::vector<Drive>& drives, const QString& path);

} // namespace platform
