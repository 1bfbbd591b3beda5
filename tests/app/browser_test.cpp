// The browsing logic against a recording stand-in for the window: the order of nested
// handlers, paging, drives and the current-file rules.
#include "app_fixtures.h"

#include "app/main/browser.h"

#include <array>

using namespace browse;
using apptest::FakeDrives;
using apptest::FakeFileDialog;
using apptest::FakeMessages;
using apptest::touch;

namespace {

class RecordingView : public BrowserView {
  public:
    QString texta, folder, status, mini = "none";
    int drive = -1, scrollMax = -1, scrollValue = -1, progress = -1;
    std::array<QString, 17> label, movie;
    std::array<bool, 17> shownPlayer{}, shownText{};
    std::map<HiddenLabel, QString> labels;
    int listings = 0; // cells filled with a movie from cell 1
    QStringList statusLog;

    void showTexta(const QString& t) override { texta = t; }
    void showFolder(const QString& p) override { folder = p; }
    void showDrives(const std::vector<platform::Drive>&, int i) override { drive = i; }
    void showDrive(int i) override { drive = i; }
    void showScroll(int m, int v) override { scrollMax = m, scrollValue = v; }
    void setCellLabel(int k, const QString& c) override { label[k] = c; }
    void setCellText(int, const QString&) override {}
    void setCellVisible(int k, CellParts parts, bool on) override {
        if (parts & CellPart::Player) shownPlayer[k] = on;
        if (parts & CellPart::TextBox) shownText[k] = on;
    }
    void loadCellMovie(int k, const QString& path) override {
        movie[k] = path;
        if (k == 1) ++listings;
    }
    void blankCellMovie(int k) override { movie[k] = "0"; }
    void blankMiniPlayer() override { mini = "0"; }
    void playInMiniPlayer(const QString& p) override { mini = p; }
    void setPositionBarMaximum(int) override {}
    void setStatus(const QString& t) override {
        status = t;
        statusLog << t;
    }
    void setProgress(int v) override { progress = v; }
    void setHiddenLabel(HiddenLabel l, const QString& c) override { labels[l] = c; }

    // File names shown in cells 1..16 ("" for empty cells).
    QStringList names() const {
        QStringList out;
        for (int k = 1; k <= 16; ++k)
            out << label[k];
        return out;
    }
};

class BrowserTest : public ::testing::Test {
  protected:
    // A folder holding n empty movie files f000.swf ...
    QString folderWith(QTemporaryDir& dir, int n) {
        for (int i = 0; i < n; ++i)
            touch(dir.filePath(QString("f%1.swf").arg(i, 3, 10, QChar('0'))));
        return dir.path();
    }
    static QString name(int i) { return QString("f%1.swf").arg(i, 3, 10, QChar('0')); }

    RecordingView view;
    FakeDrives drives;
    FakeFileDialog dialog;
    FakeMessages messages;
    Browser browser{view, drives, dialog, messages};
};

} // namespace

TEST_F(BrowserTest, FolderChangeListsTwiceAndEndsOnTheTopRowsOfTheNewFolder) {
    QTemporaryDir a, b;
    folderWith(a, 20);
    folderWith(b, 18);
    browser.start(a.path());
    browser.setScrollMaximum(5);
    browser.setScrollValue(3);
    ASSERT_EQ(browser.firstRow(), 3);
    view.listings = 0;

    ASSERT_TRUE(browser.setDirPath(b.path()));
    // File1_PathChange lists with the old first row (cell 1 gets file 12), then Dir1_Change
    // lists rows 0..3.
    EXPECT_EQ(view.listings, 2);
    EXPECT_EQ(browser.firstRow(), 0);
    EXPECT_EQ(view.movie[1], b.filePath(name(0)));
    EXPECT_EQ(view.label[16], name(15));
    EXPECT_EQ(view.texta, b.path());
    EXPECT_EQ(view.folder, b.path());
    EXPECT_EQ(view.status, "There are 18 .swf files in this direction.");
    // The thumb stays where it was unless the new maximum is below it.
    EXPECT_EQ(browser.scrollMaximum(), 4);
    EXPECT_EQ(browser.scrollValue(), 3);
}

