// What a path handed to the program from outside (its command line, a second start, a
// drop on the main window) asks for: a folder to list, a movie to list and play, or
// nothing, with the reason.
#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

namespace desktop {

struct OpenTarget {
    enum class Kind { Nothing, Folder, Movie };
    Kind kind = Kind::Nothing;
    QString folder; // the folder to list (a movie's own folder)
    QString movie;  // the movie's absolute path; empty unless kind is Movie
    QString problem; // why nothing can be opened; empty when something can

    bool usable() const { return kind != Kind::Nothing; }
};

// A movie is a file whose name ends in ".swf", in any case, as the file list shows them.
bool isMovieName(const QString& path);

// One path, relative to `base` when it is not absolute; a "file:" address counts as
// its local path.
OpenTarget classifyPath(const QString& path, const QString& base);

// Several paths, as a drop or a command line brings them: the first usable movie counts;
// without one the first usable folder; without either, the first path's problem.
OpenTarget pickTarget(const QStringList& paths, const QString& base);

// The local files a drag carries (other addresses are left out).
QStringList localPaths(const QMimeData& data);

} // namespace desktop
