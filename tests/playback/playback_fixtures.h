// Stand-ins for the main window, the desktop and the cursor, and small movies, shared by
// the tests of the mini player, the full-screen player and the preview cells.
#pragma once

#include "app/playback/flash_player.h"
#include "app/playback/full_screen_host.h"
#include "app/playback/mini_player_host.h"
#include "app/playback/preview_cell.h"
#include "platform/cursor.h"
#include "platform/desktop_bar.h"
#include "swf/writer/writer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace playtest {

// Writes movies of a given number of empty frames into a temporary folder.
class Movies {
  public:
    QString make(const QString& name, int frames, double rate = 12) {
        swf::writer::MovieWriter movie(10, {0, 2000, 0, 2000}, rate);
        movie.showFrame(frames);
        const QString path = dir_.filePath(name);
        auto written = movie.writeFile(path.toStdString());
        EXPECT_TRUE(std::holds_alternative<size_t>(written)) << path.toStdString();
        return path;
    }
    QString folder() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

// Calls in order, one line each.
class CallLog {
  public:
    std::vector<QString> lines;
    void note(const QString& line) { lines.push_back(line); }
    bool has(const QString& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

class FakeMiniHost : public playback::MiniPlayerHost {
  public:
    FlashPlayer player;
    QString current;
    int positionMax = 0;
    int positionValue = -100; // untouched
    QString frameLabel, counter;
    bool check1 = false, check2 = false, mLoop = false;
    CallLog log;

    FakeMiniHost() { player.setAutoPlay(true); }

    QString currentFile() const override { return current; }
    FlashPlayer& miniPlayer() override { return player; }
    int positionMaximum() const override { return positionMax; }
    void setPositionMaximum(int m) override { positionMax = m; }
    void setPositionValue(int v) override { positionValue = v; }
    void setFrameLabel(const QString& t) override { frameLabel = t; }
    void setCounterText(const QString& t) override { counter = t; }
    bool loopChecked() const override { return check1; }
    void setLoopChecked(bool c) override { check1 = c; }
    bool loopMenuChecked() const override { return mLoop; }
    void setLoopMenuChecked(bool c) override { mLoop = c; }
    bool fromCurrentFrameChecked() const override { return check2; }
    void setBeginat(const QString& c) override { log.note("beginat=" + c); }
    void showForm2() override { log.note("showForm2"); }
    void showForm3() override { log.note("showForm3"); }
};

class FakeFullScreenHost : public playback::FullScreenHost {
  public:
    std::array<std::unique_ptr<FlashPlayer>, 16> cells;
    std::array<QString, 16> names;
    FlashPlayer mini;
    QString folder, begin = "0";
    bool enabled = true, visible = true;
    int skinned = 0;

    FakeFullScreenHost() {
        for (auto& c : cells) {
            c = std::make_unique<FlashPlayer>();
            c->setAutoPlay(false);
        }
    }

    QString beginat() const override { return begin; }
    QString cellFolder() const override { return folder; }
    QString cellFileName(int k) const override { return names.at(k - 1); }
    FlashPlayer& cellPlayer(int k) override { return *cells.at(k - 1); }
    FlashPlayer& miniPlayer() override { return mini; }
    void setMainWindowEnabled(bool e) override { enabled = e; }
    void setMainWindowVisible(bool v) override { visible = v; }
    void applyBarSkin(QWidget&) override { ++skinned; }
};

class FakeCellHost : public playback::CellHost {
  public:
    QString folder = "/movies", current, oFileName = "earlier.swf";
    std::array<QString, 17> captions, texts; // by k, 1..16
    std::array<QCursor, 17> pointers;
    CallLog log;

    QString cellFolder() const override { return folder; }
    void setCurrentFile(const QString& p) override { log.note("current=" + (current = p)); }
    void setOFileName(const QString& n) override { log.note("oFileName=" + (oFileName = n)); }
    QString labelCaption(int k) const override { return captions.at(k); }
    QString textOf(int k) const override { return texts.at(k); }
    void focusText(int k) override { log.note("focus=" + QString::number(k)); }
    void setLabelPointer(int k, const QCursor& p) override { pointers.at(k) = p; }
    void miniPlaying() override { log.note("miniPlaying"); }
    void showForm2() override { log.note("showForm2"); }
    void showForm3() override { log.note("showForm3"); }

    // Cell k shows `name` in both its label and its name box.
    void fill(int k, const QString& name) { captions.at(k) = texts.at(k) = name; }
};

// Records what the bar asks of the desktop; grants auto-hide unless told not to.
class FakeDesktopBar : public platform::DesktopBar {
  public:
    bool grantAutoHide = true;
    int topOffset = 0; // the desktop moves a proposed bar down by this much
    Notify notify;
    std::vector<platform::BarRect> reserved;
    CallLog log;
    std::function<void()> onActivate;

    bool add(QWidget&, Notify n) override {
        notify = std::move(n);
        log.note("add");
        return true;
    }
    platform::BarRect queryPos(const platform::BarRect& p) override {
        return {p.left, p.top + topOffset, p.right, p.bottom};
    }
    void setPos(const platform::BarRect& r) override { reserved.push_back(r); }
    bool setAutoHide(bool) override { return grantAutoHide; }
    void activate() override {
        log.note("activate");
        if (onActivate) onActivate();
    }
    void windowPosChanged() override { log.note("windowPosChanged"); }
    void remove() override {
        notify = {};
        log.note("remove");
    }
};

class ScriptedCursor : public platform::Cursor {
  public:
    QPoint at;
    int pointerResets = 0;
    int hidden = 0; // hides not yet undone
    QPoint pos() const override { return at; }
    void restoreDefaultPointer() override { ++pointerResets; }
    void hide() override { ++hidden; }
    void show() override { --hidden; }
};

// Destroys windows whose deletion was deferred.
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace playtest
