#include "platform/mount_table.h"

#include <QFile>

#include <array>

namespace platform {

namespace {

constexpr std::array<std::string_view, 18> kPseudo = {
    "proc",    "sysfs",   "devtmpfs",   "devpts",      "cgroup", "cgroup2",
    "tracefs", "debugfs", "securityfs", "pstore",      "bpf",    "configfs",
    "fusectl", "mqueue",  "hugetlbfs",  "binfmt_misc", "autofs", "efivarfs"};

constexpr std::array<std::string_view, 16> kRemote = {
    "nfs",  "nfs4",      "cifs",   "smb3",  "smbfs", "ncpfs", "afs",     "9p",
    "ceph", "glusterfs", "lustre", "davfs", "sshfs", "fuse",  "fuseblk", "coda"};

bool among(std::string_view type, auto const& list) {
    for (std::string_view t : list)
        if (t == type) return true;
    return false;
}

// Mount points are written with space, tab, newline and backslash as octal escapes.
std::string unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            int value = 0;
            bool octal = true;
            for (size_t k = 1; k <= 3; ++k) {
                const char c = field[i + k];
                if (c < '0' || c > '7') octal = false;
                value = value * 8 + (c - '0');
            }
            if (octal && value < 256) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

MountKind mountKind(std::string_view fsType) {
    if (among(fsType, kPseudo)) return MountKind::Pseudo;
    if (among(fsType, kRemote) || fsType.starts_with("fuse.") || fsType.starts_with("fuse3"))
        return MountKind::Remote;
    return MountKind::Local;
}

MountTable::MountTable(std::vector<Mount> mounts) : mounts_(std::move(mounts)) {
    for (size_t i = 0; i < mounts_.size(); ++i) {
        mounts_[i].point = withoutTrailingSlash(std::move(mounts_[i].point));
        byPoint_[mounts_[i].point] = i; // a later mount at the same point hides the earlier
    }
}

MountTable MountTable::fromMountInfo(std::string_view text) {
    // "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw,errors=continue"
    std::vector<Mount> mounts;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::vector<std::string_view> f = fields(line);
        if (f.size() < 7) continue;
        size_t dash = 6;
        while (dash < f.size() && f[dash] != "-")
            ++dash;
        if (dash + 1 >= f.size()) continue;
        std::string point = unescape(f[4]);
        if (point.empty() || point.front() != '/') continue;
        mounts.push_back(Mount{std::move(point), std::string(f[dash + 1])});
    }
    return MountTable(std::move(mounts));
}

MountTable MountTable::current() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    // A file of the proc file system reports no size: read until it ends.
    const QByteArray text = file.readAll();
    return fromMountInfo(std::string_view(text.constData(), static_cast<size_t>(text.size())));
}

const Mount* MountTable::at(std::string_view point) const {
    auto it = byPoint_.find(point);
    return it == byPoint_.end() ? nullptr : &mounts_[it->second];
}

} // namespace platform
