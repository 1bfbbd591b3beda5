#include "app/playback/full_screen.h"

#include "app/playback/form2.h"
#include "app/playback/form3.h"
#include "app/playback/player_keys.h"

#include <QShortcut>

namespace playback {

namespace {

// Escape leaves full screen, and so does F11, which brought it up; the player's shortcuts
// drive the movie on show. Plain keys are the movie's.
void addKeys(QWidget& window, FullScreen& session) {
    if (Form2* movieWindow = session.form2()) addPlayerKeys(window, movieWindow->playing());
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_F11)}) {
        auto* shortcut = new QShortcut(keys, &window);
        QObject::connect(shortcut, &QShortcut::activated, &window, [&session] { session.leave(); });
    }
}

} // namespace

FullScreen::FullScreen(FullScreenHost& host, platform::DesktopBar& desktopBar,
                       platform::Cursor& cursor)
    : host_(host), desktopBar_(desktopBar), cursor_(cursor) {}

FullScreen::~FullScreen() {
    unloadForm3();
    unloadForm2();
}

void FullScreen::showForm2() {
    host_.setMainWindowEnabled(false);
    host_.setMainWindowVisible(false);
    if (!form2_) {
        form2_.reset(new Form2(*this));
        form2_->Form_Load();
        addKeys(*form2_, *this);
    }
    form2_->show();
}

void FullScreen::showForm3() {
    if (!form3_) {
        form3_.reset(new Form3(*this, desktopBar_, cursor_));
        form3_->Form_Load();
        addKeys(*form3_, *this);
    }
    form3_->show();
}

void FullScreen::leave() {
    unloadForm3();
    if (Form2* movieWindow = form2()) movieWindow->returnForm1();
    host_.setMainWindowEnabled(true);
    host_.setMainWindowVisible(true);
}

void FullScreen::unloadForm2() {
    if (!form2_) return;
    form2_->Form_Unload();
    form2_->hide();
    form2_.reset();
}

void FullScreen::unloadForm3() {
    if (!form3_) return;
    form3_->Form_Unload();
    form3_->hide();
    form3_.reset();
}

} // namespace playback
