// The search walk over real folders in a temporary folder, with mount tables made up for
// the test (and, where the system allows, real bind mounts in a mount namespace of its own).
#include "platform/dir_walk.h"
#include "platform/name_order.h"
#include "support/file_tree.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>

using platform::DirWalk;
using platform::Mount;
using platform::MountKind;
using platform::MountTable;
using platform::WildcardPattern;
using testsupport::FileTree;

namespace {

// Notes the walk as "F <folder>" and "H <folder><name>" lines, the tree's own folder
// written as "~/".
class Recorder : public platform::WalkSink {
  public:
    explicit Recorder(std::string root) : root_(std::move(root) + '/') {}
    std::vector<std::string> log;
    std::function<void(std::string_view)> onFolder;
    int stopAfterHits = -1;
    bool stopWhileReading = false;
    int stopQuestions = 0;

    bool folder(std::string_view path) override {
        log.push_back("F " + shorten(path));
        if (onFolder) onFolder(path);
        return true;
    }
    bool hit(std::string_view folder, std::string_view name) override {
        if (stopAfterHits >= 0 && hits() >= stopAfterHits) return false;
        log.push_back("H " + shorten(folder) + std::string(name));
        return true;
    }
    bool stopRequested() override {
        ++stopQuestions;
        return stopWhileReading;
    }
    int hits() const {
        return int(std::count_if(log.begin(), log.end(), [](auto& l) { return l[0] == 'H'; }));
    }
    std::vector<std::string> hitLines() const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l[0] == 'H') out.push_back(l.substr(2));
        return out;
    }

  private:
    std::string shorten(std::string_view p) const {
        std::string s(p);
        return s.starts_with(root_) ? "~/" + s.substr(root_.size()) : s;
    }
    std::string root_;
};

std::vector<std::string> walkLog(const FileTree& tree, const MountTable& mounts = {},
                                 std::vector<std::string> drives = {}) {
    if (drives.empty()) drives = {tree.root()};
    DirWalk walk(mounts, drives, WildcardPattern("*.swf"));
    Recorder rec(tree.root());
    for (const auto& d : drives)
        walk.walk(d, rec);
    return rec.log;
}

} // namespace

TEST(Wildcard, StarSuffixIgnoresCaseAndQuestionMarkTakesOneCharacter) {
    const WildcardPattern swf("*.swf");
    for (const char* hit : {"a.swf", "MOVIE.SWF", "x.Swf", ".swf", "a.b.swf", "swf.swf"})
        EXPECT_TRUE(swf.matches(hit)) << hit;
    for (const char* miss : {"a.swf.bak", "aswf", "a.sw", "swf", "a.swfx", ""})
        EXPECT_FALSE(swf.matches(miss)) << miss;
    EXPECT_TRUE(WildcardPattern("?.swf").matches("a.SWF"));
    EXPECT_FALSE(WildcardPattern("?.swf").matches("ab.swf"));
    EXPECT_TRUE(WildcardPattern("*a*b*").matches("xxaxxbxx"));
    EXPECT_FALSE(WildcardPattern("*a*b*").matches("xxbxxaxx"));
    EXPECT_TRUE(WildcardPattern("*").matches(""));
    // A long name against a many-starred pattern ends (no exponential back-tracking).
    EXPECT_FALSE(WildcardPattern("*a*a*a*a*a*a*a*b").matches(std::string(5000, 'a')));
}

TEST(Utf8, WellFormedOnly) {
    for (const char* good : {"plain", "caf\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x8e\xac", ""})
        EXPECT_TRUE(platform::isValidUtf8(good)) << good;
    for (const char* bad : {"\xff", "caf\xc3", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80",
                            "\xf4\x90\x80\x80", "\x80", "a\xe2\x82"})
        EXPECT_FALSE(platform::isValidUtf8(bad)) << bad;
}

