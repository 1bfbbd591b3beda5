// The main window driven through its widgets, headless: start-up, listing, paging, typing
// into Texta, Open, drives, shutdown and the sound mute.
#include "app_fixtures.h"

#include "app/main/drive_combo.h"
#include "app/main/flat_button.h"
#include "app/main/folder_list.h"
#include "app/main/welcome_screen.h"
#include "app/playback/flash_player.h"
#include "swf/display/movie_cache.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

using apptest::FormFixture;
using apptest::MovieFolder;
using browse::HiddenLabel;

namespace {

class MainWindow : public FormFixture {
  protected:
    template <typename T = QWidget> T* control(const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QScrollBar* scrollBar() { return control<QScrollBar>("VScroll1"); }
    QString status() { return control<QLabel>("myState")->text(); }

    // The names the grid shows, cell 1 to 16, "" where a cell is empty; checks that
    // filled cells show player, button and name box and empty ones hide them.
    QStringList gridNames() {
        QStringList out;
        for (int k = 1; k <= 16; ++k) {
            const QString name = form->pvLabel(k)->text();
            const bool filled = !name.isEmpty();
            EXPECT_EQ(!form->pvFlash(k)->isHidden(), filled) << k;
            EXPECT_EQ(!form->Command(k)->isHidden(), filled) << k;
            EXPECT_EQ(!form->Text(k)->isHidden(), filled) << k;
            if (filled) {
                EXPECT_EQ(form->Text(k)->text(), name);
                EXPECT_EQ(form->pvFlash(k)->Movie(), form->folderPath() + "/" + name);
                EXPECT_TRUE(form->pvFlash(k)->isLoaded()) << k;
                EXPECT_FALSE(form->pvFlash(k)->IsPlaying()) << k;
                EXPECT_EQ(form->pvFlash(k)->FrameNum(), 1);
            }
            out << name;
        }
        return out;
    }
    static QStringList names(int from, int to, int cells = 16) {
        QStringList out;
        for (int i = from; i <= to; ++i)
            out << MovieFolder::movieName(i);
        while (out.size() < cells)
            out << "";
        return out;
    }
    void scrollTo(int value) {
        scrollBar()->setSliderPosition(value);
        scrollBar()->triggerAction(QAbstractSlider::SliderMove);
        if (scrollBar()->value() != value) scrollBar()->setValue(value);
    }
};

} // namespace

TEST_F(MainWindow, StartMutesListsTheStartFolderAndWaitsForTheSplash) {
    MovieFolder folder(3);
    loadForm(folder.path(), true);
    EXPECT_EQ(sound.playbackSwitch("Master"), false);
    EXPECT_EQ(form->windowTitle(), "Reelvista V2.0");
    EXPECT_EQ(form->currentFile(), folder.path());
    EXPECT_EQ(control<QLineEdit>("Texta")->text(), folder.path());
    EXPECT_EQ(status(), "There are 3 .swf files in this direction.");
    EXPECT_EQ(gridNames(), names(0, 2));
    EXPECT_EQ(form->hiddenLabel(HiddenLabel::myFlash), programDir + "/default.swf");
    EXPECT_EQ(form->hiddenLabel(HiddenLabel::ifMute), "T");
    EXPECT_EQ(form->hiddenLabel(HiddenLabel::myPassWord), "");
    EXPECT_EQ(form->hiddenLabel(HiddenLabel::beginat), "0");
    for (int k = 1; k <= 16; ++k)
        EXPECT_FALSE(form->pvFlash(k)->Loop());

    // The window waits, hidden and disabled, under the topmost splash.
    WelcomeScreen* splash = form->welcomScr();
    ASSERT_NE(splash, nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash->size(), QSize(425, 327));
    EXPECT_EQ(splash->Timer1().interval(), 10);

    // Ticks by hand from here; on a busy machine the real timer may already have ticked.
    splash->Timer1().stop();
    while (splash->ticks() < WelcomeScreen::kLastTick - 1)
        splash->Timer1_Timer();
    EXPECT_TRUE(splash->isVisible());
    EXPECT_FALSE(form->isVisible());
    splash->Timer1_Timer();
    EXPECT_FALSE(splash->isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(MainWindow, LaysItselfOutToTheScreenInTwips) {
    MovieFolder folder(1);
    loadForm(folder.path());
    QWidget* client = form->centralWidget();
    const int width = client->width();
    const int S = browse::twips(client->height()) - 360;
    EXPECT_EQ(control("Texta")->geometry(),
              browse::toPixels({0, 840, browse::twips(width) - 345, 285}));
    EXPECT_EQ(control("miniPlayer")->geometry(), browse::toPixels({120, S - 4005, 3795, 2655}));
    EXPECT_EQ(control("VScroll1")->geometry(),
              browse::toPixels({browse::twips(width) - 600, 1200, 255, S - 1410}));
    EXPECT_EQ(form->rowStep(), browse::roundHalfEven16((S - 1410) / 4.0));
    EXPECT_EQ(form->colStep(), browse::roundHalfEven16((browse::twips(width) - 4785) / 4.0));
    EXPECT_EQ(form->pvFlash(6)->geometry(),
              browse::toPixels({4350 + form->colStep(), 1350 + form->rowStep(),
                                form->colStep() - 650, form->rowStep() - 650}));
    // The whole screen wide; the height 400 twips short of it.
    EXPECT_EQ(form->width(), QGuiApplication::primaryScreen()->geometry().width());

    form->Frame2_DragDrop();
    EXPECT_EQ(control("Frame2")->geometry(),
              browse::toPixels({4080, 1200, browse::twips(width) - 4280, form->rowStep() - 450}));
}

TEST_F(MainWindow, EmptyFolderShowsNothingAndBlanksTheMiniPlayer) {
    MovieFolder empty;
    loadForm(empty.path());
    EXPECT_EQ(gridNames(), QStringList(16, ""));
    EXPECT_EQ(form->miniPlayer()->Movie(), "0");
    EXPECT_EQ(status(), "There are 0 .swf files in this direction.");
    EXPECT_EQ(scrollBar()->maximum(), 0);
    EXPECT_EQ(control<QProgressBar>("ProgressBar1")->value(), 0);

    MovieFolder two(2);
    ASSERT_TRUE(form->setFolderPath(two.path()));
    ASSERT_TRUE(form->setFolderPath(empty.path()));
    EXPECT_EQ(gridNames(), QStringList(16, ""));
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(form->pvFlash(k)->Movie(), "0");
}

TEST_F(MainWindow, UpToSixteenFilesFillCellsLeftToRightWithoutScrolling) {
    MovieFolder folder;
    loadForm(folder.path());
    for (int count : {1, 4, 5, 15, 16}) {
        MovieFolder f(count);
        ASSERT_TRUE(form->setFolderPath(f.path()));
        EXPECT_EQ(gridNames(), names(0, count - 1)) << count;
        EXPECT_EQ(scrollBar()->maximum(), 0) << count;
        EXPECT_EQ(status(), QString("There are %1 .swf files in this direction.").arg(count));
        EXPECT_EQ(control<QProgressBar>("ProgressBar1")->value(), 16);
    }
}

TEST_F(MainWindow, SeventeenFilesScrollByRows) {
    MovieFolder folder(17);
    loadForm(folder.path());
    EXPECT_EQ(scrollBar()->maximum(), 4);
    EXPECT_EQ(gridNames(), names(0, 15));

    scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(form->firstRow(), 1);
    EXPECT_EQ(gridNames(), names(4, 16));

    scrollTo(4);
    EXPECT_EQ(form->firstRow(), 4);
    EXPECT_EQ(gridNames(), names(16, 16));

    scrollTo(0);
    EXPECT_EQ(gridNames(), names(0, 15));
}

TEST_F(MainWindow, TheWheelOverTheGridScrollsIt) {
    MovieFolder folder(40);
    loadForm(folder.path());
    // A wheel turned over a control that does not use it ends at the window.
    auto turnAt = [&](QWidget* over) {
        const QPointF at =
            over->mapTo(form.get(), QPointF(over->width() / 2.0, over->height() / 2.0));
        QWheelEvent down(at, form->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.get(), &down);
    };
    turnAt(form->pvFlash(6));
    const int row = form->firstRow();
    EXPECT_GT(row, 0);
    EXPECT_EQ(scrollBar()->value(), row);
    EXPECT_EQ(gridNames(), names(row * 4, row * 4 + 15));

    turnAt(form->miniPlayer()); // outside the grid
    EXPECT_EQ(form->firstRow(), row);
}

TEST_F(MainWindow, TwentyFilesAtTheLastRowShowAnEmptyGrid) {
    MovieFolder folder(20);
    loadForm(folder.path());
    EXPECT_EQ(scrollBar()->maximum(), 5);
    scrollTo(5);
    EXPECT_EQ(gridNames(), QStringList(16, ""));
    // A page step is four rows.
    scrollTo(0);
    scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(form->firstRow(), 4);
    EXPECT_EQ(gridNames(), names(16, 19));
}

TEST_F(MainWindow, CapitalExtensionsAreListedButDoNotBecomeTheLockMovie) {
    MovieFolder folder;
    apptest::writeMovie(folder.file("LOUD.SWF"));
    apptest::writeMovie(folder.file("quiet.swf"));
    loadForm(folder.path());
    EXPECT_EQ(gridNames(), QStringList({"LOUD.SWF", "quiet.swf"}) + QStringList(14, ""));
    const QString before = form->hiddenLabel(HiddenLabel::myFlash);
    form->setCurrentFile(folder.file("LOUD.SWF"));
    EXPECT_EQ(form->hiddenLabel(HiddenLabel::myFlash), before);
    form->setCurrentFile(folder.file("quiet.swf"));
    EXPECT_EQ(form->hiddenLabel(HiddenLabel::myFlash), folder.file("quiet.swf"));
}

TEST_F(MainWindow, RootFolderPathsAreRepairedAndStillLoad) {
    MovieFolder folder(1);
    loadForm(folder.path());
    // A cell's path in the root folder is "/" + "/" + name; the box shows it with one "/".
    const QString doubled = "/" + folder.file(MovieFolder::movieName(0));
    form->setCurrentFile(doubled);
    EXPECT_EQ(form->currentFile(), folder.file(MovieFolder::movieName(0)));
    EXPECT_EQ(control<QLineEdit>("Texta")->text(), folder.file(MovieFolder::movieName(0)));
    FlashPlayer player;
    player.setMovie(doubled);
    EXPECT_TRUE(player.isLoaded());
    // Picking the root folder itself lists it like any other.
    ASSERT_TRUE(form->setFolderPath("/"));
    EXPECT_EQ(form->currentFile(), "/");
    EXPECT_EQ(control<QLineEdit>("Texta")->text(), "/");
}

TEST_F(MainWindow, TypingAFolderIntoTextaNavigatesThere) {
    MovieFolder start(1), target(3);
    loadForm(start.path());
    auto* texta = control<QLineEdit>("Texta");
    texta->selectAll();
    apptest::typeText(texta, target.path() + "/m0");
    // Each prefix that named a folder moved the lists; "…/m0" names none.
    EXPECT_EQ(form->folderPath(), target.path());
    EXPECT_EQ(texta->text(), target.path() + "/m0");
    EXPECT_EQ(gridNames(), names(0, 2));
    EXPECT_EQ(control<FolderList>("Dir1")->path(), target.path());

    texta->selectAll();
    apptest::typeText(texta, start.path());
    EXPECT_EQ(form->folderPath(), start.path());
    EXPECT_EQ(texta->text(), start.path());
    EXPECT_EQ(status(), "There are 1 .swf files in this direction.");
}

TEST_F(MainWindow, ChoosingAFolderInTheFolderListListsIt) {
    MovieFolder folder(1);
    const QString sub = folder.subfolder("inner");
    apptest::writeMovie(sub + "/a.swf");
    apptest::writeMovie(sub + "/b.swf");
    loadForm(folder.path());
    auto* dir1 = control<FolderList>("Dir1");
    QTreeWidgetItem* item = dir1->itemFor(sub);
    ASSERT_NE(item, nullptr);
    emit dir1->itemActivated(item, 0);
    EXPECT_EQ(form->folderPath(), sub);
    EXPECT_EQ(form->currentFile(), sub);
    EXPECT_EQ(gridNames(), QStringList({"a.swf", "b.swf"}) + QStringList(14, ""));
    EXPECT_EQ(status(), "There are 2 .swf files in this direction.");
}

TEST_F(MainWindow, OpenPlaysInTheMiniPlayerAndCancelChangesNothing) {
    MovieFolder browsed(2), elsewhere(1);
    loadForm(browsed.path());
    const QString status0 = status();

    dialog.answers = {std::nullopt};
    control<FlatButton>("FlatBttn1")->click();
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(status(), status0);
    EXPECT_EQ(form->currentFile(), browsed.path());
    EXPECT_EQ(form->miniPlayer()->Movie(), "");

    const QString movie = elsewhere.file(MovieFolder::movieName(0));
    dialog.answers = {movie + QChar(0) + "tail"};
    control<QAction>("fileOpen")->trigger();
    EXPECT_EQ(form->miniPlayer()->Movie(), movie);
    EXPECT_TRUE(form->miniPlayer()->IsPlaying());
    EXPECT_EQ(form->currentFile(), movie);
    EXPECT_EQ(form->hiddenLabel(HiddenLabel::myFlash), movie);
    EXPECT_EQ(form->folderPath(), browsed.path());
    EXPECT_EQ(gridNames(), names(0, 1));
    EXPECT_EQ(status(), "Selected 1 Files");
}

TEST_F(MainWindow, DrivesNotReadyLeaveTheFolderListWhereItWas) {
    MovieFolder folder(1), stick(2);
    drives.drives = {{"/", "", "", false},
                     {stick.path(), "STICK", "/dev/sdb1", false},
                     {"/media/floppy", "", "/dev/fd0", true},
                     {"/media/cdrom", "DISC", "/dev/sr0", false}};
    drives.notReady = {"/media/floppy", "/media/cdrom"};
    loadForm(folder.path());
    auto* drive1 = control<DriveCombo>("Drive1");
    ASSERT_EQ(drive1->count(), 4);
    EXPECT_EQ(drive1->itemText(3), "/media/cdrom [DISC]");
    EXPECT_EQ(drive1->currentIndex(), 0);

    auto pick = [&](int i) {
        drive1->setCurrentIndex(i);
        emit drive1->activated(i);
    };
    pick(3);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form->folderPath(), folder.path());
    EXPECT_EQ(drive1->currentIndex(), 3);

    pick(2);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Floppy drive is not be ready!");
    EXPECT_EQ(form->folderPath(), folder.path());
    EXPECT_EQ(control<FolderList>("Dir1")->path(), folder.path());

    pick(1);
    EXPECT_EQ(form->folderPath(), stick.path());
    EXPECT_EQ(gridNames(), names(0, 1));
}

TEST_F(MainWindow, CommandsWithoutHandlersAreGreyedOutUntilGivenOne) {
    MovieFolder folder;
    loadForm(folder.path());
    EXPECT_TRUE(control<QAction>("fileOpen")->isEnabled());
    EXPECT_TRUE(control<QAction>("Exit")->isEnabled());
    EXPECT_TRUE(control<FlatButton>("FlatBttn1")->isEnabled());
    EXPECT_EQ(control<FlatButton>("FlatBttn5")->toolTip(), "Full Screnn");
    for (const char* working : {"mySearch", "saveAs", "mymoveTo", "mydelete", "mySwf2Exe", "myExe2Swf", "zoomOut",
                                "fullScreen", "mPlay", "mLoop", "mCapture", "myWallpaper",
                                "myConfigMn", "myLockMn", "myLK"})
        EXPECT_TRUE(control<QAction>(working)->isEnabled()) << working;

    // Taking a handler away greys its controls out; giving one back brings them back.
    form->setHandler("Command20", {});
    EXPECT_FALSE(control<QAction>("mCapture")->isEnabled());
    EXPECT_FALSE(control<FlatButton>("FlatBttn8")->isEnabled());
    EXPECT_FALSE(form->runCommand("FlatBttn8"));
    int captures = 0;
    form->setHandler("Command20", [&] { ++captures; });
    EXPECT_TRUE(control<QAction>("mCapture")->isEnabled());
    EXPECT_TRUE(control<FlatButton>("FlatBttn8")->isEnabled());
    control<FlatButton>("FlatBttn8")->click();
    control<QAction>("mCapture")->trigger();
    control<QPushButton>("Command20")->click();
    EXPECT_EQ(captures, 3);

    // Full Screnn forwards to Full Screen's own handler.
    int fulls = 0;
    form->setHandler("FlatBttn19", [&] { ++fulls; });
    control<FlatButton>("FlatBttn5")->click();
    EXPECT_EQ(fulls, 1);
    EXPECT_TRUE(control<QCheckBox>("Check2")->isEnabled());
}

TEST_F(MainWindow, FlatButtonsShowTheirPicturesByState) {
    MovieFolder folder;
    loadForm(folder.path());
    auto* open = control<FlatButton>("FlatBttn1");
    EXPECT_FALSE(open->picture().isNull());
    EXPECT_NE(open->picture().toImage(), open->pictureOver().toImage());
    EXPECT_NE(open->pictureOver().toImage(), open->pictureDown().toImage());
    EXPECT_EQ(open->currentPicture().toImage(), open->picture().toImage());
    open->setDown(true);
    EXPECT_EQ(open->currentPicture().toImage(), open->pictureDown().toImage());
    EXPECT_EQ(open->property("picturedown").value<QPixmap>().toImage(),
              open->pictureDown().toImage());
}

TEST_F(MainWindow, ClosingBlanksThePreviewsAndUnmutes) {
    MovieFolder folder(3);
    loadForm(folder.path());
    ASSERT_EQ(sound.playbackSwitch("Master"), false);
    form->close();
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(form->pvFlash(k)->Movie(), "0");
    EXPECT_EQ(sound.playbackSwitch("Master"), true);
    EXPECT_EQ(programEnds, 0);
}

TEST_F(MainWindow, ExitUnmutesAndEndsTheProgram) {
    MovieFolder folder(2);
    loadForm(folder.path());
    control<QAction>("Exit")->trigger();
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(sound.playbackSwitch("Master"), true);
    EXPECT_FALSE(form->pvFlash(1)->isLoaded());
}

TEST_F(MainWindow, ListingAgainDoesNotParseLoadedMoviesAgain) {
    MovieFolder folder(16);
    loadForm(folder.path());
    const size_t parses = swf::MovieCache::shared().parses();
    form->Dir1_Change();
    scrollBar()->setMaximum(4);
    scrollTo(1);
    scrollTo(0);
    EXPECT_EQ(swf::MovieCache::shared().parses(), parses);
    EXPECT_EQ(gridNames(), names(0, 15));
}

namespace {

// Records what reaches the cell handlers.
class RecordingForm : public Form1 {
  public:
    using Form1::Form1;
    QStringList calls;

  protected:
    void pvLabel_Click(int k) override { calls << QString("pvLabel_Click %1").arg(k); }
    void pvLabel_DblClick(int k) override { calls << QString("pvLabel_DblClick %1").arg(k); }
    void Text_Click(int k) override { calls << QString("Text_Click %1").arg(k); }
    void pvFlash_GotFocus(int k) override { calls << QString("pvFlash_GotFocus %1").arg(k); }
    void Command_Click(int k) override { calls << QString("Command_Click %1").arg(k); }
};

} // namespace

TEST_F(MainWindow, CellEventsReachTheHandlersWithTheCellNumber) {
    MovieFolder folder(8);
    Form1Services s;
    s.drives = &drives;
    s.fileDialog = &dialog;
    s.messages = &messages;
    s.startFolder = folder.path();
    s.showSplash = false;
    RecordingForm recording(std::move(s));
    recording.Form_Load();

    apptest::click(recording.pvLabel(3));
    apptest::click(recording.Text(7));
    recording.Command(2)->click();
    apptest::doubleClick(recording.pvLabel(5));
    recording.pvFlash(8)->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    // A double click is a click, then a double click, as on any desktop.
    QStringList expected = {"pvLabel_Click 3", "Text_Click 7", "Command_Click 2", "pvLabel_Click 5",
                            "pvLabel_DblClick 5"};
    if (QApplication::focusWidget() == recording.pvFlash(8)) expected << "pvFlash_GotFocus 8";
    EXPECT_EQ(recording.calls.mid(0, expected.size()), expected);
    recording.close();
}
