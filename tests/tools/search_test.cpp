// The search window's logic without its widgets: scope, run, captions, status lines, stop,
// preview and opening a hit, over folders of a temporary folder standing in for drives.
#include "app/tools/search_dialog.h"
#include "support/file_tree.h"
#include "tool_fakes.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

using namespace tooltest;
using testsupport::FileTree;
using tools::SearchDialog;

class FakeControls : public tools::SearchControls {
  public:
    QString caption, text1, preview;
    bool busy = false;
    int row = -1, drvShown = 0, plays = 0, closes = 0, scrolls = 0;
    std::vector<QString> status;

    void setMenuCaption(const QString& c) override { caption = c; }
    QString menuCaption() const override { return caption; }
    void setBusyPointer(bool b) override { busy = b; }
    void printStatus(const QString& line) override { status.push_back(line); }
    int selectedRow() const override { return row; }
    void scrollListToEnd() override { ++scrolls; }
    void putPreviewMovie(const QString& p) override { preview = p; }
    void previewPlay() override { ++plays; }
    void setText1(const QString& t) override { text1 = t; }
    void showDrv() override { ++drvShown; }
    void closeWindow() override { ++closes; }
};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

platform::Drive drive(const std::string& mount, const QString& label = {}) {
    return platform::Drive{qs(mount), label, {}, false};
}