TEST_F(BrowserTest, ScrollingShowsRowsOfFourAndEmptiesCellsPastTheEnd) {
    QTemporaryDir a;
    folderWith(a, 17);
    browser.start(a.path());
    browser.File1_PathChange();
    EXPECT_EQ(browser.scrollMaximum(), 4);

    browser.setScrollValue(1);
    QStringList expected;
    for (int i = 4; i <= 16; ++i)
        expected << name(i);
    expected << ""
             << ""
             << "";
    EXPECT_EQ(view.names(), expected);
    EXPECT_FALSE(view.shownPlayer[14]);
    EXPECT_TRUE(view.shownPlayer[13]);
    EXPECT_EQ(view.progress, 16);

    browser.setScrollValue(4);
    EXPECT_EQ(view.label[1], name(16));
    for (int k = 2; k <= 16; ++k)
        EXPECT_EQ(view.label[k], "") << k;
    EXPECT_EQ(view.statusLog.last(), "There are 17 .swf files in this direction.");
}

TEST_F(BrowserTest, LoweredMaximumPullsTheValueDownAndRelists) {
    QTemporaryDir a, b;
    folderWith(a, 40);
    folderWith(b, 20);
    browser.start(a.path());
    browser.File1_PathChange();
    browser.setScrollValue(9);
    view.listings = 0;
    browser.setDirPath(b.path());
    EXPECT_EQ(browser.scrollMaximum(), 5);
    EXPECT_EQ(browser.scrollValue(), 5);
    // The pulled-down value lists row 5 (empty for 20 files), then Dir1_Change row 0.
    EXPECT_EQ(browser.firstRow(), 0);
    EXPECT_EQ(view.label[1], name(0));
}

TEST_F(BrowserTest, EmptyFolderClearsNamesAndBlanksTheMiniPlayer) {
    QTemporaryDir a, empty;
    folderWith(a, 3);
    browser.start(a.path());
    browser.File1_PathChange();
    view.progress = -1;
    browser.setDirPath(empty.path());
    for (int k = 1; k <= 16; ++k) {
        EXPECT_EQ(view.label[k], "");
        EXPECT_FALSE(view.shownText[k]);
        EXPECT_FALSE(view.shownPlayer[k]);
        EXPECT_EQ(view.movie[k], "0");
    }
    EXPECT_EQ(view.mini, "0");
    EXPECT_EQ(view.progress, 0);
    EXPECT_EQ(view.status, "There are 0 .swf files in this direction.");
    EXPECT_EQ(browser.scrollMaximum(), 0);
    EXPECT_EQ(browser.fileCount(), 0);
}

TEST_F(BrowserTest, FoldersPastSixteenBitCountsNeitherFailNorShowWrongCells) {
    QTemporaryDir a;
    folderWith(a, 0);
    // 32 800 names: more than the 16-bit indices reach.
    for (int i = 0; i < 32800; ++i)
        touch(a.filePath(QString("n%1.swf").arg(i, 5, 10, QChar('0'))));
    browser.start(a.path());
    browser.File1_PathChange();
    EXPECT_EQ(browser.fileCount(), 32767);
    EXPECT_EQ(browser.scrollMaximum(), 8188);
    EXPECT_EQ(view.status, "There are 32800 .swf files in this direction.");
    browser.setScrollValue(1000000);
    EXPECT_EQ(browser.scrollValue(), 8188);
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(view.label[k], QString("n%1.swf").arg(32752 + k - 1, 5, 10, QChar('0'))) << k;
}

