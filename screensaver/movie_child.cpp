// The movie role: a player without a window, drawing each new frame into the frame memory
// the locker handed over, beating a heartbeat the locker watches, resuming the movie
// whenever the locker asks, and heard only once the locker says so.
#include "screensaver/movie_process.h"

#include "app/playback/flash_player.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace locker {

namespace {

constexpr int kHeartbeatMs = 250;

QSize sizeFromText(const char* text) {
    if (!text) return {};
    const QStringList parts = QString::fromLatin1(text).split('x');
    if (parts.size() != 2) return {};
    bool okW = false, okH = false;
    const QSize size(parts[0].toInt(&okW), parts[1].toInt(&okH));
    return okW && okH ? size : QSize();
}

} // namespace

int runMovieProcess() {
    const QSize size = sizeFromText(std::getenv(kMovieSizeVariable));
    auto attached = FrameChannel::attach(kFrameFd, size);
    if (auto* e = std::get_if<swf::Error>(&attached)) {
        std::fprintf(stderr, "OrbisaneSCR movie: %s\n", e->message.c_str());
        return 2;
    }
    FrameChannel& channel = std::get<FrameChannel>(attached);

    int argc = 1;
    char name[] = "OrbisaneSCR";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    FlashPlayer player;
    player.setAutoPlay(true);
    player.setLoop(true);
    player.setSoundEnabled(channel.soundOn());
    player.resize(size);
    const char* movie = std::getenv(kMoviePathVariable);
    player.setMovie(movie ? QString::fromLocal8Bit(movie) : QString());

    const auto publish = [&] { channel.publish(player.grabFrame()); };
    QObject::connect(&player, &FlashPlayer::frameChanged, &app, publish);
    publish();

    std::uint32_t requests = channel.playRequests();
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, &app, [&] {
        channel.beat();
        if (channel.soundOn() != player.soundEnabled()) player.setSoundEnabled(channel.soundOn());
        const std::uint32_t now = channel.playRequests();
        if (now == requests) return;
        requests = now;
        player.Play();
    });
    heartbeat.start(kHeartbeatMs);
    return QApplication::exec();
}

} // namespace locker
