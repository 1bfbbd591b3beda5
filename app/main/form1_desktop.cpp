#include "form1_desktop.h"

#include "form1.h"
#include "form1_playback.h"
#include "welcome_screen.h"

#include "app/playback/flash_player.h"
#include "app/playback/player_keys.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

using desktop::OpenTarget;

namespace {

// Menu items and their shortcuts; the item's own command runs.
constexpr std::pair<const char*, const char*> kMenuKeys[] = {
    {"fileOpen", "Ctrl+O"},
    {"fullScreen", "F11"},
    {"myLastFrame", "Ctrl+Left"},
    {"myNextFrame", "Ctrl+Right"},
};
// Play and Pause share one key that does whichever fits; it is shown beside both.
constexpr const char* kPlayPauseKey = "Ctrl+P";
constexpr const char* kPlayPauseItems[] = {"mPlay", "mPause"};
// Marks the widgets of the preview cells, where Page Up and Page Down move the grid.
constexpr const char* kGridCellPart = "reelvistaGridCell";

} // namespace

Form1Desktop::Form1Desktop(Form1& form) : QObject(&form), form_(form) {
    form_.setAcceptDrops(true);
    form_.installEventFilter(this);
    // Text boxes take drops of their own (text); a drag of files goes to the window.
    for (QWidget* child : form_.findChildren<QWidget*>())
        if (child->acceptDrops()) child->installEventFilter(this);
    for (int k = 1; k <= browse::kCellCount; ++k)
        for (QWidget* part : {static_cast<QWidget*>(form_.pvFlash(k)),
                              static_cast<QWidget*>(form_.Text(k)),
                              static_cast<QWidget*>(form_.Command(k))})
        {
            part->setProperty(kGridCellPart, true);
            part->installEventFilter(this);
        }
    installShortcuts();
}

void Form1Desktop::installShortcuts() {
    for (const auto& [item, keys] : kMenuKeys)
        if (auto* action = form_.findChild<QAction*>(QString::fromLatin1(item)))
            action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    // Shown beside the items only (live just inside the open menu, where the two are
    // ambiguous and neither runs); the window's own action does the work.
    for (const char* item : kPlayPauseItems)
        if (auto* action = form_.findChild<QAction*>(QString::fromLatin1(item))) {
            action->setShortcut(QKeySequence(QString::fromLatin1(kPlayPauseKey)));
            action->setShortcutContext(Qt::WidgetShortcut);
        }

    const std::pair<const char*, void (Form1Desktop::*)()> windowKeys[] = {
        {kPlayPauseKey, &Form1Desktop::playPause},
        {"Ctrl+Home", &Form1Desktop::firstFrame},
        {"Ctrl+End", &Form1Desktop::lastFrame},
    };
    for (const auto& [keys, handler] : windowKeys) {
        auto* action = new QAction(&form_);
        action->setObjectName(QStringLiteral("key ") + QString::fromLatin1(keys));
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        connect(action, &QAction::triggered, this, handler);
        form_.addAction(action);
    }
}

// ---- opening ----

bool Form1Desktop::busy() const {
    if (QApplication::activeModalWidget()) return true;
    const bool splash = form_.welcomScr() && form_.welcomScr()->isVisible();
    return !form_.isEnabled() && !splash;
}

void Form1Desktop::openAtStart(const OpenTarget& target) {
    if (target.kind == OpenTarget::Kind::Movie)
        playMovie(target.movie);
    else if (!target.usable() && !target.problem.isEmpty())
        form_.setStatusText(target.problem);
}

bool Form1Desktop::open(const OpenTarget& target) {
    if (busy()) return false;
    switch (target.kind) {
    case OpenTarget::Kind::Nothing:
        if (!target.problem.isEmpty()) form_.setStatusText(target.problem);
        break;
    case OpenTarget::Kind::Folder:
        form_.setFolderPath(target.folder);
        form_.setCurrentFile(form_.folderPath());
        break;
    case OpenTarget::Kind::Movie:
        form_.setFolderPath(target.folder);
        playMovie(target.movie);
        break;
    }
    return true;
}

bool Form1Desktop::takeRequest(const QString& path) {
    if (busy()) {
        // The taskbar points the user at what holds the window.
        QWidget* modal = QApplication::activeModalWidget();
        QApplication::alert(modal ? modal : &form_);
        return false;
    }
    if (!path.isEmpty()) open(desktop::classifyPath(path, QDir::rootPath()));
    if (form_.isEnabled()) {
        if (form_.isMinimized()) form_.showNormal();
        form_.raise();
        form_.activateWindow();
    }
    return true;
}

void Form1Desktop::playMovie(const QString& movie) {
    // As choosing a cell does: the movie becomes the current file and the mini player
    // loads and plays it.
    form_.setCurrentFile(movie);
    form_.playback().miniPlaying();
    const QString why = form_.miniPlayer()->lastError();
    if (!why.isEmpty()) form_.setStatusText(QStringLiteral("Cannot play %1: %2").arg(movie, why));
}

// ---- keys ----

void Form1Desktop::playPause() {
    form_.runCommand(form_.miniPlayer()->IsPlaying() ? QStringLiteral("mPause")
                                                     : QStringLiteral("mPlay"));
}

void Form1Desktop::firstFrame() {
    playback::toFirstFrame(*form_.miniPlayer());
}

void Form1Desktop::lastFrame() {
    playback::toLastFrame(*form_.miniPlayer());
}

void Form1Desktop::scrollRows(int rows) {
    browse::Browser& browser = form_.browser();
    browser.setScrollValue(browser.scrollValue() + rows);
}

// ---- events ----

OpenTarget Form1Desktop::dropTarget(const QEvent* event) const {
    const auto* drop = static_cast<const QDropEvent*>(event);
    if (!drop->mimeData() || busy()) return {};
    return desktop::pickTarget(desktop::localPaths(*drop->mimeData()), QDir::rootPath());
}

bool Form1Desktop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        // Text dragged into a text box is the box's business.
        if (watched != &form_ && (!drag->mimeData() || !drag->mimeData()->hasUrls())) return false;
        if (dropTarget(event).usable())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (watched != &form_ && (!drop->mimeData() || !drop->mimeData()->hasUrls())) return false;
        const OpenTarget target = dropTarget(event);
        if (target.usable() && open(target))
            drop->acceptProposedAction();
        else
            drop->ignore();
        return true;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (!watched->property(kGridCellPart).toBool() || key->modifiers() != Qt::NoModifier)
            return false;
        if (key->key() == Qt::Key_PageUp) {
            scrollRows(-1);
            return true;
        }
        if (key->key() == Qt::Key_PageDown) {
            scrollRows(1);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}