TEST_F(BrowserTest, TypedFolderNavigatesAndFileNamesOnlyUpdateMyFlash) {
    QTemporaryDir a;
    folderWith(a, 2);
    const QString sub = a.filePath("sub");
    QDir(a.path()).mkdir("sub");
    touch(sub + "/x.swf");
    browser.start(a.path());
    browser.File1_PathChange();

    browser.setTexta(sub + "/");
    EXPECT_EQ(browser.dirPath(), sub);
    EXPECT_EQ(browser.texta(), sub); // the listing puts the folder's path in the box
    EXPECT_EQ(view.label[1], "x.swf");
    browser.setTexta(sub + "/");
    EXPECT_EQ(browser.texta(), sub + "/"); // the same folder: the box keeps what was typed

    browser.setTexta(a.path());
    EXPECT_EQ(browser.dirPath(), a.path());

    browser.setTexta(a.filePath("f000.SWF"));
    EXPECT_FALSE(view.labels.count(HiddenLabel::myFlash));
    browser.setTexta(a.filePath("f000.swf"));
    EXPECT_EQ(view.labels[HiddenLabel::myFlash], a.filePath("f000.swf"));
    EXPECT_EQ(browser.dirPath(), a.path()); // a file is no folder

    browser.setTexta("//" + a.filePath("f001.swf").mid(1));
    EXPECT_EQ(browser.texta(), a.filePath("f001.swf"));
    EXPECT_EQ(view.labels[HiddenLabel::myFlash], a.filePath("f001.swf"));

    browser.setTexta("relative/folder");
    browser.setTexta("");
    EXPECT_EQ(browser.dirPath(), a.path());
}

TEST_F(BrowserTest, DrivesThatAreNotReadyLeaveTheFolderAndWarnOnlyForFloppies) {
    QTemporaryDir a, b;
    folderWith(a, 1);
    folderWith(b, 2);
    drives.drives = {{"/", "", "", false},
                     {b.path(), "STICK", "/dev/sdb1", false},
                     {"/media/floppy", "", "/dev/fd0", true},
                     {"/media/cdrom", "", "/dev/sr0", false}};
    drives.notReady = {"/media/floppy", "/media/cdrom"};
    browser.start(a.path());
    browser.File1_PathChange();
    EXPECT_EQ(view.drive, 0);

    browser.setDriveIndex(3);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(browser.dirPath(), a.path());
    EXPECT_EQ(browser.driveIndex(), 3);

    browser.setDriveIndex(2);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Floppy drive is not be ready!");
    EXPECT_EQ(messages.shown[0].title, "Reelvista");
    EXPECT_EQ(messages.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(browser.dirPath(), a.path());

    view.listings = 0;
    browser.setDriveIndex(1);
    EXPECT_EQ(browser.dirPath(), b.path());
    EXPECT_EQ(view.label[2], "f001.swf");
    EXPECT_EQ(view.listings, 3); // a drive change lists once more

    // Back on the first drive: the folder last shown there.
    browser.setDriveIndex(0);
    EXPECT_EQ(browser.dirPath(), a.path());
    // A folder on another drive selects that drive.
    browser.setDirPath(b.path());
    EXPECT_EQ(browser.driveIndex(), 1);
    EXPECT_EQ(view.drive, 1);
}

TEST_F(BrowserTest, OpenPlaysTheChosenFileAndCancelChangesNothing) {
    QTemporaryDir a, other;
    folderWith(a, 2);
    touch(other.filePath("o.swf"));
    browser.start(a.path());
    browser.File1_PathChange();
    const QString status = view.status;

    dialog.answers = {std::nullopt};
    browser.myOpenFile_1();
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].title, "Open the *.swf file");
    EXPECT_EQ(dialog.requests[0].filter, "The ShockwaveFlash file(.swf)|*.swf");
    EXPECT_EQ(dialog.requests[0].flags, 8196);
    EXPECT_EQ(dialog.requests[0].fileName, "");
    EXPECT_EQ(view.status, status);
    EXPECT_EQ(view.mini, "none");
    EXPECT_EQ(browser.texta(), a.path());

    dialog.answers = {other.filePath("o.swf") + QChar(0) + QChar(0) + "junk"};
    browser.myOpenFile_1();
    EXPECT_EQ(view.mini, other.filePath("o.swf"));
    EXPECT_EQ(browser.texta(), other.filePath("o.swf"));
    EXPECT_EQ(browser.dirPath(), a.path());
    EXPECT_EQ(view.status, "Selected 1 Files");
    EXPECT_EQ(browser.openNames().first(), other.filePath("o.swf"));

    dialog.answers = {QString("*.swf")};
    browser.myOpenFile_1();
    EXPECT_EQ(view.status, "Selected 0 Files");
}