class Search : public ::testing::Test {
  protected:
    void SetUp() override { logic.Form_Load(); }
    // Runs the event loop until the run ends (at most 20 s).
    void waitForEnd() {
        QElapsedTimer clock;
        clock.start();
        while (logic.searching() && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(logic.searching());
    }
    std::vector<QString> rows() const {
        std::vector<QString> out;
        for (int i = 0; i < logic.List1().count(); ++i)
            out.push_back(logic.List1().path(i));
        return out;
    }
    static QString result(int n) {
        return "Find File(s): " + QString::number(n) + " items found matching \"*.swf\"";
    }

    FakeControls controls;
    FakeHost host;
    FakeDrives drives;
    platform::MountTable mounts;
    SearchDialog logic{controls, host, drives, [this] { return mounts; }};
};

TEST_F(Search, WholeComputerWalksEveryDriveInListOrderAndReportsTheCount) {
    EXPECT_FALSE(host.enabled);
    EXPECT_EQ(controls.caption, "&Searching");
    EXPECT_EQ(logic.pattern(), "*.swf");
    logic.mySearching_Click();
    EXPECT_EQ(controls.drvShown, 1);

    FileTree a, b;
    a.file("top.swf");
    a.file("sub/MOVIE.SWF");
    a.file(".dot/hidden.swf");
    a.file("clip.swf/in.swf");
    a.file("kernel/k.swf");
    b.file("other.swf");
    mounts = platform::MountTable({{a.path("kernel"), "sysfs"}});
    drives.drives = {drive(a.root()), drive(a.path("not-inserted")), drive(b.root(), "DATA")};

    logic.drvCommand1_Click();
    EXPECT_EQ(logic.Label1(), "1");
    EXPECT_TRUE(logic.searching());
    EXPECT_TRUE(logic.listing());
    EXPECT_EQ(controls.caption, "&Stop!");
    EXPECT_TRUE(controls.busy);
    waitForEnd();
    const std::vector<QString> expected{qs(a.path("clip.swf")), qs(a.path("top.swf")),
                                        qs(a.path("clip.swf/in.swf")), qs(a.path("sub/MOVIE.SWF")),
                                        qs(b.path("other.swf"))};
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(controls.caption, "&Searching...");
    EXPECT_FALSE(controls.busy);
    EXPECT_FALSE(logic.listing());
    ASSERT_FALSE(controls.status.empty());
    EXPECT_EQ(controls.status.back(), result(5));
    EXPECT_TRUE(std::any_of(controls.status.begin(), controls.status.end(),
                            [](const QString& s) { return s.startsWith("Searching /"); }));
    EXPECT_GE(controls.scrolls, 1);

    // A second search starts from an empty list, from the menu item as before.
    logic.mySearching_Click();
    EXPECT_EQ(controls.drvShown, 2);
    logic.drvCommand3_Click(drive(b.root(), "DATA").displayName());
    waitForEnd();
    EXPECT_EQ(rows(), std::vector<QString>{qs(b.path("other.swf"))});
    EXPECT_EQ(controls.status.back(), result(1));
}

TEST_F(Search, OneDriveByItsNameNoHitsAndAnUnknownName) {
    FileTree a, b;
    a.file("a.swf");
    b.file("readme.txt");
    drives.drives = {drive(a.root()), drive(b.root(), "EMPTY")};
    host.folder = qs(b.path("deeper"));
    int current = -1;
    const QStringList names = logic.drvDrives(&current);
    EXPECT_EQ(names, (QStringList{qs(a.root()), qs(b.root()) + " [EMPTY]"}));
    EXPECT_EQ(current, 1) << "drv shows the drive of the main window's folder";

    logic.drvCommand3_Click(names[1]);
    waitForEnd();
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(controls.status.back(), "Find File(s): 0 items found matching \"*.swf\"");

    logic.drvCommand3_Click("/gone [OLD]");
    waitForEnd();
    EXPECT_EQ(controls.status.back(), result(0));
}

TEST_F(Search, CancelInDrvAndEscapeWithoutASearchChangeNothing) {
    FileTree a;
    a.file("a.swf");
    drives.drives = {drive(a.root())};
    logic.drvCommand1_Click();
    waitForEnd();
    const auto statusBefore = controls.status;
    const QString captionBefore = controls.caption;

    logic.drvCommand2_Click();
    EXPECT_EQ(logic.Label1(), "0");
    EXPECT_FALSE(logic.searching());
    EXPECT_EQ(rows(), std::vector<QString>{qs(a.path("a.swf"))});
    EXPECT_EQ(controls.status, statusBefore);
    EXPECT_EQ(controls.caption, captionBefore);

    logic.Form_KeyDown(27);
    EXPECT_EQ(controls.status, statusBefore);
    EXPECT_EQ(controls.caption, captionBefore);
}

// A stop while the walk is inside a folder of a hundred thousand movies keeps the hits
// listed so far, and only those are counted; no hit comes after it.
TEST_F(Search, AStopKeepsAndCountsWhatWasListed) {
    FileTree t(true);
    t.manyFiles("big", 100000);
    t.file("zzz/after.swf");
    drives.drives = {drive(t.root())};
    for (auto stop : {+[](SearchDialog& l) { l.Form_KeyDown(27); },
                      +[](SearchDialog& l) { l.mySearching_Click(); }}) {
        logic.drvCommand1_Click();
        tools::SearchRun* run = logic.run();
        ASSERT_NE(run, nullptr);
        QElapsedTimer clock;
        clock.start();
        while (logic.List1().count() == 0 && logic.searching() && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_TRUE(logic.searching());
        stop(logic);
        EXPECT_FALSE(logic.searching());
        const int listed = logic.List1().count();
        EXPECT_GT(listed, 0);
        EXPECT_LT(listed, 100000);
        EXPECT_EQ(controls.status.back(), result(listed));
        EXPECT_EQ(controls.caption, "&Searching...");
        EXPECT_EQ(controls.drvShown, 0) << "the click stopped the run, it showed no drv";
        // The walk ends by itself; nothing is listed after the stop.
        while (!run->walkEnded() && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_TRUE(run->walkEnded());
        QCoreApplication::processEvents();
        EXPECT_EQ(logic.List1().count(), listed);
        EXPECT_EQ(logic.List1().path(listed - 1),
                  qs(t.path("big/f" + std::to_string(10000000 + listed - 1).substr(1) + ".swf")));
    }
}

TEST_F(Search, PreviewSelectedAndClosing) {
    FileTree t;
    t.file("one.swf");
    t.file("two.swf");
    drives.drives = {drive(t.root())};
    logic.drvCommand1_Click();
    waitForEnd();

    // "Selected" with no line selected.
    logic.Command1_Click();
    EXPECT_TRUE(host.logged("message=You hadn't select one swf file!"));
    EXPECT_EQ(controls.closes, 0);
    logic.List1_Click();
    EXPECT_EQ(controls.plays, 0);

    controls.row = 1;
    logic.List1_Click();
    EXPECT_EQ(controls.preview, qs(t.path("two.swf")));
    EXPECT_EQ(controls.text1, qs(t.path("two.swf")));
    EXPECT_EQ(controls.plays, 1);
    logic.Timer1_Timer();
    EXPECT_EQ(controls.plays, 2);

    // Opening a hit the preview never played.
    controls.row = 0;
    logic.Command1_Click();
    EXPECT_EQ(host.current, qs(t.path("one.swf")));
    EXPECT_EQ(host.miniPlayerMovie, qs(t.path("one.swf")));
    EXPECT_EQ(controls.closes, 1);
    logic.Command2_Click();
    EXPECT_EQ(controls.closes, 2);

    logic.Form_Unload();
    EXPECT_TRUE(host.enabled);
}

TEST_F(Search, ClosingDuringARunStopsItAndEnablesTheMainWindow) {
    FileTree t(true);
    t.manyFiles("big", 20000);
    drives.drives = {drive(t.root())};
    logic.drvCommand1_Click();
    ASSERT_TRUE(logic.searching());
    logic.Form_Unload();
    EXPECT_FALSE(logic.searching());
    EXPECT_TRUE(host.enabled);
    const int listed = logic.List1().count();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(logic.List1().count(), listed);
}

// A walk held up in a file-system call (here: reading the mount table never returns until
// the test lets it) holds up nothing on the window's side: the window keeps running, Escape
// ends the run at once, and closing does not wait.
TEST(SearchStuck, AWalkStuckInASystemCallHoldsUpNeitherStopNorClose) {
    FileTree t;
    t.file("a.swf");
    FakeControls controls;
    FakeHost host;
    FakeDrives drives;
    drives.drives = {drive(t.root())};
    auto gate = std::make_shared<std::atomic<bool>>(false);
    auto entered = std::make_shared<std::atomic<bool>>(false);
    tools::MountSource stuck = [gate, entered] {
        *entered = true;
        while (!*gate)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return platform::MountTable();
    };
    {
        SearchDialog logic(controls, host, drives, stuck);
        logic.Form_Load();
        logic.drvCommand1_Click();
        QElapsedTimer clock;
        clock.start();
        while (!*entered && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
        ASSERT_TRUE(*entered);
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_TRUE(logic.searching()) << "the run waits on the walk, the window does not";
        clock.restart();
        logic.Form_KeyDown(27);
        EXPECT_FALSE(logic.searching());
        EXPECT_EQ(controls.status.back(), "Find File(s): 0 items found matching \"*.swf\"");

        logic.drvCommand1_Click();
        EXPECT_TRUE(logic.searching());
        logic.Form_Unload();
        EXPECT_TRUE(host.enabled);
        EXPECT_LT(clock.elapsed(), 2000);
    } // the window's side is gone while both walks still wait
    *gate = true;
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(SearchHits, StoreAndModelKeepFolderAndNameInOrder) {
    tools::HitStore store;
    store.add("/a/", "x.swf");
    store.add("/a/", "y.swf");
    store.add("/b/", "caf\xc3\xa9.swf");
    store.add("/a/", "z.swf");
    ASSERT_EQ(store.size(), 4u);
    EXPECT_EQ(store.path(2), "/b/caf\xc3\xa9.swf");
    EXPECT_EQ(store.folder(3), "/a/");
    tools::SearchHitModel model;
    model.append(store);
    model.append(store);
    EXPECT_EQ(model.rowCount(), 8);
    EXPECT_EQ(model.path(6), QString::fromUtf8("/b/café.swf"));
    EXPECT_EQ(model.data(model.index(7), Qt::DisplayRole).toString(), "/a/z.swf");
    EXPECT_EQ(model.path(8), QString());
    EXPECT_EQ(model.path(-1), QString());
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
