// Where the locker's movie pictures come from. The locker asks for a movie at the size of
// the primary screen, nudges it to keep playing, and paints whatever frame it is handed.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

namespace locker {

class MovieFeed {
  public:
    virtual ~MovieFeed() = default;
    // Starts (or starts again, at a new size) the movie.
    virtual void start(const QString& moviePath, QSize size) = 0;
    // The keep-playing tick: a movie that stopped resumes.
    virtual void keepPlaying() = 0;
    virtual void stop() = 0;
    // The movie's sounds are heard only once this is on (off at every start).
    virtual void setSoundOn(bool on) = 0;

    // Called with each new frame; a null image means black from now on.
    std::function<void(const QImage&)> onFrame;
};

} // namespace locker
