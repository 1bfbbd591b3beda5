// Movies and folders handed to the main window: at start-up (the command line), by a
// second start, and dropped on the window.
#include "desktop_fixtures.h"

#include "app/main/open_target.h"
#include "app/playback/flash_player.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

using desktop::OpenTarget;
using desktoptest::dragOver;
using desktoptest::dropOn;
using desktoptest::filesData;

namespace {

using StartUp = desktoptest::DesktopWindow;

TEST_F(StartUp, AMovieListsItsFolderBecomesCurrentAndPlays) {
    startWith(QDir::homePath(), desktop::classifyPath(other + "/second.swf", "/"));
    EXPECT_EQ(form->folderPath(), other);
    EXPECT_EQ(form->fileCount(), 2);
    EXPECT_EQ(form->pvLabel(1)->text(), "first.swf");
    EXPECT_EQ(form->currentFile(), other + "/second.swf");
    EXPECT_EQ(form->miniPlayer()->Movie(), other + "/second.swf");
    EXPECT_TRUE(form->miniPlayer()->IsPlaying());
    EXPECT_EQ(form->statusText(), "There are 2 .swf files in this direction.");
}

TEST_F(StartUp, AFolderIsTheStartFolder) {
    startWith(QDir::homePath(), desktop::classifyPath(other, "/"));
    EXPECT_EQ(form->folderPath(), other);
    EXPECT_EQ(form->currentFile(), other);
    EXPECT_EQ(form->fileCount(), 2);
    EXPECT_FALSE(form->miniPlayer()->IsPlaying());
}

TEST_F(StartUp, WhatCannotBeOpenedStartsAsWithoutAnArgumentAndSaysWhy) {
    for (const QString& bad : {movies.file("gone.swf"), movies.file("notes.txt")}) {
        SCOPED_TRACE(bad.toStdString());
        const OpenTarget target = desktop::classifyPath(bad, "/");
        startWith(movies.path(), target);
        EXPECT_EQ(form->folderPath(), movies.path());
        EXPECT_EQ(form->currentFile(), movies.path());
        EXPECT_EQ(form->fileCount(), 3);
        EXPECT_EQ(form->statusText(), target.problem);
        EXPECT_TRUE(form->statusText().startsWith("Cannot open " + bad));
        hooks.reset();
        form.reset();
    }
}

TEST_F(StartUp, ABrokenMovieIsCurrentAndTheStatusLineSaysWhyItDoesNotPlay) {
    QFile broken(movies.file("broken.swf"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("FWS\x0a\xff\xff\xff\x7f garbage");
    broken.close();
    startWith(movies.path(), desktop::classifyPath(broken.fileName(), "/"));
    EXPECT_EQ(form->currentFile(), broken.fileName());
    EXPECT_FALSE(form->miniPlayer()->isLoaded());
    EXPECT_TRUE(form->statusText().startsWith("Cannot play " + broken.fileName() + ": "))
        << form->statusText().toStdString();
}

TEST_F(StartUp, ASecondStartsPathIsOpenedUnlessTheWindowIsBusy) {
    startWith(movies.path());
    EXPECT_TRUE(hooks->takeRequest(other + "/first.swf"));
    EXPECT_EQ(form->folderPath(), other);
    EXPECT_EQ(form->currentFile(), other + "/first.swf");
    EXPECT_TRUE(hooks->takeRequest({})); // nothing to open: the window is just raised
    EXPECT_EQ(form->currentFile(), other + "/first.swf");

    // A dialog has the window (it acts on the current file when it closes): refused.
    form->setEnabled(false);
    EXPECT_FALSE(hooks->takeRequest(movies.file("m00.swf")));
    EXPECT_EQ(form->currentFile(), other + "/first.swf");
    form->setEnabled(true);

    QMessageBox box;
    box.setModal(true);
    box.show();
    EXPECT_FALSE(hooks->takeRequest(movies.file("m00.swf")));
    box.close();
    EXPECT_TRUE(hooks->takeRequest(movies.file("m00.swf")));
    EXPECT_EQ(form->currentFile(), movies.file("m00.swf"));
}

TEST_F(StartUp, DuringTheSplashAHandedPathIsOpened) {
    makeForm(movies.path(), /*splash=*/true);
    hooks = std::make_unique<Form1Desktop>(*form);
    form->Form_Load();
    ASSERT_FALSE(form->isEnabled());
    EXPECT_TRUE(hooks->takeRequest(other));
    EXPECT_EQ(form->folderPath(), other);
}

using Drops = desktoptest::DesktopWindow;

TEST_F(Drops, AMovieIsListedMadeCurrentAndPlayed) {
    startWith(movies.path());
    const auto data = filesData({movies.file("notes.txt"), other + "/second.swf", other + "/first.swf"});
    EXPECT_TRUE(dragOver(form.get(), *data));
    EXPECT_TRUE(dropOn(form.get(), *data));
    EXPECT_EQ(form->folderPath(), other);
    EXPECT_EQ(form->currentFile(), other + "/second.swf");
    EXPECT_EQ(form->miniPlayer()->Movie(), other + "/second.swf");
    EXPECT_TRUE(form->miniPlayer()->IsPlaying());
}

TEST_F(Drops, AFolderIsListed) {
    startWith(movies.path());
    const auto data = filesData({other});
    // On a preview cell's player, which takes no drops itself: the window does.
    EXPECT_TRUE(dragOver(form->pvFlash(1), *data));
    EXPECT_TRUE(dropOn(form->pvFlash(1), *data));
    EXPECT_EQ(form->folderPath(), other);
    EXPECT_EQ(form->currentFile(), other);
    EXPECT_EQ(form->fileCount(), 2);
}

TEST_F(Drops, AnythingElseIsRefused) {
    startWith(movies.path());
    const QString before = form->currentFile();
    for (const QStringList& paths : {QStringList{movies.file("notes.txt")},
                                     QStringList{movies.file("gone.swf")},
                                     QStringList{"https://example.com/movie.swf"}}) {
        SCOPED_TRACE(paths.join(' ').toStdString());
        const auto data = filesData(paths);
        EXPECT_FALSE(dragOver(form.get(), *data));
        EXPECT_FALSE(dropOn(form.get(), *data));
    }
    QMimeData words;
    words.setText("just words");
    EXPECT_FALSE(dragOver(form.get(), words));
    EXPECT_FALSE(dropOn(form.get(), words));
    EXPECT_EQ(form->currentFile(), before);
    EXPECT_EQ(form->folderPath(), movies.path());
}

TEST_F(Drops, FilesOnATextBoxGoToTheWindowTextStaysTheBoxs) {
    startWith(movies.path());
    auto* texta = form->findChild<QLineEdit*>("Texta");
    ASSERT_TRUE(texta);
    const auto data = filesData({other + "/first.swf"});
    EXPECT_TRUE(dragOver(texta, *data));
    EXPECT_TRUE(dropOn(texta, *data));
    EXPECT_EQ(form->currentFile(), other + "/first.swf");
    EXPECT_EQ(texta->text(), other + "/first.swf");

    // Refused files are not typed into the box either.
    const auto text = filesData({movies.file("notes.txt")});
    EXPECT_FALSE(dropOn(texta, *text));
    EXPECT_EQ(texta->text(), other + "/first.swf");

    // Plain text is the box's own business: the window leaves it alone.
    QMimeData words;
    words.setText("typed");
    EXPECT_TRUE(dragOver(texta, words));
}

} // namespace
