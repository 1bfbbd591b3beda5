// The command-line renderer: sizes, frames, and a one-line error for a bad file.
#include "fixture.h"
#include "support/test_paths.h"

#include <QProcess>
#include <QTemporaryDir>

using namespace fixture;

namespace {

struct ToolRun {
    int status;
    QString err;
};

ToolRun render(const QStringList& args) {
    QProcess p;
    p.start(QString::fromStdString((testpaths::programDir() / "reelvista-render").string()), args);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(RenderTool, WritesTheChosenFrameAtTheChosenSize) {
    if (!std::filesystem::exists(testpaths::programDir() / "reelvista-render")) GTEST_SKIP() << "tool not built";
    QTemporaryDir dir;
    auto m = movie();
    m.add(rectShape(1, 0, 0, 100, 100, kRed)).add(rectShape(2, 0, 0, 100, 100, kBlue));
    m.place(1, 1).showFrame().remove(1).place(2, 2).showFrame();
    QString in = dir.filePath("two.swf"), out = dir.filePath("out.png");
    ASSERT_TRUE(std::holds_alternative<size_t>(m.writeFile(in.toStdString())));

    ASSERT_EQ(render({in, out}).status, 0);
    QImage first(out);
    EXPECT_EQ(first.size(), QSize(100, 100));
    EXPECT_TRUE(near(first.pixel(50, 50), kRed));

    ASSERT_EQ(render({in, out, "--frame", "2", "--size", "40x30"}).status, 0);
    QImage second(out);
    EXPECT_EQ(second.size(), QSize(40, 30));
    EXPECT_TRUE(near(second.pixel(20, 15), kBlue));

    ASSERT_EQ(render({in, out, "--fit", "64"}).status, 0);
    EXPECT_EQ(QImage(out).size(), QSize(64, 64));
}

TEST(RenderTool, ABadFileGivesOneLineAndAFailureStatus) {
    if (!std::filesystem::exists(testpaths::programDir() / "reelvista-render")) GTEST_SKIP() << "tool not built";
    QTemporaryDir dir;
    QString bad = dir.filePath("bad.swf");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("This is not a movie");
    f.close();
    ToolRun r = render({bad, dir.filePath("out.png")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.png")));
    EXPECT_NE(render({bad}).status, 0);
}

TEST(RenderTool, SkipFlatTakesTheFirstFrameThatIsNotOneColour) {
    if (!std::filesystem::exists(testpaths::programDir() / "reelvista-render")) GTEST_SKIP() << "tool not built";
    QTemporaryDir dir;
    const QString out = dir.filePath("out.png");
    // Twelve frames a second: the square comes in at frame 30 (2.4 s); a faint one at 20.
    auto late = movie();
    late.add(rectShape(1, 0, 0, 100, 100, swf::Rgba{250, 250, 250, 255}));
    late.add(rectShape(2, 20, 20, 60, 60, kBlue));
    late.showFrame(19).place(1, 1).showFrame(10).place(2, 2).showFrame(5);
    const QString in = dir.filePath("late.swf");
    ASSERT_TRUE(std::holds_alternative<size_t>(late.writeFile(in.toStdString())));

    ASSERT_EQ(render({in, out, "--fit", "50"}).status, 0);
    EXPECT_TRUE(near(QImage(out).pixel(25, 25), kWhite)); // frame 1: the background alone
    ASSERT_EQ(render({in, out, "--fit", "50", "--skip-flat", "5"}).status, 0);
    QImage lively(out);
    EXPECT_EQ(lively.size(), QSize(50, 50));
    EXPECT_TRUE(near(lively.pixel(25, 25), kBlue));
    // Too short a look finds only flat frames: the last one looked at stands.
    ASSERT_EQ(render({in, out, "--skip-flat", "1"}).status, 0);
    EXPECT_TRUE(near(QImage(out).pixel(50, 50), kWhite));

    // Bad numbers are refused; a failed render leaves the picture already there alone.
    EXPECT_EQ(render({in, out, "--skip-flat", "soon"}).status, 2);
    EXPECT_EQ(render({in, out, "--skip-flat", "-1"}).status, 2);
    const QByteArray before = [&] { QFile f(out); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    EXPECT_EQ(render({dir.filePath("none.swf"), out, "--skip-flat", "5"}).status, 1);
    QFile after(out);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

} // namespace