TEST(NameOrder, Utf8NamesSortAsTheirQStringsDo) {
    const std::vector<std::string> names{
        "b.swf", "B.swf", "a.swf", "A.SWF",       "_x",          "[y",   "ab",
        "aB",    "Ab",    "a",     "caf\xc3\xa9", "Caf\xc3\xa9", "cafe", "\xc3\x89t\xc3\xa9",
        "z",     "10",    "9",     "a b"};
    for (const auto& a : names)
        for (const auto& b : names)
            EXPECT_EQ(platform::fileListOrderUtf8(a, b),
                      platform::fileListOrder(QString::fromStdString(a), QString::fromStdString(b)))
                << a << " / " << b;
}

TEST(MountInfo, PointsAndTypesWithEscapesAndMountsOnTop) {
    const MountTable t = MountTable::fromMountInfo(
        "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
        "25 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "30 25 0:40 / /media/u/MY\\040STICK rw master:2 - vfat /dev/sdb1 rw\n"
        "31 25 0:41 / /srv rw - ext4 /dev/sdc1 rw\n"
        "32 31 0:42 / /srv rw - nfs4 host:/srv rw\n"
        "garbage line\n"
        "40 25 0:50 / relative rw - ext4 x rw\n"
        "41 25 0:51 / /broken rw shared:3\n"
        "42 25 0:52 / /back\\134slash rw - fuse.sshfs u@h: rw");
    ASSERT_NE(t.at("/proc"), nullptr);
    EXPECT_EQ(t.at("/proc")->type, "proc");
    ASSERT_NE(t.at("/media/u/MY STICK"), nullptr);
    EXPECT_EQ(t.at("/media/u/MY STICK")->type, "vfat");
    EXPECT_EQ(t.at("/srv")->type, "nfs4"); // mounted last, the one seen
    EXPECT_EQ(t.at("/back\\slash")->type, "fuse.sshfs");
    EXPECT_EQ(t.at("/broken"), nullptr);
    EXPECT_EQ(t.at("relative"), nullptr);
    EXPECT_EQ(t.at("/media"), nullptr);
    EXPECT_EQ(t.mounts().size(), 6u);

    EXPECT_EQ(platform::mountKind("sysfs"), MountKind::Pseudo);
    EXPECT_EQ(platform::mountKind("cgroup2"), MountKind::Pseudo);
    EXPECT_EQ(platform::mountKind("nfs"), MountKind::Remote);
    EXPECT_EQ(platform::mountKind("fuse.sshfs"), MountKind::Remote);
    EXPECT_EQ(platform::mountKind("fuseblk"), MountKind::Remote);
    EXPECT_EQ(platform::mountKind("tmpfs"), MountKind::Local);
    EXPECT_EQ(platform::mountKind("overlay"), MountKind::Local);
    // The process's own table has its root.
    EXPECT_NE(MountTable::current().at("/"), nullptr);
}

TEST(Walk, DepthFirstInNameOrderWithEachFoldersHitsFirst) {
    FileTree t;
    t.file("b.swf");
    t.file("A.SWF");
    t.file("notes.txt");
    t.file("sub/z.swf");
    t.file("sub/deeper/m.swf");
    t.file("Sub2/k.swf");
    t.file("a-first/x.swf");
    t.folder("empty");
    const std::vector<std::string> expected{
        "F ~/",       "H ~/A.SWF",     "H ~/b.swf",     "F ~/a-first/",    "H ~/a-first/x.swf",
        "F ~/empty/", "F ~/sub/",      "H ~/sub/z.swf", "F ~/sub/deeper/", "H ~/sub/deeper/m.swf",
        "F ~/Sub2/",  "H ~/Sub2/k.swf"};
    EXPECT_EQ(walkLog(t), expected);
    EXPECT_EQ(walkLog(t), expected) << "the same on a second run";
}

TEST(Walk, DotFoldersStayShutSwfFoldersAreHitsLinksAreNeverFollowed) {
    FileTree t;
    t.file(".hidden/inside.swf");
    t.file(".dot.swf");           // a matching name with a dot is still listed
    t.file("clip.swf/inner.swf"); // a folder of a matching name: listed and entered
    t.link("loop.swf", ".");      // a link back up: listed by name, never entered
    t.link("up", "..");
    t.link("dangling.swf", "nowhere");
    t.file("real/a.swf");
    t.link("real-again", "real");
    const std::vector<std::string> expected{
        "F ~/",          "H ~/.dot.swf",  "H ~/clip.swf",           "H ~/dangling.swf",
        "H ~/loop.swf",  "F ~/clip.swf/", "H ~/clip.swf/inner.swf", "F ~/real/",
        "H ~/real/a.swf"};
    EXPECT_EQ(walkLog(t), expected);
}

