// The command line and what a path handed from outside asks for.
#include "desktop_fixtures.h"

#include "app/main/command_line.h"
#include "app/main/open_target.h"

#include <QFile>

using desktop::CommandLine;
using desktop::OpenTarget;

namespace {

TEST(CommandLineWords, OptionsPathsAndTheirEnd) {
    EXPECT_EQ(desktop::parseCommandLine({}).action, CommandLine::Action::Run);
    EXPECT_TRUE(desktop::parseCommandLine({}).paths.isEmpty());
    EXPECT_EQ(desktop::parseCommandLine({"a.swf", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(desktop::parseCommandLine({"-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(desktop::parseCommandLine({"--version"}).action, CommandLine::Action::Version);

    const CommandLine wrong = desktop::parseCommandLine({"--fullscreen"});
    EXPECT_EQ(wrong.action, CommandLine::Action::Wrong);
    EXPECT_TRUE(wrong.error.contains("--fullscreen"));

    const CommandLine ended = desktop::parseCommandLine({"x", "--", "--help", "-"});
    EXPECT_EQ(ended.action, CommandLine::Action::Run);
    EXPECT_EQ(ended.paths, QStringList({"x", "--help", "-"}));

    // Qt's options and their values are Qt's, in either spelling.
    const CommandLine qt = desktop::parseCommandLine(
        {"-platform", "offscreen", "movie.swf", "--style=fusion", "-reverse", "-geometry", "1x1"});
    EXPECT_EQ(qt.action, CommandLine::Action::Run);
    EXPECT_EQ(qt.paths, QStringList({"movie.swf"}));

    EXPECT_TRUE(desktop::helpText().startsWith("Usage: reelvista [FILE.swf | FOLDER]"));
    EXPECT_TRUE(desktop::versionText().startsWith("reelvista "));
}

TEST(OpenTargets, MovieFolderMissingAndNoMovie) {
    apptest::MovieFolder folder(2);
    const QString base = folder.path();

    const OpenTarget movie = desktop::classifyPath("m01.swf", base);
    EXPECT_EQ(movie.kind, OpenTarget::Kind::Movie);
    EXPECT_EQ(movie.movie, folder.file("m01.swf"));
    EXPECT_EQ(movie.folder, base);

    // Capital letters are a movie too (the file list shows them), and addresses count.
    QFile::copy(folder.file("m00.swf"), folder.file("LOUD.SWF"));
    EXPECT_EQ(desktop::classifyPath(folder.file("LOUD.SWF"), "/").kind, OpenTarget::Kind::Movie);
    const OpenTarget byUrl =
        desktop::classifyPath(QUrl::fromLocalFile(folder.file("m00.swf")).toString(), "/");
    EXPECT_EQ(byUrl.movie, folder.file("m00.swf"));

    const QString sub = folder.subfolder("sub");
    const OpenTarget dir = desktop::classifyPath(sub + "/../sub/", "/");
    EXPECT_EQ(dir.kind, OpenTarget::Kind::Folder);
    EXPECT_EQ(dir.folder, sub);
    EXPECT_TRUE(dir.movie.isEmpty());

    const OpenTarget missing = desktop::classifyPath("gone.swf", base);
    EXPECT_FALSE(missing.usable());
    EXPECT_EQ(missing.problem, "Cannot open " + folder.file("gone.swf") + ": no such file or folder.");

    apptest::touch(folder.file("notes.txt"));
    const OpenTarget text = desktop::classifyPath("notes.txt", base);
    EXPECT_FALSE(text.usable());
    EXPECT_TRUE(text.problem.endsWith("not a .swf movie.")) << text.problem.toStdString();

    EXPECT_FALSE(desktop::classifyPath("", base).usable());
    EXPECT_FALSE(desktop::classifyPath("http://example.com/a.swf", base).usable());
}

TEST(OpenTargets, UnreadableFilesAndFoldersAreRefused) {
    if (desktoptest::runningAsRoot()) GTEST_SKIP() << "every file is readable to root";
    apptest::MovieFolder folder(1);
    QFile::setPermissions(folder.file("m00.swf"), QFile::WriteOwner);
    const OpenTarget file = desktop::classifyPath(folder.file("m00.swf"), "/");
    EXPECT_FALSE(file.usable());
    EXPECT_TRUE(file.problem.endsWith("the file cannot be read.")) << file.problem.toStdString();

    const QString sub = folder.subfolder("closed");
    QFile::setPermissions(sub, QFile::WriteOwner);
    const OpenTarget dir = desktop::classifyPath(sub, "/");
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(dir.usable());
    EXPECT_TRUE(dir.problem.endsWith("the folder cannot be read.")) << dir.problem.toStdString();
}

TEST(OpenTargets, OfSeveralTheFirstMovieCountsThenTheFirstFolder) {
    apptest::MovieFolder folder(2);
    const QString a = folder.subfolder("a"), b = folder.subfolder("b");
    apptest::touch(folder.file("x.txt"));
    const QString base = folder.path();

    EXPECT_EQ(desktop::pickTarget({"x.txt", "a", "m01.swf", "m00.swf"}, base).movie,
              folder.file("m01.swf"));
    EXPECT_EQ(desktop::pickTarget({"x.txt", "b", "a"}, base).folder, b);
    const OpenTarget none = desktop::pickTarget({"nothing", "x.txt"}, base);
    EXPECT_FALSE(none.usable());
    EXPECT_TRUE(none.problem.contains(folder.file("nothing")));
    EXPECT_FALSE(desktop::pickTarget({}, base).usable());
    EXPECT_TRUE(desktop::pickTarget({}, base).problem.isEmpty());
}

} // namespace
