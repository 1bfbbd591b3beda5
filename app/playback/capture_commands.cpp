#include "app/playback/capture_commands.h"

#include "app/playback/capture_bitmap_file.h"
#include "app/playback/flash_player.h"
#include "app/playback/form2.h"
#include "app/playback/form3.h"
#include "app/playback/full_screen.h"

#include "platform/cursor.h"
#include "platform/file_dialog.h"
#include "platform/wallpaper.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <cstdio>
#include <optional>
#include <utility>

namespace playback {

namespace {

void printLine(const std::string& line) {
    std::fprintf(stderr, "reelvista: %s\n", line.c_str());
}

class RunningFlag {
  public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

  private:
    bool& flag_;
};

class HiddenPointer {
  public:
    explicit HiddenPointer(platform::Cursor& cursor) : cursor_(cursor) { cursor_.hide(); }
    ~HiddenPointer() { cursor_.show(); }
    HiddenPointer(const HiddenPointer&) = delete;
    HiddenPointer& operator=(const HiddenPointer&) = delete;

  private:
    platform::Cursor& cursor_;
};

// The full-screen windows a command started with. Leaving full screen during a wait
// unloads them; a command then finds them gone and leaves off.
class Windows {
  public:
    explicit Windows(FullScreen& session)
        : session_(session), movie_(session.form2()), bar_(session.form3()) {}

    Form2* movie() const { return movie_ && session_.form2() == movie_ ? movie_.data() : nullptr; }
    Form3* bar() const { return bar_ && session_.form3() == bar_ ? bar_.data() : nullptr; }

    void releaseStrip() const {
        if (Form3* b = bar()) b->releaseStrip();
    }
    void reserveStrip() const {
        if (Form3* b = bar()) b->reserveStrip();
    }
    // Halts the movie. With "Loop" checked the movie window's Timer1 would start it
    // again during the waits and a later frame be captured than the one on show: the
    // timer rests until the command is over.
    void halt() {
        if (Form2* m = movie()) {
            m->playing().StopPlay();
            timerRested_ = m->Timer1().isActive();
            m->Timer1().stop();
        }
    }
    ~Windows() {
        if (Form2* m = movie(); m && timerRested_) m->Timer1().start();
    }
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

  private:
    FullScreen& session_;
    QPointer<Form2> movie_;
    QPointer<Form3> bar_;
    bool timerRested_ = false;
};

std::string errorText(const platform::Status& status) {
    const auto* error = std::get_if<swf::Error>(&status);
    return error ? error->message : std::string();
}

} // namespace

CaptureCommands::CaptureCommands(FullScreen& session, CaptureServices services)
    : session_(session), services_(std::move(services)), routines_(*services_.display) {
    if (!services_.report) services_.report = printLine;
    if (!services_.wait) services_.wait = waitProcessingEvents;
}

void CaptureCommands::Command6_Click() {
    if (running_) return;
    const RunningFlag running(running_);
    Windows windows(session_);
    windows.releaseStrip();
    windows.halt();

    platform::FileDialogRequest request;
    request.mode = platform::FileDialogMode::Save;
    request.filter = QStringLiteral("Bitmap Image (*.bmp)|*.bmp");
    request.defaultExt = QStringLiteral(".BMP");
    request.flags = platform::kFileDialogStandardFlags;
    const std::optional<QString> chosen = services_.fileDialog->show(request);
    if (!chosen) return;
    const QString file = chosen->section(QChar(u'\0'), 0, 0);
    if (file.isEmpty()) return;

    const HiddenPointer hidden(*services_.cursor);
    services_.wait(kSettle);
    if (Form2* movie = windows.movie()) {
        const Picture Picture1 = routines_.CaptureClient(*movie);
        const platform::Status saved = saveBitmapFile(Picture1, file);
        if (std::holds_alternative<swf::Error>(saved))
            services_.report("the frame was not saved: " + errorText(saved));
    }
    windows.reserveStrip();
}

void CaptureCommands::FlatBttn7_Click() {
    if (running_) return;
    const RunningFlag running(running_);
    Windows windows(session_);
    std::optional<HiddenPointer> hidden(std::in_place, *services_.cursor);
    const QString file = services_.wallpaperFile;
    windows.releaseStrip();
    windows.halt();

    services_.wait(kSettle);
    if (Form2* movie = windows.movie()) {
        const Picture Picture1 = routines_.CaptureClient(*movie);
        QDir().mkpath(QFileInfo(file).absolutePath());
        const platform::Status saved = saveBitmapFile(Picture1, file);
        if (std::holds_alternative<swf::Error>(saved)) {
            services_.report("the wallpaper was left as it was: " + errorText(saved));
        } else {
            services_.wait(kSettle);
            const platform::WallpaperOutcome outcome = services_.wallpaper->setWallpaper(file);
            if (!outcome.set)
                services_.report(
                    "the wallpaper was not set to " + file.toStdString() + "; " +
                    (outcome.tried.isEmpty()
                         ? std::string("no wallpaper setter for this desktop")
                         : "tried " + outcome.tried.join(QStringLiteral("; ")).toStdString()));
        }
    }
    hidden.reset();
    windows.reserveStrip();
}

} // namespace playback
