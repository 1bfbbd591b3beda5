// exeh: the projector stub. Copied in front of a movie and its trailer, it becomes a
// program that plays that movie by itself. With --print-frames it only loads the movie,
// prints its frame count and exits, reporting problems on standard error alone.
#include "projector/carried_movie.h"
#include "projector/projector_window.h"

#include "swf/display/movie.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <filesystem>

namespace {

// The program's own file. /proc/self/exe opens it even after a rename or removal.
std::filesystem::path ownFile() {
    const std::filesystem::path self("/proc/self/exe");
    std::error_code ec;
    if (std::filesystem::is_symlink(self, ec)) return self;
    return QCoreApplication::applicationFilePath().toStdString();
}

// The program's own name, for titles.
QString ownName() {
    const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(target.isEmpty() ? QCoreApplication::applicationFilePath() : target)
        .fileName();
}

int fail(const QString& message, bool quiet) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(ownName()), qPrintable(message));
    if (!quiet) QMessageBox::critical(nullptr, ownName(), message);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool printFrames = app.arguments().contains(QStringLiteral("--print-frames"));

    auto carried = projector::readCarriedMovie(ownFile());
    if (auto* e = std::get_if<swf::Error>(&carried))
        return fail(QString::fromStdString(e->message), printFrames);
    auto loaded = swf::loadMovie(std::get<std::vector<std::uint8_t>>(carried));
    if (auto* e = std::get_if<swf::Error>(&loaded))
        return fail(QStringLiteral("The movie carried by this program cannot be played (%1).")
                        .arg(QString::fromStdString(e->message)),
                    printFrames);

    projector::ProjectorWindow window(projector::movieTitle(ownName()),
                                      std::get<swf::MoviePtr>(std::move(loaded)));
    if (printFrames) {
        std::printf("%d\n", window.player().TotalFrames());
        return 0;
    }
    window.player().setSoundEnabled(true);
    window.show();
    return app.exec();
}
