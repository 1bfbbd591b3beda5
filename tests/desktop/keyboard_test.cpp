// The shortcuts through real key events: each does its work wherever the focus is in the
// window, but a text box keeps its own editing keys, plain keys go to what has the focus,
// and the menu captions stay as they are with the keys shown beside them.
#include "desktop_fixtures.h"

#include "app/main/form1_playback.h"
#include "app/playback/flash_player.h"
#include "app/playback/full_screen.h"
#include "app/playback/form2.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

namespace {

class Keys : public desktoptest::DesktopWindow {
  protected:
    void SetUp() override {
        desktoptest::DesktopWindow::SetUp();
        // Five rows of movies: the grid can move.
        movies.addMovies(17);
        startWith(movies.path(), desktop::classifyPath(movies.file("m01.swf"), "/"));
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        player = form->miniPlayer();
        ASSERT_TRUE(player->isLoaded());
    }
    void TearDown() override {
        form->playback().fullScreen().unloadForm3();
        form->playback().fullScreen().unloadForm2();
        desktoptest::DesktopWindow::TearDown();
    }
    // The player's own frame on focus: a key goes where the focus is.
    void focusPlayer() {
        player->setFocus();
        QApplication::processEvents();
    }
    FlashPlayer* player = nullptr;
};

TEST_F(Keys, MenuCaptionsStayAndShowTheirKeys) {
    const std::pair<const char*, std::pair<const char*, const char*>> items[] = {
        {"fileOpen", {"&Open", "Ctrl+O"}},       {"fullScreen", {"F&ull Screen", "F11"}},
        {"myLastFrame", {"Last Frame", "Ctrl+Left"}}, {"myNextFrame", {"Next Frame", "Ctrl+Right"}},
        {"mPlay", {"&Play", "Ctrl+P"}},           {"mPause", {"P&ause", "Ctrl+P"}},
        {"HelpContents", {"&Contents....", "F1"}},
    };
    for (const auto& [name, expected] : items) {
        SCOPED_TRACE(name);
        auto* action = form->findChild<QAction*>(name);
        ASSERT_TRUE(action);
        EXPECT_EQ(action->text(), expected.first);
        EXPECT_EQ(action->shortcut(), QKeySequence(expected.second));
    }
}

TEST_F(Keys, CtrlPTogglesPlayAndPause) {
    focusPlayer();
    ASSERT_TRUE(player->IsPlaying());
    QTest::keyClick(player, Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(player->IsPlaying());
    QTest::keyClick(player, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(player->IsPlaying());
    // A plain P is the movie's.
    QTest::keyClick(player, Qt::Key_P);
    EXPECT_TRUE(player->IsPlaying());
}

TEST_F(Keys, FrameSteppingAndEnds) {
    focusPlayer();
    QTest::keyClick(player, Qt::Key_P, Qt::ControlModifier); // pause
    QTest::keyClick(player, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(player->FrameNum(), player->TotalFrames());
    QTest::keyClick(player, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(player->FrameNum(), player->TotalFrames() - 1);
    QTest::keyClick(player, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(player->FrameNum(), 1);
    QTest::keyClick(player, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(player->FrameNum(), 2);
    // Plain arrows are the movie's.
    QTest::keyClick(player, Qt::Key_Right);
    EXPECT_EQ(player->FrameNum(), 2);
}

TEST_F(Keys, ATextBoxKeepsItsEditingKeys) {
    auto* texta = form->findChild<QLineEdit*>("Texta");
    ASSERT_TRUE(texta);
    texta->setFocus();
    QApplication::processEvents();
    QTest::keyClick(texta, Qt::Key_P, Qt::ControlModifier); // no use in a box: pauses
    ASSERT_FALSE(player->IsPlaying());
    const int frame = player->FrameNum();
    // A word back and forward: the box's, no frame step.
    texta->setCursorPosition(texta->text().size());
    QTest::keyClick(texta, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_LT(texta->cursorPosition(), texta->text().size());
    QTest::keyClick(texta, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(texta->cursorPosition(), texta->text().size());
    EXPECT_EQ(player->FrameNum(), frame);
    // Plain keys are the box's: Home moves its cursor, Page Down leaves the grid alone.
    const QString before = texta->text();
    QTest::keyClick(texta, Qt::Key_Home);
    EXPECT_EQ(texta->cursorPosition(), 0);
    QTest::keyClick(texta, Qt::Key_PageDown);
    EXPECT_EQ(form->firstRow(), 0);
    EXPECT_EQ(texta->text(), before);
    EXPECT_EQ(player->FrameNum(), frame);
}

TEST_F(Keys, CtrlOOpens) {
    dialog.answers.push_back(std::nullopt);
    focusPlayer();
    QTest::keyClick(player, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].title, "Open the *.swf file");
}

TEST_F(Keys, PageKeysMoveTheGridARowWhileACellHasTheFocus) {
    ASSERT_EQ(form->fileCount(), 20);
    form->Text(2)->setFocus();
    QApplication::processEvents();
    QTest::keyClick(form->Text(2), Qt::Key_PageDown);
    EXPECT_EQ(form->firstRow(), 1);
    EXPECT_EQ(form->pvLabel(1)->text(), "m04.swf");
    form->pvFlash(1)->setFocus();
    QTest::keyClick(form->pvFlash(1), Qt::Key_PageDown);
    EXPECT_EQ(form->firstRow(), 2);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(form->pvFlash(1), Qt::Key_PageUp);
    EXPECT_EQ(form->firstRow(), 0); // and no further
    EXPECT_EQ(form->pvLabel(1)->text(), "m00.swf");
    // With a modifier the key is not the grid's.
    QTest::keyClick(form->pvFlash(1), Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(form->firstRow(), 0);
}

TEST_F(Keys, F11GoesFullScreenAndEscapeComesBack) {
    playback::FullScreen& full = form->playback().fullScreen();
    focusPlayer();
    QTest::keyClick(player, Qt::Key_F11);
    ASSERT_TRUE(full.form2());
    full.form2()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(full.form2()));
    EXPECT_FALSE(form->isVisible());
    // Plain keys other than Escape are the movie's; the player's shortcuts drive the
    // full-screen player.
    FlashPlayer& big = full.form2()->playing();
    ASSERT_TRUE(big.isLoaded());
    QTest::keyClick(full.form2(), Qt::Key_Space);
    EXPECT_TRUE(full.form2());
    QTest::keyClick(full.form2(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(big.IsPlaying());
    QTest::keyClick(full.form2(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(big.FrameNum(), big.TotalFrames());
    QTest::keyClick(full.form2(), Qt::Key_Right, Qt::ControlModifier); // no further
    EXPECT_EQ(big.FrameNum(), big.TotalFrames());
    QTest::keyClick(full.form2(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(full.form2(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(big.FrameNum(), 2);
    QTest::keyClick(full.form2(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(big.IsPlaying());
    QTest::keyClick(full.form2(), Qt::Key_Escape);
    EXPECT_FALSE(full.isOpen());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isEnabled());
}

} // namespace
