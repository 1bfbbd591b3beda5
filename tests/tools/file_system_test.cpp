// The local file operations behind Save As, Move To and Delete.
#include "platform/file_system.h"
#include "tool_fakes.h"

#include <sys/stat.h>

namespace {

using namespace tooltest;
using platform::FileRef;

struct LocalFiles : ::testing::Test {
    ScratchDir dir;
    platform::LocalFileSystem fs;

    FileRef file(const std::string& name) {
        auto r = fs.GetFile(dir.qpath(name));
        EXPECT_TRUE(swf::ok(r)) << name;
        return swf::ok(r) ? std::get<FileRef>(r) : FileRef{dir.qpath(name)};
    }
};

TEST_F(LocalFiles, GetFileFindsFilesOnly) {
    writeBytes(dir.path("a.swf"), movieBytes(10));
    EXPECT_TRUE(swf::ok(fs.GetFile(dir.qpath("a.swf"))));
    EXPECT_FALSE(swf::ok(fs.GetFile(dir.qpath("b.swf"))));
    EXPECT_FALSE(swf::ok(fs.GetFile(dir.qpath())));
    EXPECT_FALSE(swf::ok(fs.GetFile(QString())));
}

TEST_F(LocalFiles, CopyReplacesWholeButNeverItselfOrAReadOnlyFile) {
    writeBytes(dir.path("a.swf"), movieBytes(10));
    writeBytes(dir.path("b.swf"), filler(1000));
    writeBytes(dir.path("ro.swf"), filler(20));
    ::chmod(dir.path("ro.swf").c_str(), 0444);
    struct stat before {
    }, after{};
    ::stat(dir.path("a.swf").c_str(), &before);

    EXPECT_FALSE(swf::ok(fs.Copy(file("a.swf"), dir.qpath("b.swf"), false)));
    EXPECT_EQ(readBytes(dir.path("b.swf")), filler(1000));
    EXPECT_TRUE(swf::ok(fs.Copy(file("a.swf"), dir.qpath("b.swf"), true)));
    EXPECT_EQ(readBytes(dir.path("b.swf")), movieBytes(10));
    for (const char* self : {"a.swf", "./a.swf", "ro.swf"})
        EXPECT_FALSE(swf::ok(fs.Copy(file("a.swf"), dir.qpath(self), true))) << self;
    ::stat(dir.path("a.swf").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(readBytes(dir.path("a.swf")), movieBytes(10));
    EXPECT_EQ(readBytes(dir.path("ro.swf")), filler(20));

    std::filesystem::create_directory(dir.path("sub"));
    EXPECT_FALSE(swf::ok(fs.Copy(file("a.swf"), dir.qpath("sub"), true)));
    EXPECT_TRUE(swf::ok(fs.Copy(file("a.swf"), dir.qpath("sub") + "/", true)));
    EXPECT_EQ(readBytes(dir.path("sub/a.swf")), movieBytes(10));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.swf", "b.swf", "ro.swf", "sub"}));
}

TEST_F(LocalFiles, MoveNeverReplacesAnExistingFile) {
    writeBytes(dir.path("a.swf"), movieBytes(10));
    writeBytes(dir.path("b.swf"), filler(30));
    for (const QString& target : {dir.qpath("b.swf"), dir.qpath("a.swf"), dir.qpath() + "/"})
        EXPECT_FALSE(swf::ok(fs.Move(file("a.swf"), target))) << target.toStdString();
    EXPECT_EQ(readBytes(dir.path("a.swf")), movieBytes(10));
    EXPECT_EQ(readBytes(dir.path("b.swf")), filler(30));

    std::filesystem::create_directory(dir.path("sub"));
    EXPECT_TRUE(swf::ok(fs.Move(file("a.swf"), dir.qpath("sub") + "/")));
    EXPECT_TRUE(swf::ok(fs.Move(file("sub/a.swf"), dir.qpath("c.swf"))));
    EXPECT_EQ(readBytes(dir.path("c.swf")), movieBytes(10));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"b.swf", "c.swf", "sub"}));
}

TEST_F(LocalFiles, MoveAcrossFileSystemsCopiesThenRemoves) {
    QTemporaryDir other(QStringLiteral("/dev/shm/reelvista-test-XXXXXX"));
    struct stat here {
    }, there{};
    if (!other.isValid() || ::stat(dir.path().c_str(), &here) != 0 ||
        ::stat(other.path().toLocal8Bit().constData(), &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at hand";
    writeBytes(dir.path("a.swf"), movieBytes(5000));
    EXPECT_TRUE(swf::ok(fs.Move(file("a.swf"), other.path() + "/")));
    EXPECT_EQ(readBytes(other.path().toStdString() + "/a.swf"), movieBytes(5000));
    writeBytes(dir.path("a.swf"), filler(40));
    EXPECT_FALSE(swf::ok(fs.Move(file("a.swf"), other.path() + "/a.swf")));
    EXPECT_EQ(readBytes(other.path().toStdString() + "/a.swf"), movieBytes(5000));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"a.swf"});
}

TEST_F(LocalFiles, DeleteRefusesReadOnlyFilesUnlessForced) {
    writeBytes(dir.path("a.swf"), movieBytes(10));
    writeBytes(dir.path("ro.swf"), movieBytes(10));
    ::chmod(dir.path("ro.swf").c_str(), 0440);
    EXPECT_FALSE(swf::ok(fs.Delete(file("ro.swf"), false)));
    EXPECT_TRUE(swf::ok(fs.Delete(file("a.swf"), false)));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"ro.swf"});
    EXPECT_TRUE(swf::ok(fs.Delete(file("ro.swf"), true)));
    EXPECT_TRUE(dir.names().empty());
}

} // namespace
