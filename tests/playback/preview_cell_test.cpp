// The preview cells' handlers against a stand-in main window.
#include "playback_fixtures.h"

#include <gtest/gtest.h>

namespace {

using playback::PreviewCell;
using Lines = std::vector<QString>;

class Cells : public ::testing::Test {
  protected:
    playtest::FakeCellHost host;
    PreviewCell cell7{host, 7};
    const Lines& log() const { return host.log.lines; }
};

TEST_F(Cells, NameBoxChoosesTheCellAndSetsOFileName) {
    host.fill(7, "clip.swf");
    cell7.Text_Click();
    EXPECT_EQ(log(), (Lines{"current=/movies/clip.swf", "oFileName=clip.swf", "miniPlaying"}));
}

TEST_F(Cells, LabelChoosesTheCellButLeavesOFileName) {
    host.fill(7, "clip.swf");
    cell7.pvLabel_Click();
    EXPECT_EQ(log(), (Lines{"current=/movies/clip.swf", "miniPlaying"}));
    EXPECT_EQ(host.oFileName, "earlier.swf");
}

TEST_F(Cells, EmptyLabelGivesTheFolderAndNoPlayback) {
    cell7.pvLabel_Click();
    EXPECT_EQ(log(), (Lines{"current=/movies/"}));
    cell7.pvLabel_DblClick();
    cell7.Text_DblClick();
    EXPECT_EQ(log().size(), 1u);
}

TEST_F(Cells, PlayerFocusGoesToTheNameBoxAndChoosesTheCell) {
    host.fill(7, "clip.swf");
    cell7.pvFlash_GotFocus();
    EXPECT_EQ(log(),
              (Lines{"focus=7", "current=/movies/clip.swf", "oFileName=clip.swf", "miniPlaying"}));
}

TEST_F(Cells, DoubleClickOpensFullScreenWithItsBar) {
    host.fill(7, "clip.swf");
    host.texts[7] = "stale.swf"; // the double click goes by the label
    cell7.Text_DblClick();
    EXPECT_EQ(log(), (Lines{"current=/movies/clip.swf", "showForm2", "showForm3"}));
}

TEST_F(Cells, ClickOnTheRimPlaysSmallThenGoesFullScreen) {
    host.fill(7, "clip.swf");
    cell7.Command_Click();
    EXPECT_EQ(log(), (Lines{"current=/movies/clip.swf", "oFileName=clip.swf", "miniPlaying",
                            "current=/movies/clip.swf", "showForm2", "showForm3"}));
}

TEST_F(Cells, EachCellActsOnItsOwnIndex) {
    host.fill(1, "first.swf");
    host.fill(16, "last.swf");
    PreviewCell(host, 16).Text_Click();
    PreviewCell(host, 1).pvLabel_Click();
    EXPECT_EQ(log(), (Lines{"current=/movies/last.swf", "oFileName=last.swf", "miniPlaying",
                            "current=/movies/first.swf", "miniPlaying"}));
}

TEST_F(Cells, RootFolderPathIsLeftForTheCurrentFileChangeToRepair) {
    host.folder = "/";
    host.fill(7, "clip.swf");
    cell7.Text_Click();
    EXPECT_EQ(host.current, "//clip.swf");
}

TEST_F(Cells, CustomPointerOnlyOverAFilledLabel) {
    host.fill(7, "clip.swf");
    cell7.pvLabel_MouseMove();
    EXPECT_EQ(host.pointers[7].shape(), Qt::BitmapCursor);
    EXPECT_FALSE(host.pointers[7].pixmap().isNull());
    host.fill(7, "");
    cell7.pvLabel_MouseMove();
    EXPECT_EQ(host.pointers[7].shape(), Qt::ArrowCursor);
}

} // namespace
