// Takes the manual's pictures of the real windows: starts the main window on the bundled
// sample movies, opens each window and menu through the program's own commands and saves
// what is on the screen as PNG files. Run under an X server (scripts/manual-pictures.sh
// starts one). File dialogs are answered with "cancel", except that the projector dialog
// is given a projector's name; no browser or locker starts.
// Usage: manual_pictures OUT_DIR PROGRAM_DIR MOVIE_FOLDER
#include "app/main/form1.h"
#include "app/main/form1_desktop.h"
#include "app/main/welcome_screen.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/url_opener.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTimer>

#include <cstdio>

namespace {

class ScriptedDialog final : public platform::FileDialog {
  public:
    explicit ScriptedDialog(QString projector) : projector_(std::move(projector)) {}
    std::optional<QString> show(const platform::FileDialogRequest& request) override {
        if (request.mode == platform::FileDialogMode::Open && request.filter.contains(QStringLiteral("*.exe")))
            return projector_;
        return std::nullopt;
    }

  private:
    QString projector_;
};

void click(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

class QuietMessages final : public platform::MessageBoxes {
  public:
    void show(const QString&, const QString&, platform::MessageIcon) override {}
};

class NoBrowser final : public platform::UrlOpener {
  public:
    bool open(const QUrl&) override { return true; }
};

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class Pictures {
  public:
    explicit Pictures(QString outDir) : outDir_(std::move(outDir)) {}

    // A window's own pixels; wide windows are scaled to `width` so pages stay readable.
    void save(const QPixmap& picture, const QString& name, int width = 0) {
        QPixmap p = picture;
        if (width > 0 && p.width() > width)
            p = p.scaledToWidth(width, Qt::SmoothTransformation);
        const QString path = QDir(outDir_).filePath(name + QStringLiteral(".png"));
        if (p.isNull() || !p.save(path, "PNG")) {
            std::fprintf(stderr, "could not make %s\n", qPrintable(path));
            failed_ = true;
            return;
        }
        std::printf("%s %dx%d\n", qPrintable(name), p.width(), p.height());
    }
    void saveWindow(QWidget* w, const QString& name, int width = 0) { save(w->grab(), name, width); }
    void saveScreen(const QString& name, int width) {
        save(QGuiApplication::primaryScreen()->grabWindow(0), name, width);
    }
    bool failed() const { return failed_; }

  private:
    QString outDir_;
    bool failed_ = false;
};

QSet<QWidget*> visibleWindows() {
    QSet<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !qobject_cast<QMenu*>(w)) out.insert(w);
    return out;
}

// Runs a command of the main window and saves the windows it opened, then closes them.
void commandWindows(Form1& form, Pictures& pictures, const QString& command, const QString& name) {
    const QSet<QWidget*> before = visibleWindows();
    if (!form.runCommand(command)) {
        std::fprintf(stderr, "the command %s is not available\n", qPrintable(command));
        return;
    }
    QList<QWidget*> opened;
    waitFor([&] {
        opened = (visibleWindows() - before).values();
        return !opened.isEmpty();
    }, 3000);
    settle(400);
    int n = 0;
    for (QWidget* w : opened)
        pictures.saveWindow(w, n++ == 0 ? name : name + QString::number(n));
    for (QWidget* w : opened)
        w->close();
    settle(200);
}

// The search window, and its scope dialog as "&Searching" opens it; nothing is searched.
void searchWindows(Form1& form, Pictures& pictures) {
    const QSet<QWidget*> before = visibleWindows();
    if (!form.runCommand(QStringLiteral("mySearch"))) return;
    QList<QWidget*> opened;
    waitFor([&] { return !(opened = (visibleWindows() - before).values()).isEmpty(); }, 3000);
    if (opened.isEmpty()) return;
    QWidget* search = opened.front();
    settle(400);
    pictures.saveWindow(search, QStringLiteral("search"));
    for (QAction* action : search->findChildren<QAction*>()) {
        if (action->text() != QStringLiteral("&Searching")) continue;
        const QSet<QWidget*> withSearch = visibleWindows();
        QTimer::singleShot(0, action, &QAction::trigger);
        QList<QWidget*> scope;
        waitFor([&] { return !(scope = (visibleWindows() - withSearch).values()).isEmpty(); }, 3000);
        settle(300);
        for (QWidget* w : scope) {
            pictures.saveWindow(w, QStringLiteral("search-scope"));
            for (QPushButton* b : w->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("Cancel")) b->click();
        }
        settle(300);
        break;
    }
    search->close();
    settle(300);
}

void menus(Form1& form, Pictures& pictures) {
    QMenuBar* bar = form.menuBar();
    for (QAction* action : bar->actions()) {
        QMenu* menu = action->menu();
        if (!menu) continue;
        QString name = menu->objectName();
        if (name.isEmpty()) name = action->text().remove(QLatin1Char('&'));
        bar->setActiveAction(action);
        waitFor([&] { return menu->isVisible(); }, 2000);
        settle(200);
        pictures.saveWindow(menu, QStringLiteral("menu-") + name.toLower());
        menu->hide();
        bar->setActiveAction(nullptr);
        settle(100);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Reelvista"));
    if (argc < 4) {
        std::fprintf(stderr, "usage: manual_pictures OUT_DIR PROGRAM_DIR MOVIE_FOLDER\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString programDir = QString::fromLocal8Bit(argv[2]);
    const QString samples = QString::fromLocal8Bit(argv[3]);
    QDir().mkpath(outDir);
    const QStringList movies = QDir(samples).entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    if (movies.isEmpty()) {
        std::fprintf(stderr, "no sample movies in %s\n", qPrintable(samples));
        return 1;
    }

    ScriptedDialog dialog(QDir(samples).filePath(QFileInfo(movies.front()).completeBaseName() +
                                                 QStringLiteral(".exe")));
    QuietMessages messages;
    NoBrowser browser;
    Form1Services services;
    services.fileDialog = &dialog;
    services.messages = &messages;
    services.urlOpener = &browser;
    services.programDir = programDir;
    services.startFolder = samples;
    services.endProgram = [] {};
    Form1 form(services);
    Form1Desktop desktopHooks(form); // the keys and drops, as the program has them
    Pictures pictures(outDir);

    form.Form_Load();
    settle(300);
    if (form.welcomScr() && form.welcomScr()->isVisible())
        pictures.saveWindow(form.welcomScr(), QStringLiteral("welcome"));
    waitFor([&] { return form.isVisible() && form.isEnabled(); }, 5000);

    // The first preview clicked: its movie is the current file, playing in the mini player.
    settle(1500);
    click(form.pvLabel(1));
    settle(2500);
    pictures.saveWindow(&form, QStringLiteral("main-window"), 1280);
    menus(form, pictures);

    commandWindows(form, pictures, QStringLiteral("mySwf2Exe"), QStringLiteral("swf2exe"));
    commandWindows(form, pictures, QStringLiteral("myExe2Swf"), QStringLiteral("exe2swf"));
    commandWindows(form, pictures, QStringLiteral("mymoveTo"), QStringLiteral("move-to"));
    commandWindows(form, pictures, QStringLiteral("mydelete"), QStringLiteral("delete"));
    commandWindows(form, pictures, QStringLiteral("myConfigMn"), QStringLiteral("lock-config"));
    searchWindows(form, pictures);

    // Full screen, with the control bar slid in by the pointer at the top edge.
    QCursor::setPos(960, 600);
    const QSet<QWidget*> before = visibleWindows();
    form.runCommand(QStringLiteral("fullScreen"));
    settle(2500);
    pictures.saveScreen(QStringLiteral("full-screen"), 1280);
    QCursor::setPos(960, 0);
    settle(1500);
    pictures.saveScreen(QStringLiteral("full-screen-bar"), 1280);
    for (QWidget* w : visibleWindows() - before)
        w->close();
    settle(500);

    form.Exit_Click();
    return pictures.failed() ? 1 : 0;
}
