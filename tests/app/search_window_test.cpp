// File → "Sea&rch" on the main window: the search window and its scope dialog, their
// captions and controls, a search of one drive, the preview, and a hit opened in the
// main window's mini player.
#include "app/main/form1_tools.h"
#include "app/playback/flash_player.h"
#include "app/tools/search_windows.h"
#include "app_fixtures.h"
#include "support/file_tree.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace apptest {
namespace {

class SearchMenu : public FormFixture {
  protected:
    void SetUp() override {
        folder.addMovies(3);
        folder.subfolder("inner");
        writeMovie(folder.file("inner/deep.SWF"));
        drives.drives = {{"/", "", "", false}, {folder.path(), "MOVIES", "", false}};
        loadForm(folder.path());
    }
    tools::SearchWindow* window() { return form->fileTools().search().window(); }
    // Runs the event loop until `done` holds (at most 20 s).
    template <typename F> bool waitFor(F done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }
    static void key(QWidget* w, int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
    // Opens the search window and searches the movie folder's drive through drv's "Ok".
    void searchMovieDrive() {
        ASSERT_TRUE(form->runCommand("mySearch"));
        ASSERT_NE(window(), nullptr);
        window()->mySearching()->trigger();
        tools::DrvWindow* drv = window()->drv();
        ASSERT_NE(drv, nullptr);
        EXPECT_EQ(drv->Drive1()->currentText(), folder.path() + " [MOVIES]");
        drv->button("Command3")->click();
        ASSERT_TRUE(waitFor([&] { return !window()->logic().searching(); }));
    }

    MovieFolder folder;
};

TEST_F(SearchMenu, OpensTheWindowSearchesADriveAndOpensAHit) {
    ASSERT_TRUE(form->runCommand("mySearch"));
    tools::SearchWindow* w = window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(w->windowTitle(), "Search .swf file in this computer");
    EXPECT_EQ(w->mySearching()->text(), "&Searching");
    EXPECT_EQ(w->findChild<QGroupBox*>("Frame1")->title(), "Preview");
    EXPECT_EQ(w->Command1()->text(), "Selected");
    EXPECT_EQ(w->Command2()->text(), "Cancel");
    EXPECT_EQ(w->Timer1().interval(), 2000);
    EXPECT_TRUE(w->Timer1().isActive());

    w->mySearching()->trigger();
    tools::DrvWindow* drv = w->drv();
    ASSERT_NE(drv, nullptr);
    EXPECT_TRUE(drv->isVisible());
    EXPECT_EQ(drv->windowTitle(), "Please choose the driver");
    EXPECT_EQ(drv->button("Command1")->text(), "Whole Computer");
    EXPECT_EQ(drv->button("Command3")->text(), "Ok");
    EXPECT_EQ(drv->button("Command2")->text(), "Cancel");
    EXPECT_EQ(drv->Drive1()->count(), 2);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(drv->x(), screen.width() / 2 - 116);
    EXPECT_EQ(drv->y(), screen.height() / 2 - 65);

    // Escape with no search running leaves everything as it is.
    key(w, Qt::Key_Escape);
    EXPECT_EQ(w->mySearching()->text(), "&Searching");

    drv->button("Command3")->click();
    EXPECT_TRUE(waitFor([&] { return w->drv() == nullptr; })) << "drv closes";
    ASSERT_TRUE(waitFor([&] { return !w->logic().searching(); }));
    EXPECT_EQ(w->mySearching()->text(), "&Searching...");
    EXPECT_EQ(w->Picture1()->text(), "Find File(s): 4 items found matching \"*.swf\"");
    EXPECT_EQ(w->List1()->model()->rowCount(), 4);
    EXPECT_EQ(w->List1()->model()->index(3, 0).data().toString(), folder.file("inner/deep.SWF"));

    // "Selected" with nothing selected.
    w->Command1()->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "You hadn't select one swf file!");

    // A click on a line previews it.
    QWidget* lines = w->List1()->viewport();
    const QPointF at = w->List1()->visualRect(w->List1()->model()->index(2, 0)).center();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, lines->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(lines, &e);
    }
    EXPECT_EQ(w->ShockwaveFlash1()->Movie(), folder.file("m02.swf"));
    EXPECT_EQ(w->Text1()->text(), folder.file("m02.swf"));

    // The arrow keys preview the line they land on.
    w->List1()->setFocus();
    w->List1()->setCurrentIndex(w->List1()->model()->index(0, 0));
    key(w->List1(), Qt::Key_Down);
    EXPECT_EQ(w->ShockwaveFlash1()->Movie(), folder.file("m01.swf"));
    EXPECT_TRUE(w->ShockwaveFlash1()->IsPlaying());
    EXPECT_EQ(w->Text1()->text(), folder.file("m01.swf"));

    // Enter opens it, as "Selected" does: the main window's current file, in its mini player.
    QPointer<tools::SearchWindow> guard(w);
    key(w->List1(), Qt::Key_Return);
    EXPECT_EQ(form->currentFile(), folder.file("m01.swf"));
    EXPECT_EQ(form->miniPlayer()->Movie(), folder.file("m01.swf"));
    EXPECT_TRUE(form->miniPlayer()->IsPlaying());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(waitFor([&] { return guard.isNull(); })) << "the window goes";
}

TEST_F(SearchMenu, EscapeInTheWindowStopsARunningSearch) {
    testsupport::FileTree big(true);
    big.manyFiles("many", 50000);
    drives.drives.push_back({QString::fromStdString(big.root()), "", "", false});
    ASSERT_TRUE(form->runCommand("mySearch"));
    tools::SearchWindow* w = window();
    w->logic().drvCommand3_Click(QString::fromStdString(big.root()));
    ASSERT_TRUE(w->logic().searching());
    EXPECT_EQ(w->mySearching()->text(), "&Stop!");
    // Pressed with the list focused: the list leaves Escape to the window.
    key(w->List1(), Qt::Key_Escape);
    EXPECT_FALSE(w->logic().searching());
    EXPECT_EQ(w->mySearching()->text(), "&Searching...");
    const int listed = w->List1()->model()->rowCount();
    EXPECT_LT(listed, 50004);
    EXPECT_EQ(w->Picture1()->text(),
              "Find File(s): " + QString::number(listed) + " items found matching \"*.swf\"");
}

TEST_F(SearchMenu, ClosingTheWindowAnyWayEnablesTheMainWindow) {
    searchMovieDrive();
    // The window's own close while its drv is open.
    window()->mySearching()->trigger();
    QPointer<tools::DrvWindow> drv(window()->drv());
    window()->close();
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(waitFor([&] { return window() == nullptr && drv.isNull(); }));

    // "Cancel".
    searchMovieDrive();
    EXPECT_FALSE(form->isEnabled());
    window()->Command2()->click();
    EXPECT_TRUE(form->isEnabled());

    // A double click on a hit opens it.
    EXPECT_TRUE(waitFor([&] { return window() == nullptr; }));
    searchMovieDrive();
    tools::HitListView* list = window()->List1();
    list->setCurrentIndex(list->model()->index(2, 0));
    emit list->doubleClicked(list->currentIndex());
    EXPECT_EQ(form->currentFile(), folder.file("m02.swf"));
    EXPECT_TRUE(form->isEnabled());
}

} // namespace
} // namespace apptest