TEST(Walk, NamesThatAreNotUtf8AreLeftOutWithEverythingBelowThem) {
    FileTree t;
    t.file("good.swf");
    t.file("bad\xff.swf");
    t.file("bad\xfe"
           "dir/under.swf");
    t.file("new\nline.swf");
    t.file("caf\xc3\xa9/\xc3\xa9t\xc3\xa9.swf");
    const std::vector<std::string> expected{"F ~/", "H ~/good.swf", "H ~/new\nline.swf",
                                            "F ~/caf\xc3\xa9/",
                                            "H ~/caf\xc3\xa9/\xc3\xa9t\xc3\xa9.swf"};
    EXPECT_EQ(walkLog(t), expected);
}

TEST(Walk, MountRulesPseudoRemoteOtherDrivesAndLocalMounts) {
    FileTree t;
    for (const char* f : {"proc/p.swf", "sys/s.swf", "net/n.swf", "ssh/h.swf", "stick/k.swf",
                          "usb/u.swf", "disk/d.swf", "tmp/t.swf"})
        t.file(f);
    const MountTable mounts({{t.path("proc"), "proc"},
                             {t.path("sys"), "sysfs"},
                             {t.path("net"), "nfs4"},
                             {t.path("ssh"), "fuse.sshfs"},
                             {t.path("stick"), "vfat"},
                             {t.path("usb"), "vfat"},
                             {t.path("disk"), "ext4"},
                             {t.path("tmp"), "tmpfs"}});
    // The tree, and two drives of their own: the stick, and a network drive.
    const std::vector<std::string> drives{t.root(), t.path("net"), t.path("stick")};
    const std::vector<std::string> expected{
        "F ~/",          "F ~/disk/", "H ~/disk/d.swf", "F ~/tmp/",   "H ~/tmp/t.swf",  "F ~/usb/",
        "H ~/usb/u.swf", "F ~/net/",  "H ~/net/n.swf",  "F ~/stick/", "H ~/stick/k.swf"};
    EXPECT_EQ(walkLog(t, mounts, drives), expected);
}

TEST(Walk, AnUnreadyDriveGivesNothingAndTheNextIsWalked) {
    FileTree t;
    t.file("second/s.swf");
    const std::vector<std::string> drives{t.path("not-mounted"), "relative", t.path("second")};
    DirWalk walk({}, drives, WildcardPattern("*.swf"));
    Recorder rec(t.root());
    for (const auto& d : drives)
        EXPECT_TRUE(walk.walk(d, rec));
    EXPECT_EQ(rec.log, (std::vector<std::string>{"F ~/second/", "H ~/second/s.swf"}));
}

