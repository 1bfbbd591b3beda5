// Search end to end on an X server: the pointer, moved and clicked by xdotool, opens File →
// "Sea&rch" on the main window, starts a search from the search window's menu, picks the
// movie folder's drive in the scope dialog, clicks the first hit to preview it, and opens it
// with "Selected": the hit becomes the main window's current file, playing in the mini player.
#include "app/app_fixtures.h"
#include "app/main/form1_tools.h"
#include "app/playback/flash_player.h"
#include "app/tools/search_windows.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace apptest;

template <typename F> bool waitFor(F done, int ms = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void settle(int ms) {
    waitFor([] { return false; }, ms);
}

// A real click of the X server's pointer at a point of `w`.
void clickAt(QWidget* w, QPoint local) {
    const QPoint at = w->mapToGlobal(local);
    const std::string command = "xdotool mousemove " + std::to_string(at.x()) + " " +
                                std::to_string(at.y()) + " sleep 0.1 click 1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    settle(300);
}

void clickCentre(QWidget* w) {
    clickAt(w, w->rect().center());
}

class SearchEndToEnd : public FormFixture {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        folder.addMovies(2);
        folder.subfolder("more");
        writeMovie(folder.file("more/Third.SWF"), {40, 200, 40, 255});
        drives.drives = {{folder.path(), "MOVIES", "", false}};
        loadForm(folder.path());
        ASSERT_TRUE(waitFor([&] { return form->isVisible() && form->isEnabled(); }));
        settle(500);
    }
    MovieFolder folder;
};

TEST_F(SearchEndToEnd, FromTheMenuToAHitPlayingInTheMiniPlayer) {
    // File → Sea&rch.
    QMenuBar* bar = form->menuBar();
    QAction* search = form->findChild<QAction*>("mySearch");
    ASSERT_NE(search, nullptr);
    QAction* fileMenu = nullptr;
    for (QAction* a : bar->actions())
        if (a->menu() && a->menu()->actions().contains(search)) fileMenu = a;
    ASSERT_NE(fileMenu, nullptr);
    clickAt(bar, bar->actionGeometry(fileMenu).center());
    QMenu* menu = fileMenu->menu();
    ASSERT_TRUE(waitFor([&] { return menu->isVisible(); })) << "the File menu opens";
    clickAt(menu, menu->actionGeometry(search).center());

    tools::SearchWindow* w = nullptr;
    ASSERT_TRUE(waitFor([&] {
        w = form->fileTools().search().window();
        return w && w->isVisible();
    })) << "the search window opens";
    EXPECT_FALSE(form->isEnabled());
    settle(500);

    // The window's menu item asks for the scope.
    QMenuBar* own = w->findChild<QMenuBar*>();
    ASSERT_NE(own, nullptr);
    clickAt(own, own->actionGeometry(w->mySearching()).center());
    ASSERT_TRUE(waitFor([&] { return w->drv() && w->drv()->isVisible(); })) << "drv opens";
    settle(500);
    clickCentre(w->drv()->button("Command3"));

    ASSERT_TRUE(waitFor([&] { return w->mySearching()->text() == "&Searching..."; }))
        << "the search ends";
    tools::HitListView* list = w->List1();
    ASSERT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(list->model()->index(2, 0).data().toString(), folder.file("more/Third.SWF"));

    // A click on the last hit previews it.
    const QModelIndex third = list->model()->index(2, 0);
    clickAt(list->viewport(), list->visualRect(third).center());
    ASSERT_TRUE(waitFor([&] {
        return w->ShockwaveFlash1()->Movie() == folder.file("more/Third.SWF");
    })) << "the preview plays the hit clicked, not "
        << w->ShockwaveFlash1()->Movie().toStdString() << "; list at "
        << list->viewport()->mapToGlobal(QPoint()).x() << ","
        << list->viewport()->mapToGlobal(QPoint()).y() << " window at " << w->x() << "," << w->y();
    EXPECT_TRUE(w->ShockwaveFlash1()->IsPlaying());

    // "Selected".
    QPointer<tools::SearchWindow> guard(w);
    clickCentre(w->Command1());
    ASSERT_TRUE(waitFor([&] { return guard.isNull(); })) << "the search window closes";
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(form->currentFile(), folder.file("more/Third.SWF"));
    EXPECT_EQ(form->miniPlayer()->Movie(), folder.file("more/Third.SWF"));
    EXPECT_TRUE(form->miniPlayer()->IsPlaying());
}

} // namespace
