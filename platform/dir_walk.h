// The walk of a search over the folders of one or more drives. It lists every entry whose
// name matches a wildcard pattern and goes down depth first: a folder's own matches come
// before any of its subfolders is entered. Folders and matches are taken in the file
// list's name order.
//
// What it never does: enter a folder whose name begins with a dot, follow a symbolic link,
// enter a folder (device, inode) a second time, cross into a pseudo file system, into a
// network or FUSE file system, or into the mount point of another drive. A folder that
// cannot be read or goes away, and a name that is not valid UTF-8, are passed over without
// a word. It keeps no file descriptor open between folders and needs no deep call stack.
#pragma once

#include "platform/mount_table.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace platform {

// A wildcard pattern as a file search takes it: "*" for any run of characters, "?" for one
// character, everything else itself, letters of either case alike.
class WildcardPattern {
  public:
    explicit WildcardPattern(std::string pattern = "*");
    bool matches(std::string_view name) const;
    const std::string& text() const { return pattern_; }

  private:
    std::string pattern_;
};

// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF).
bool isValidUtf8(std::string_view bytes);

class WalkSink {
  public:
    virtual ~WalkSink() = default;
    // A folder is entered; `path` ends in "/". False ends the walk.
    virtual bool folder(std::string_view path) = 0;
    // An entry of the folder last entered matches (a folder of a matching name too).
    // False ends the walk.
    virtual bool hit(std::string_view folder, std::string_view name) = 0;
    // Asked every few hundred entries while a folder is read; true ends the walk.
    virtual bool stopRequested() { return false; }
};

class DirWalk {
  public:
    // `drives`: the mount points of every drive, so that a walk leaves the others alone.
    DirWalk(MountTable mounts, std::vector<std::string> drives, WildcardPattern pattern);

    // Walks the folder `root` (a drive's mount point) and everything below it. False when
    // the sink ended the walk. Folders seen by earlier calls are not entered again.
    bool walk(std::string_view root, WalkSink& sink);

  private:
    struct DirId {
        unsigned long long dev, ino;
        bool operator==(const DirId&) const = default;
    };
    struct DirIdHash {
        size_t operator()(const DirId& id) const noexcept {
            return std::hash<unsigned long long>()(id.dev * 0x9E3779B97F4A7C15ull ^ id.ino);
        }
    };
    enum class Visit { Done, Stopped };

    // May the walk of `root` step into `path` (no "/" at the end)?
    bool mayEnter(std::string_view path, std::string_view root) const;
    Visit visit(const std::string& folder, std::vector<std::string>& pending, WalkSink& sink);

    MountTable mounts_;
    std::vector<std::string> drives_;
    WildcardPattern pattern_;
    std::unordered_set<DirId, DirIdHash> seen_;
};

} // namespace platform
