#include "projector/projector_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace projector {

namespace {

constexpr int kTwipsPerPixel = 20; // stage sizes are given in twentieths of a pixel

} // namespace

QSize windowSizeFor(const swf::Rect& stage, QSize available) {
    QSize size = stage.empty() ? QSize(550, 400)
                               : QSize(std::max(1, stage.width() / kTwipsPerPixel),
                                       std::max(1, stage.height() / kTwipsPerPixel));
    if (available.isValid() && !available.isEmpty() &&
        (size.width() > available.width() || size.height() > available.height()))
        size.scale(available, Qt::KeepAspectRatio);
    return size.expandedTo(QSize(1, 1));
}

ProjectorWindow::ProjectorWindow(const QString& title, swf::MoviePtr movie, QWidget* parent)
    : QWidget(parent), player_(this) {
    setWindowTitle(title);
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&player_);

    const swf::Rect stage = movie ? movie->stage : swf::Rect{};
    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(windowSizeFor(stage, screen ? screen->availableSize() : QSize()));
    player_.setLoadedMovie(title, std::move(movie));
}

void ProjectorWindow::toggleFullScreen() {
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

void ProjectorWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
        if (player_.IsPlaying())
            player_.Stop();
        else
            player_.Play();
        break;
    case Qt::Key_F11:
        toggleFullScreen();
        break;
    case Qt::Key_Escape:
        if (isFullScreen()) showNormal();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ProjectorWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    toggleFullScreen();
    event->accept();
}

} // namespace projector
