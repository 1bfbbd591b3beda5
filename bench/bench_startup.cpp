// Start-up: from the start of the process to the main window shown, with and without the
// welcome splash's own second. Starts in the program's sample folder.
//   bench_startup [program-folder]
#include "browse_bench_support.h"

#include "app/main/form1.h"
#include "app/main/welcome_screen.h"

#include <QApplication>
#include <QEvent>

#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

// Notes the moment a widget is first shown, and leaves the event loop then.
class ShownWatch : public QObject {
  public:
    std::optional<Clock::time_point> shown;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show && !shown) {
            shown = Clock::now();
            QCoreApplication::exit(0);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    const auto start = Clock::now();
    QTemporaryDir screenConfig;
    bench::useDesktopSizedScreen(screenConfig);
    QApplication app(argc, argv);
    const QString programDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(REELVISTA_BENCH_PROGRAM_DIR);
    Form1Services services;
    services.programDir = programDir;
    services.startFolder = programDir + "/samples";
    Form1 form(services);
    ShownWatch watch;
    form.installEventFilter(&watch);
    form.Form_Load();
    const double loaded = bench::millisecondsSince(start);
    const auto splashOpened = Clock::now();
    QApplication::exec();
    if (!watch.shown) {
        std::printf("the main window was not shown\n");
        return 1;
    }
    const double splash =
        std::chrono::duration<double, std::milli>(*watch.shown - splashOpened).count();
    const double total = std::chrono::duration<double, std::milli>(*watch.shown - start).count();
    std::printf("start-up: Form_Load done after %.1f ms; main window shown after %.1f ms, of which "
                "the splash's own %d ticks took %.1f ms; start-up without the splash %.1f ms\n",
                loaded, total, WelcomeScreen::kLastTick, splash, total - splash);
    form.close();
    return 0;
}
