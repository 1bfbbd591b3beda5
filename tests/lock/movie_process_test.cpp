// The movie's way to the locker: frames through shared memory, and the movie process (the
// screen saver program in its movie role) started again when it dies, within its budget.
#include "lock_fixtures.h"
#include "screensaver/frame_channel.h"
#include "screensaver/movie_process.h"
#include "support/test_paths.h"

#include <QCoreApplication>
#include <QPainter>

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using locker::FrameChannel;
using locker::MovieProcess;
using locktest::waitFor;


QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

TEST(FrameChannel, FramesPassWholeAndOnlyNewOnes) {
    auto made = FrameChannel::create({64, 48});
    ASSERT_TRUE(swf::ok(made));
    FrameChannel& owner = std::get<FrameChannel>(made);
    auto attached = FrameChannel::attach(::dup(owner.fd()), {64, 48});
    ASSERT_TRUE(swf::ok(attached));
    FrameChannel& writer = std::get<FrameChannel>(attached);

    QImage seen;
    std::uint32_t count = 0;
    EXPECT_FALSE(owner.takeLatest(seen, count));
    writer.publish(filled({64, 48}, Qt::red));
    ASSERT_TRUE(owner.takeLatest(seen, count));
    EXPECT_EQ(seen.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_FALSE(owner.takeLatest(seen, count)); // nothing newer
    writer.publish(filled({100, 20}, Qt::blue)); // another size: drawn in, rest black
    ASSERT_TRUE(owner.takeLatest(seen, count));
    EXPECT_EQ(seen.size(), QSize(64, 48));
    EXPECT_EQ(seen.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(seen.pixelColor(5, 40), QColor(Qt::black));

    writer.beat();
    owner.requestPlay();
    EXPECT_EQ(owner.heartbeat(), 1u);
    EXPECT_EQ(writer.playRequests(), 1u);
}

TEST(FrameChannel, TheMovieSideCanNeitherResizeTheMemoryNorAttachAtAnotherSize) {
    auto made = FrameChannel::create({32, 32});
    ASSERT_TRUE(swf::ok(made));
    FrameChannel& owner = std::get<FrameChannel>(made);
    EXPECT_NE(::ftruncate(owner.fd(), 16), 0);
    EXPECT_NE(::ftruncate(owner.fd(), off_t(owner.bytes() * 2)), 0);
    EXPECT_FALSE(swf::ok(FrameChannel::attach(::dup(owner.fd()), {33, 32})));
    EXPECT_FALSE(swf::ok(FrameChannel::create({0, 10})));
    EXPECT_FALSE(swf::ok(FrameChannel::create({FrameChannel::kMaxSide + 1, 10})));
}

TEST(FrameChannel, BufferNumbersFromTheMovieSideAreNotTrusted) {
    auto made = FrameChannel::create({8, 8});
    ASSERT_TRUE(swf::ok(made));
    FrameChannel& owner = std::get<FrameChannel>(made);
    auto* words = static_cast<std::uint32_t*>(
        ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, owner.fd(), 0));
    ASSERT_NE(words, MAP_FAILED);
    words[3] = 7; // latest: no such buffer
    words[4] = 5; // published
    QImage seen;
    std::uint32_t count = 0;
    EXPECT_FALSE(owner.takeLatest(seen, count));
    words[3] = 0;
    words[7] = 3; // buffer 0 being written
    EXPECT_FALSE(owner.takeLatest(seen, count));
    ::munmap(words, 4096);
}

class MovieProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program = QString::fromStdString((testpaths::programDir() / "OrbisaneSCR.scr").string());
        if (!QFile::exists(program)) GTEST_SKIP() << "no screen saver program";
        movie.onFrame = [this](const QImage& f) {
            ++frames;
            last = f;
        };
    }
    QString program;
    MovieProcess movie{QString::fromStdString(
        (testpaths::programDir() / "OrbisaneSCR.scr").string())};
    int frames = 0;
    QImage last;
};

TEST_F(MovieProcessTest, PlaysTheMovieInAProcessOfItsOwnAndOutlivesItsDeaths) {
    const QString sample = QString::fromStdString((testpaths::programDir() / "default.swf").string());
    movie.start(sample, {160, 120});
    ASSERT_TRUE(waitFor([&] { return frames > 0; }, 10000)) << "no frame from the movie process";
    EXPECT_EQ(last.size(), QSize(160, 120));
    const qint64 first = movie.processId();
    ASSERT_GT(first, 0);
    EXPECT_NE(first, QCoreApplication::applicationPid());

    // Killed three times within the minute: started again each time.
    for (int i = 0; i < 3; ++i) {
        const qint64 pid = movie.processId();
        ::kill(pid_t(pid), SIGKILL);
        ASSERT_TRUE(waitFor([&] { return movie.processId() > 0 && movie.processId() != pid; }, 5000))
            << i;
        frames = 0;
        ASSERT_TRUE(waitFor([&] { return frames > 0; }, 10000)) << i;
    }
    EXPECT_EQ(movie.starts(), 4);
    // The fourth death in a minute: the picture goes black and stays so.
    ::kill(pid_t(movie.processId()), SIGKILL);
    ASSERT_TRUE(waitFor([&] { return movie.gaveUp(); }, 5000));
    EXPECT_TRUE(last.isNull());
    EXPECT_EQ(movie.processId(), 0);
    EXPECT_EQ(movie.starts(), 4);
}

TEST_F(MovieProcessTest, AStalledMovieProcessIsEndedAndStartedAgain) {
    const QString sample = QString::fromStdString((testpaths::programDir() / "default.swf").string());
    movie.start(sample, {64, 64});
    ASSERT_TRUE(waitFor([&] { return frames > 0; }, 10000));
    const qint64 pid = movie.processId();
    ::kill(pid_t(pid), SIGSTOP); // its heartbeat stops
    for (int i = 0; i < 4; ++i)
        movie.keepPlaying();
    ASSERT_TRUE(waitFor([&] { return movie.processId() > 0 && movie.processId() != pid; }, 5000));
    EXPECT_EQ(movie.starts(), 2);
}

} // namespace
