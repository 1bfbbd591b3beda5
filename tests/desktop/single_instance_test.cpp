// One program at a time: a second start hands its path over through the socket in the
// runtime folder, a socket left by a program that has gone is taken over, and hostile
// clients change nothing.
#include "app/main/single_instance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using desktop::SingleInstance;

namespace {

// Runs a second start in a thread of its own while the running program's event loop turns.
SingleInstance::Start secondStart(const QString& socket, const QString& request) {
    std::atomic<bool> done = false;
    SingleInstance::Start result = SingleInstance::Start::Alone;
    std::thread second([&] {
        SingleInstance other(socket);
        result = other.start(request, 3000);
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    second.join();
    return result;
}

TEST(SingleInstance, TheSecondStartHandsItsPathToTheFirst) {
    QTemporaryDir runtime;
    const QString socket = runtime.filePath("reelvista.socket");
    SingleInstance first(socket);
    QStringList received;
    bool taking = true;
    first.setReceiver([&](const QString& path) {
        received << path;
        return taking;
    });
    ASSERT_EQ(first.start("/movies/a.swf"), SingleInstance::Start::Primary);
    EXPECT_TRUE(received.isEmpty());

    EXPECT_EQ(secondStart(socket, "/movies/ünïcode\nname.swf"), SingleInstance::Start::Handed);
    EXPECT_EQ(secondStart(socket, ""), SingleInstance::Start::Handed);
    taking = false;
    EXPECT_EQ(secondStart(socket, "/movies/b.swf"), SingleInstance::Start::Busy);
    EXPECT_EQ(received, QStringList({"/movies/ünïcode\nname.swf", "", "/movies/b.swf"}));
}

TEST(SingleInstance, ASocketLeftBehindIsTakenOverAndRemovedAtTheEnd) {
    QTemporaryDir runtime;
    const QString socket = runtime.filePath("reelvista.socket");
    {
        QFile stale(socket); // a plain file where the socket was: nobody answers there
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    {
        SingleInstance first(socket);
        first.setReceiver([](const QString&) { return true; });
        EXPECT_EQ(first.start("x"), SingleInstance::Start::Primary);
        EXPECT_EQ(secondStart(socket, "y"), SingleInstance::Start::Handed);
    }
    EXPECT_FALSE(QFile::exists(socket));
    SingleInstance again(socket);
    EXPECT_EQ(again.start("z"), SingleInstance::Start::Primary);
}

TEST(SingleInstance, AFolderThatCannotHoldTheSocketLeavesTheProgramAlone) {
    SingleInstance nowhere("/nonexistent-folder/reelvista.socket");
    EXPECT_EQ(nowhere.start("x"), SingleInstance::Start::Alone);
}

TEST(SingleInstance, HostileClientsAreDroppedAndTheNextOneIsServed) {
    QTemporaryDir runtime;
    const QString socket = runtime.filePath("reelvista.socket");
    SingleInstance first(socket);
    int requests = 0;
    first.setReceiver([&](const QString&) { return ++requests, true; });
    ASSERT_EQ(first.start({}), SingleInstance::Start::Primary);

    QLocalSocket huge;
    huge.connectToServer(socket);
    ASSERT_TRUE(huge.waitForConnected(1000));
    huge.write("\xff\xff\xff\xff", 4); // a length far beyond any path
    huge.write(QByteArray(1000, 'a'));
    huge.flush();
    QLocalSocket cut;
    cut.connectToServer(socket);
    ASSERT_TRUE(cut.waitForConnected(1000));
    cut.write("\0\0\0\x10short", 9); // promises more than it sends
    cut.flush();
    // The one asking too much is dropped at once; the one that stops short waits its turn.
    QElapsedTimer clock;
    clock.start();
    while (huge.state() != QLocalSocket::UnconnectedState && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(huge.state(), QLocalSocket::UnconnectedState);
    EXPECT_EQ(requests, 0);

    EXPECT_EQ(secondStart(socket, "/after.swf"), SingleInstance::Start::Handed);
    EXPECT_EQ(requests, 1);
}

} // namespace
