#include "platform/dir_walk.h"

#include "platform/name_order.h"

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr unsigned char foldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// How many entries are read between two questions to the sink whether to stop.
constexpr int kStopCheckEvery = 256;

std::string withoutTrailingSlash(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path);
}

// Closes a descriptor or a directory stream on every way out.
struct DirStream {
    DIR* dir = nullptr;
    int fd = -1;
    ~DirStream() {
        if (dir)
            closedir(dir);
        else if (fd >= 0)
            close(fd);
    }
};

} // namespace

// ---- pattern ----

WildcardPattern::WildcardPattern(std::string pattern) : pattern_(std::move(pattern)) {}

bool WildcardPattern::matches(std::string_view name) const {
    // Greedy matching with one step back to the last "*": linear for patterns with a
    // single star, and never more than name × pattern steps.
    const std::string_view p = pattern_;
    size_t n = 0, k = 0;
    size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (k < p.size() && p[k] == '*') {
            starAt = k++;
            resumeAt = n;
        } else if (k < p.size() &&
                   (p[k] == '?' || foldAscii(static_cast<unsigned char>(p[k])) ==
                                       foldAscii(static_cast<unsigned char>(name[n])))) {
            ++k;
            ++n;
        } else if (starAt != std::string_view::npos) {
            k = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (k < p.size() && p[k] == '*')
        ++k;
    return k == p.size();
}

bool isValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more;
        unsigned cp;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + more >= n) return false;
        for (int k = 1; k <= more; ++k) {
            const unsigned char d = static_cast<unsigned char>(bytes[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((more == 2 && cp < 0x800) || (more == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

// ---- walk ----

DirWalk::DirWalk(MountTable mounts, std::vector<std::string> drives, WildcardPattern pattern)
    : mounts_(std::move(mounts)), pattern_(std::move(pattern)) {
    for (const std::string& d : drives)
        drives_.push_back(withoutTrailingSlash(d));
}

bool DirWalk::mayEnter(std::string_view path, std::string_view root) const {
    if (path != root && std::find(drives_.begin(), drives_.end(), path) != drives_.end())
        return false; // another drive: walked when its own turn comes
    const Mount* mount = mounts_.at(path);
    if (!mount) return true;
    const MountKind kind = mountKind(mount->type);
    if (kind == MountKind::Pseudo) return false;
    return kind == MountKind::Local || path == root;
}

bool DirWalk::walk(std::string_view rootPath, WalkSink& sink) {
    if (rootPath.empty() || rootPath.front() != '/') return true;
    const std::string root = withoutTrailingSlash(rootPath);
    if (!mayEnter(root, root)) return true;
    std::vector<std::string> pending{root == "/" ? root : root + '/'};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        if (visit(folder, pending, sink) == Visit::Stopped) return false;
    }
    return true;
}

DirWalk::Visit DirWalk::visit(const std::string& folder, std::vector<std::string>& pending,
                              WalkSink& sink) {
    DirStream stream;
    stream.fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (stream.fd < 0) return Visit::Done; // gone, unreadable, or its path too long
    struct stat st {};
    if (fstat(stream.fd, &st) != 0 || !S_ISDIR(st.st_mode)) return Visit::Done;
    if (!seen_
             .insert(DirId{static_cast<unsigned long long>(st.st_dev),
                           static_cast<unsigned long long>(st.st_ino)})
             .second)
        return Visit::Done; // reached before through a bind mount
    stream.dir = fdopendir(stream.fd);
    if (!stream.dir) return Visit::Done;

    if (!sink.folder(folder)) return Visit::Stopped;

    std::vector<std::string> hits;
    std::vector<std::string> subfolders;
    int sinceCheck = 0;
    const int dirFd = stream.fd;
    while (true) {
        errno = 0;
        const dirent* entry = readdir(stream.dir);
        if (!entry) break; // the end, or a folder that went away while read
        if (++sinceCheck == kStopCheckEvery) {
            sinceCheck = 0;
            if (sink.stopRequested()) return Visit::Stopped;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        if (!isValidUtf8(name)) continue; // with everything below it
        const bool match = pattern_.matches(name);
        bool isDir = false;
        if (name.front() != '.') {
            if (entry->d_type == DT_DIR) {
                isDir = true;
            } else if (entry->d_type == DT_UNKNOWN) {
                // Without setting off an automounter: the mount rules decide first.
                struct stat es {};
                isDir = fstatat(dirFd, entry->d_name, &es, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) ==
                            0 &&
                        S_ISDIR(es.st_mode);
            }
        }
        if (match) hits.emplace_back(name);
        if (isDir) subfolders.emplace_back(name);
    }
    closedir(stream.dir);
    stream.dir = nullptr;
    stream.fd = -1;
    if (sink.stopRequested()) return Visit::Stopped;

    const auto order = [](const std::string& a, const std::string& b) {
        return fileListOrderUtf8(a, b);
    };
    std::sort(hits.begin(), hits.end(), order);
    for (const std::string& name : hits)
        if (!sink.hit(folder, name)) return Visit::Stopped;

    std::sort(subfolders.begin(), subfolders.end(), order);
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
        std::string path = folder + *it;
        if (!mayEnter(path, {})) continue; // a subfolder is never the walk's own root
        path += '/';
        pending.push_back(std::move(path));
    }
    return Visit::Done;
}

} // namespace platform
