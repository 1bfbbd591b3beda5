// The grid's arithmetic, the window's twips layout and the path rules.
#include "app/main/form_layout.h"
#include "app/main/grid_math.h"
#include "app/main/path_rules.h"
#include "app/main/twips.h"

#include <gtest/gtest.h>

using namespace browse;

TEST(GridMath, ScrollMaximumPagesByRowsOfFourFromSeventeenFiles) {
    for (int n = 0; n <= 16; ++n)
        EXPECT_EQ(scrollMaximum(n), 0) << n;
    EXPECT_EQ(scrollMaximum(17), 4);
    EXPECT_EQ(scrollMaximum(20), 5);
    EXPECT_EQ(scrollMaximum(5000), 1250);
    // Past the 16-bit limit the bar stops where the last cell index is 32767.
    EXPECT_EQ(scrollMaximum(32764), 8188);
    EXPECT_EQ(scrollMaximum(200000), 8188);
    EXPECT_EQ(kLastReachableRow * 4 + 15, 32767);
}

TEST(GridMath, CellIndicesStayInSixteenBits) {
    EXPECT_EQ(cellFileIndex(0, 1), 0);
    EXPECT_EQ(cellFileIndex(1, 13), 16);
    EXPECT_EQ(cellFileIndex(4, 1), 16);
    EXPECT_EQ(cellFileIndex(8188, 16), 32767);
    EXPECT_EQ(cellFileIndex(8189, 12), 32767);
    EXPECT_EQ(cellFileIndex(8189, 13), std::nullopt);
    EXPECT_EQ(cellFileIndex(-1, 1), std::nullopt);
    EXPECT_EQ(saturate16(40000), 32767);
    EXPECT_EQ(saturate16(-40000), -32768);
    EXPECT_EQ(roundHalfEven16(2.5), 2);
    EXPECT_EQ(roundHalfEven16(3.5), 4);
    EXPECT_EQ(roundHalfEven16(-2.5), -2);
    EXPECT_EQ(roundHalfEven16(1803.75), 1804);
}

TEST(GridMath, CellsAreFourRowsOfFourAtThePitches) {
    // Scroll bar as the start-up layout places it on a screen 15360 twips wide.
    const int S = 11000;
    GridGeometry g = gridGeometry(1200, S - 1410, 15360 - 600);
    EXPECT_EQ(g.colStep, 2644);
    EXPECT_EQ(g.rowStep, roundHalfEven16((S - 1410) / 4.0));
    const CellPlaces& c6 = g.cells[5]; // row 1, column 1
    EXPECT_EQ(c6.player, (TwipsRect{4350 + 2644, 1350 + g.rowStep, 2644 - 650, g.rowStep - 650}));
    EXPECT_EQ(c6.button,
              (TwipsRect{4200 + 2644, 1250 + g.rowStep, g.rowStep + 150, g.rowStep - 150}));
    EXPECT_EQ(c6.label.top, c6.player.top + c6.player.height + 100);
    EXPECT_EQ(c6.text.top, c6.player.top + c6.player.height + 30);
    EXPECT_EQ(g.cells[6].text.top, g.cells[6].player.top + g.cells[6].player.height + 70);
    EXPECT_EQ(g.cells[15].player.left, 4350 + 3 * 2644);
    EXPECT_EQ(g.cells[15].player.top, 1350 + 3 * g.rowStep);
}

TEST(GridMath, WideScreensDoNotOverflowThePlaces) {
    // 4096 pixels wide: 61440 twips, beyond 16 bits.
    GridGeometry g = gridGeometry(1200, 14000, 61440 - 600);
    EXPECT_EQ(g.colStep, roundHalfEven16((61440 - 600 - 4185) / 4.0));
    EXPECT_GT(g.cells[3].player.left, 32767);
}

TEST(Twips, FifteenTwipsToThePixel) {
    EXPECT_EQ(px(600), 40);
    EXPECT_EQ(px(255), 17);
    EXPECT_EQ(px(7), 0);
    EXPECT_EQ(px(8), 1);
    EXPECT_EQ(px(-120), -8);
    EXPECT_EQ(twips(40), 600);
    EXPECT_EQ(toPixels({-120, 0, -30, 255}), QRect(-8, 0, 0, 17));
}

TEST(Layout, StartUpLayoutFollowsTheStatusBarAndTheWidth) {
    const int W = 12000, S = 8000;
    Places p = designedPlaces();
    applyStartupLayout(p, W, S);
    EXPECT_EQ(p["StatusBar1"], (TwipsRect{0, S, W, 360}));
    EXPECT_EQ(p["Texta"], (TwipsRect{0, 840, W - 345, 285}));
    EXPECT_EQ(p["miniPlayer"].top, S - 4005);
    EXPECT_EQ(p["Frame3"], (TwipsRect{70, S - 4135, 3895, 2855}));
    EXPECT_EQ(p["Dir1"].height, S - 4005 - 1560 - 600);
    EXPECT_EQ(p["VScroll1"], (TwipsRect{W - 600, 1200, 255, S - 1410}));
    EXPECT_EQ(p["HScroll1"].top, S - 615);
    EXPECT_EQ(p["SkinLabel1"].top, S - 615 + 255 + 90);
    EXPECT_EQ(p["FlatBttn14"].top, S - 4595);
    EXPECT_EQ(p["FlatBttn18"], (TwipsRect{2040, S - 4595, 480, 480}));
    EXPECT_EQ(p["FlatBttn19"].top, S - 1115);
    EXPECT_EQ(p["Check2"].top, S - 1115);
    EXPECT_EQ(p["Check1"].top, S - 4500);
    EXPECT_EQ(p["ProgressBar1"], (TwipsRect{4080, S + 50, 10700, 255}));
    EXPECT_EQ(p["myState"].top, S + 100);
    EXPECT_EQ(p["FlatBttn12"], (TwipsRect{8040, 120, 600, 600}));
    EXPECT_EQ(p["Frame2"], (TwipsRect{4080, 1080, 10700, 8900}));
}

TEST(PathRules, DoubledRootSeparatorIsMadeSingle) {
    EXPECT_EQ(repairDoubledRoot("//a.swf"), QString("/a.swf"));
    EXPECT_EQ(repairDoubledRoot("///a.swf"), QString("//a.swf"));
    EXPECT_EQ(repairDoubledRoot("/tmp//a.swf"), std::nullopt);
    EXPECT_EQ(repairDoubledRoot("/"), std::nullopt);
    EXPECT_EQ(joinFolderAndName("/", "a.swf"), QString("//a.swf"));
    EXPECT_EQ(joinFolderAndName("/tmp", "a.swf"), QString("/tmp/a.swf"));
}

TEST(PathRules, MovieTestAndStatusTexts) {
    EXPECT_TRUE(endsWithSwf("/x/a.swf"));
    EXPECT_FALSE(endsWithSwf("/x/a.SWF"));
    EXPECT_FALSE(endsWithSwf("/x/aswf"));
    EXPECT_EQ(folderCountText(17), QString("There are 17 .swf files in this direction."));
    EXPECT_EQ(loadingText(), QString("Loading now... Please wait ..."));
    EXPECT_EQ(selectedFilesText(1), QString("Selected 1 Files"));
}
