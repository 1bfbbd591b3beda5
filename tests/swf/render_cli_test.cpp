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

} // namespace
