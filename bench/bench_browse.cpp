// Browsing: a folder change on sixteen movies against a plain load and render of the same
// files; a folder of 5000 movies: folder change, memory and one row of scrolling.
//   bench_browse [program-folder]
#include "browse_bench_support.h"

#include "app/main/form1.h"
#include "app/playback/flash_player.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

// Loads and renders each file once at the given size, as one player would, from cold.
double plainLoadAndRender(const std::vector<QString>& files, QSize size) {
    swf::MovieCache cache;
    const auto t0 = Clock::now();
    for (const QString& f : files) {
        auto movie = cache.load(f.toStdString());
        if (!std::holds_alternative<swf::MoviePtr>(movie)) continue;
        swf::Player player(std::get<swf::MoviePtr>(movie));
        player.stop();
        swf::ShapeCache shapes;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        swf::renderFrame(player, painter, QRectF(QPointF(0, 0), QSizeF(size)), shapes);
    }
    return bench::millisecondsSince(t0);
}

// Draws the shown cells' players, as their next paint would.
void drawPlayers(Form1& form) {
    for (int k = 1; k <= browse::kCellCount; ++k) {
        FlashPlayer* player = form.pvFlash(k);
        if (!player->isVisible()) continue;
        QImage image(player->size(), QImage::Format_ARGB32_Premultiplied);
        player->render(&image);
    }
}

// Paints the whole grid (players, names, frames) now, onto the screen.
void drawGrid(Form1& form) {
    QRect grid;
    for (int k = 1; k <= browse::kCellCount; ++k)
        grid |= form.pvFlash(k)->geometry();
    form.centralWidget()->repaint(grid);
}

QStringList shownFiles(Form1& form) {
    QStringList out;
    for (int k = 1; k <= browse::kCellCount; ++k)
        if (!form.pvLabel(k)->text().isEmpty())
            out << form.folderPath() + "/" + form.pvLabel(k)->text();
    return out;
}

std::vector<QString> toVector(const QStringList& l) {
    return {l.begin(), l.end()};
}

double median(std::vector<double> v) {
    return bench::percentile(std::move(v), 0.5);
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir screenConfig;
    bench::useDesktopSizedScreen(screenConfig);
    QApplication app(argc, argv);
    const QString programDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(REELVISTA_BENCH_PROGRAM_DIR);
    const std::vector<QString> movies = bench::loadableMovies(16, programDir + "/samples");
    if (movies.size() < 16) {
        std::printf("fewer than 16 loadable movies found; nothing measured\n");
        return 0;
    }
    QTemporaryDir empty, sixteen, big, small;
    bench::linkFolder(sixteen.path(), movies, 16);

    Form1Services services;
    services.programDir = programDir;
    services.startFolder = empty.path();
    services.showSplash = false;
    Form1 form(services);
    form.Form_Load();
    QApplication::processEvents();
    const QSize cell = form.pvFlash(1)->size();
    std::printf("cell size %dx%d px\n", cell.width(), cell.height());

    // 1. Folder change on sixteen movies, cold, against one plain load + render.
    std::vector<double> players, grid, plain;
    for (int run = 0; run < 9; ++run) {
        for (bool wholeGrid : {false, true}) {
            form.setFolderPath(empty.path());
            form.centralWidget()->repaint();
            swf::MovieCache::shared().clear();
            auto t0 = Clock::now();
            form.setFolderPath(sixteen.path());
            wholeGrid ? drawGrid(form) : drawPlayers(form);
            (wholeGrid ? grid : players).push_back(bench::millisecondsSince(t0));
        }
        plain.push_back(plainLoadAndRender(toVector(shownFiles(form)), cell));
    }
    std::printf("folder change, 16 movies, to the 16 players drawn: %.1f ms; plain load+render "
                "%.1f ms; ratio %.2f (target <= 1.3)\n",
                median(players), median(plain), median(players) / median(plain));
    std::printf("  the same to the whole grid (players, names, frames) on the screen: %.1f ms; "
                "ratio %.2f\n",
                median(grid), median(grid) / median(plain));

    // 2. A folder of 5000 movies: folder change time and memory, against 500.
    bench::linkFolder(small.path(), movies, 500);
    bench::linkFolder(big.path(), movies, 5000);
    form.setFolderPath(empty.path());
    swf::MovieCache::shared().clear();
    form.setFolderPath(small.path());
    drawPlayers(form);
    form.setFolderPath(empty.path());
    const long rssSmall = bench::residentKiB();
    swf::MovieCache::shared().clear();
    auto t0 = Clock::now();
    form.setFolderPath(big.path());
    drawPlayers(form);
    const double bigChange = bench::millisecondsSince(t0);
    const long rssBig = bench::residentKiB();
    std::printf("folder change, 5000 movies: %.1f ms; resident memory %+ld KiB over a folder "
                "of 500 (%ld KiB in all)\n",
                bigChange, rssBig - rssSmall, rssBig);

    // 3. Scrolling one row at a time through the big folder.
    std::vector<double> step, stepPlain;
    for (int row = 1; row <= 20; ++row) {
        t0 = Clock::now();
        form.browser().setScrollValue(row);
        drawPlayers(form);
        step.push_back(bench::millisecondsSince(t0));
        stepPlain.push_back(plainLoadAndRender(toVector(shownFiles(form)), cell));
    }
    std::printf("scroll one row: %.1f ms; plain load+render of its 16 cells %.1f ms; ratio %.2f "
                "(target <= 1.3)\n",
                median(step), median(stepPlain), median(step) / median(stepPlain));
    for (int row = 21; row <= 300; ++row)
        form.browser().setScrollValue(row);
    std::printf("resident memory after scrolling 300 rows: %+ld KiB over the first listing\n",
                bench::residentKiB() - rssBig);
    form.close();
    return 0;
}
