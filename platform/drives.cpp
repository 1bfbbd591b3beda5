#include "platform/drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace platform {

QString Drive::displayName() const {
    return label.isEmpty() ? mountPoint : mountPoint + " [" + label + "]";
}

namespace {

bool isUnder(const QString& path, const QString& folder) {
    if (folder == "/") return path.startsWith('/');
    return path == folder || path.startsWith(folder + '/');
}

} // namespace

bool isBrowsableMount(const QString& mountPoint, const QString& homeMount) {
    if (mountPoint == "/" || mountPoint == homeMount) return true;
    for (const char* media : {"/media", "/run/media", "/mnt"})
        if (mountPoint != media && isUnder(mountPoint, media)) return true;
    return false;
}

int driveIndexFor(const std::vector<Drive>& drives, const QString& path) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(drives.size()); ++i) {
        const QString& mount = drives[i].mountPoint;
        if (isUnder(path, mount) && (best < 0 || mount.size() > drives[best].mountPoint.size()))
            best = i;
    }
    return best;
}

std::vector<Drive> SystemDrives::list() {
    const QString homeMount = QStorageInfo(QDir::homePath()).rootPath();
    std::vector<Drive> out;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString mount = volume.rootPath();
        if (!volume.isValid() || !isBrowsableMount(mount, homeMount)) continue;
        if (std::any_of(out.begin(), out.end(),
                        [&](const Drive& d) { return d.mountPoint == mount; }))
            continue; // a mount point mounted over keeps one entry
        Drive d;
        d.mountPoint = mount;
        d.label = volume.name();
        d.device = QString::fromLocal8Bit(volume.device());
        d.floppy = d.device.startsWith("/dev/fd");
        out.push_back(d);
    }
    if (std::none_of(out.begin(), out.end(), [](const Drive& d) { return d.mountPoint == "/"; }))
        out.push_back(Drive{"/", {}, {}, false});
    std::sort(out.begin(), out.end(),
              [](const Drive& a, const Drive& b) { return a.mountPoint < b.mountPoint; });
    return out;
}

bool SystemDrives::isReady(const Drive& drive) {
    QStorageInfo volume(drive.mountPoint);
    if (!volume.isValid() || !volume.isReady() || volume.rootPath() != drive.mountPoint)
        return false;
    QFileInfo top(drive.mountPoint);
    return top.isDir() && top.isReadable() && top.isExecutable();
}

} // namespace platform
