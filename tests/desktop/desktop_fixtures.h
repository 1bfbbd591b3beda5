// Shared by the desktop tests: the main window with its desktop hooks over a folder of
// movies, and drag events as a file manager sends them.
#pragma once

#include "app/app_fixtures.h"
#include "app/main/form1_desktop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <memory>
#include <unistd.h>

namespace desktoptest {

inline bool runningAsRoot() {
    return geteuid() == 0;
}

// A folder of movies, a subfolder with movies of its own, and a file that is no movie.
class DesktopWindow : public apptest::FormFixture {
  protected:
    void SetUp() override {
        movies.addMovies(3);
        other = movies.subfolder("other");
        apptest::writeMovie(other + "/first.swf");
        apptest::writeMovie(other + "/second.swf");
        apptest::touch(movies.file("notes.txt"));
    }
    void TearDown() override {
        hooks.reset();
        apptest::FormFixture::TearDown();
    }
    // The window started in `start` with the start-up target applied, as the program does.
    void startWith(const QString& start, const desktop::OpenTarget& target = {}) {
        makeForm(target.usable() ? target.folder : start);
        hooks = std::make_unique<Form1Desktop>(*form);
        form->Form_Load();
        hooks->openAtStart(target);
    }
    QString base() const { return movies.path(); }

    apptest::MovieFolder movies;
    QString other;
    std::unique_ptr<Form1Desktop> hooks;
};

inline std::unique_ptr<QMimeData> filesData(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << (p.contains(QLatin1String("://")) ? QUrl(p) : QUrl::fromLocalFile(p));
    data->setUrls(urls);
    return data;
}

// Drags `data` into `w` and over it; true when the widget took it.
inline bool dragOver(QWidget* w, const QMimeData& data) {
    const QPoint at(w->width() / 2, w->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(w, &enter);
    return enter.isAccepted();
}

// Drops `data` on `w`; true when the drop was taken.
inline bool dropOn(QWidget* w, const QMimeData& data) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(w, &drop);
    return drop.isAccepted();
}

} // namespace desktoptest
