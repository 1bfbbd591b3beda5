#include "form1_capture.h"

#include "form1.h"
#include "form1_playback.h"
#include "path_rules.h"

#include "app/playback/form3.h"
#include "app/playback/playback_rules.h"
#include "app/playback/wallpaper_file.h"
#include "platform/display_caps.h"
#include "platform/wallpaper.h"

Form1Capture::Form1Capture(Form1& form, platform::FileDialog& fileDialog)
    : form_(form), fileDialog_(fileDialog), display_(platform::makeDisplayCaps()),
      wallpaper_(platform::makeDesktopWallpaper()) {
    setServices({});
    form.setHandler(QStringLiteral("Command20"), [this] { Command20_Click(); });
    form.setHandler(QStringLiteral("myWallpaper"), [this] { myWallpaper_Click(); });
}

Form1Capture::~Form1Capture() {
    form_.playback().fullScreen().setCaptureCommands(nullptr);
}

void Form1Capture::setServices(playback::CaptureServices services) {
    if (!services.fileDialog) services.fileDialog = &fileDialog_;
    if (!services.display) services.display = display_.get();
    if (!services.wallpaper) services.wallpaper = wallpaper_.get();
    if (!services.cursor) services.cursor = &cursor_;
    if (services.wallpaperFile.isEmpty())
        services.wallpaperFile = playback::wallpaperFilePath(form_.programDir());
    playback::FullScreen& session = form_.playback().fullScreen();
    commands_ = std::make_unique<playback::CaptureCommands>(session, std::move(services));
    session.setCaptureCommands(commands_.get());
}

void Form1Capture::Command20_Click() {
    if (!playback::endsWithSwfLetters(form_.currentFile())) return;
    roundTrip([](Form1& f) { f.playback().controls().toolbt7(); },
              [](playback::Form3& bar) { bar.Command6_Click(); });
}

void Form1Capture::myWallpaper_Click() {
    if (!browse::endsWithSwf(form_.currentFile())) return;
    roundTrip([](Form1& f) { f.playback().controls().playthis(); },
              [](playback::Form3& bar) { bar.FlatBttn7_Click(); });
}

void Form1Capture::roundTrip(void (*enter)(Form1&), void (*command)(playback::Form3&)) {
    if (commands_->running()) return;
    playback::FullScreen& session = form_.playback().fullScreen();
    enter(form_);
    if (playback::Form3* bar = session.form3()) command(*bar);
    // The user may have left full screen during the command's waits.
    if (playback::Form3* bar = session.form3()) bar->Command3_Click();
}