TEST(Walk, AnUnreadableFolderIsPassedOver) {
    FileTree t;
    t.file("a/one.swf");
    t.file("locked/secret.swf");
    t.file("z/two.swf");
    std::filesystem::permissions(t.path("locked"), std::filesystem::perms::none);
    // Run as someone the permissions apply to: the superuser reads every folder.
    const int status = testsupport::inChild([&] {
        if (geteuid() == 0) {
            for (const char* f : {"", "a", "z"})
                if (chmod(t.path(f).c_str(), 0755) != 0) return 3;
            if (setgid(65534) != 0 || setuid(65534) != 0) return 2;
        }
        DirWalk walk({}, {t.root()}, WildcardPattern("*.swf"));
        Recorder rec(t.root());
        walk.walk(t.root(), rec);
        const std::vector<std::string> expected{"~/a/one.swf", "~/z/two.swf"};
        return rec.hitLines() == expected ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST(Walk, AFolderDeletedDuringTheWalkIsPassedOver) {
    FileTree t;
    t.file("a/one.swf");
    t.file("b/gone.swf");
    t.file("c/three.swf");
    DirWalk walk({}, {t.root()}, WildcardPattern("*.swf"));
    Recorder rec(t.root());
    rec.onFolder = [&](std::string_view p) {
        if (p.ends_with("/a/")) std::filesystem::remove_all(t.path("b"));
    };
    EXPECT_TRUE(walk.walk(t.root(), rec));
    EXPECT_EQ(rec.hitLines(), (std::vector<std::string>{"~/a/one.swf", "~/c/three.swf"}));
}

TEST(Walk, AStopInsideAFolderOfAHundredThousandFilesEndsAtTheNextHit) {
    FileTree t(true);
    t.manyFiles("big", 100000);
    t.file("later/after.swf");
    DirWalk walk({}, {t.root()}, WildcardPattern("*.swf"));
    Recorder rec(t.root());
    rec.stopAfterHits = 3;
    EXPECT_FALSE(walk.walk(t.root(), rec));
    EXPECT_EQ(rec.hits(), 3);
    EXPECT_EQ(rec.hitLines().back(), "~/big/f0000002.swf");

    // Asked to stop while the folder is still being read: not one of its hits.
    DirWalk again({}, {t.root()}, WildcardPattern("*.swf"));
    Recorder reading(t.root());
    reading.stopWhileReading = true;
    EXPECT_FALSE(again.walk(t.root(), reading));
    EXPECT_EQ(reading.hits(), 0);
    EXPECT_GE(reading.stopQuestions, 1);
}

TEST(Walk, HostileTreesTenThousandLevelsDeep) {
    FileTree t(true);
    // Made through descriptors: the deepest paths are far beyond what a path may be.
    int fd = open(t.root().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < 10000; ++level) {
        ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
        if (level == 10) close(openat(fd, "deep.swf", O_CREAT | O_WRONLY, 0644));
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    close(fd);
    DirWalk walk({}, {t.root()}, WildcardPattern("*.swf"));
    Recorder rec(t.root());
    EXPECT_TRUE(walk.walk(t.root(), rec));
    std::string deep = "~/";
    for (int i = 0; i < 10; ++i)
        deep += "d/";
    EXPECT_EQ(rec.hitLines(), (std::vector<std::string>{deep + "deep.swf"}));
    // Every folder a path can name was entered, each once.
    const auto folders =
        std::count_if(rec.log.begin(), rec.log.end(), [](auto& l) { return l[0] == 'F'; });
    EXPECT_GT(folders, 1000);
    EXPECT_LT(folders, 10001);

    // Taken down from the bottom through descriptors again: quicker than any tool by path.
    fd = open(t.root().c_str(), O_RDONLY | O_DIRECTORY);
    int depth = 0;
    for (int next; (next = openat(fd, "d", O_RDONLY | O_DIRECTORY)) >= 0; ++depth) {
        close(fd);
        fd = next;
    }
    for (; depth > 0; --depth) {
        unlinkat(fd, "deep.swf", 0);
        const int up = openat(fd, "..", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = up;
        ASSERT_EQ(unlinkat(fd, "d", AT_REMOVEDIR), 0);
    }
    close(fd);
}

// Real bind mounts, in a mount namespace of the test's own (skipped where none is allowed).
TEST(Walk, ABindMountTwinIsEnteredOnceAndTheRealTableIsRead) {
    FileTree t;
    t.file("a/movie.swf");
    t.folder("b");
    t.file("src/p.swf");
    const int status = testsupport::inChild([&] {
        if (unshare(CLONE_NEWNS) != 0) {
            const uid_t uid = getuid();
            const gid_t gid = getgid();
            if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return 77;
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
            std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 77;
        if (mount(t.path("a").c_str(), t.path("b").c_str(), nullptr, MS_BIND, nullptr) != 0)
            return 77;
        DirWalk walk(MountTable::current(), {t.root()}, WildcardPattern("*.swf"));
        Recorder rec(t.root());
        walk.walk(t.root(), rec);
        const std::vector<std::string> expected{"F ~/", "F ~/a/", "H ~/a/movie.swf", "F ~/src/",
                                                "H ~/src/p.swf"};
        return rec.log == expected ? 0 : 1;
    });
    if (status == 77) GTEST_SKIP() << "no mount namespace for the test";
    EXPECT_EQ(status, 0);
}
