#include "app/tools/search_windows.h"

#include "app/playback/flash_player.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tools {

namespace {
// drv is centred by its fixed size: 3480 × 1950 twips.
constexpr int kDrvWidth = 3480 / 15, kDrvHeight = 1950 / 15;
} // namespace

// ---- drv ----

DrvWindow::DrvWindow(SearchDialog& logic, std::function<void(QWidget&)> applySkin)
    : QWidget(nullptr, Qt::Dialog), logic_(logic), applySkin_(std::move(applySkin)) {
    setObjectName(QStringLiteral("drv"));
    setWindowTitle(searchtext::kDrvCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    Drive1_ = new QComboBox(this);
    Drive1_->setObjectName(QStringLiteral("Drive1"));
    layout->addWidget(Drive1_);
    auto addButton = [this](const QString& name, const QString& caption,
                            void (SearchDialog::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, handler] { choose(handler); });
        return b;
    };
    layout->addWidget(addButton(QStringLiteral("Command1"), QStringLiteral("Whole Computer"),
                                &SearchDialog::drvCommand1_Click));
    auto* row = new QHBoxLayout;
    row->addWidget(addButton(QStringLiteral("Command3"), QStringLiteral("Ok"), nullptr));
    row->addWidget(addButton(QStringLiteral("Command2"), QStringLiteral("Cancel"),
                             &SearchDialog::drvCommand2_Click));
    layout->addLayout(row);
}

QPushButton* DrvWindow::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

void DrvWindow::Form_Load() {
    int current = -1;
    Drive1_->clear();
    Drive1_->addItems(logic_.drvDrives(&current));
    if (current >= 0) Drive1_->setCurrentIndex(current);
    resize(std::max(kDrvWidth, sizeHint().width()), std::max(kDrvHeight, sizeHint().height()));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.left() + s.width() / 2 - kDrvWidth / 2, s.top() + s.height() / 2 - kDrvHeight / 2);
    }
    if (applySkin_) applySkin_(*this);
    show();
    raise();
    activateWindow();
}

void DrvWindow::choose(void (SearchDialog::*handler)()) {
    const QString driveText = Drive1_->currentText();
    SearchDialog& logic = logic_;
    close(); // deletes the window once back in the event loop
    if (handler)
        (logic.*handler)();
    else
        logic.drvCommand3_Click(driveText);
}

// ---- my_Searching ----

SearchWindow::SearchWindow(ToolHost& host, platform::Drives& drives,
                           std::function<void(QWidget&)> applySkin, MountSource mounts)
    // A window of its own, not a child: the main window is disabled while it is open.
    : QWidget(nullptr, Qt::Window), applySkin_(std::move(applySkin)),
      logic_(*this, host, drives, std::move(mounts)) {
    setObjectName(QStringLiteral("my_Searching"));
    setWindowTitle(searchtext::kCaption);
    auto* layout = new QVBoxLayout(this);
    menu_ = new QMenuBar(this);
    mySearching_ = menu_->addAction(searchtext::kSearching);
    mySearching_->setObjectName(QStringLiteral("mySearching"));
    connect(mySearching_, &QAction::triggered, this, [this] { logic_.mySearching_Click(); });
    layout->setMenuBar(menu_);

    auto* middle = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    List1_ = new HitListView(this);
    List1_->setObjectName(QStringLiteral("List1"));
    List1_->setModel(&logic_.List1());
    List1_->setMinimumSize(420, 300);
    List1_->installEventFilter(this);
    // A click or an arrow key selecting a line (the selection follows the current line
    // only after the current-line signal, so it is the selection that is watched).
    connect(List1_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { logic_.List1_Click(); });
    connect(List1_, &QAbstractItemView::doubleClicked, this, [this] { logic_.Command1_Click(); });
    left->addWidget(List1_, 1);
    Picture1_ = new QLabel(this);
    Picture1_->setObjectName(QStringLiteral("Picture1"));
    Picture1_->setFrameShape(QFrame::Panel);
    Picture1_->setFrameShadow(QFrame::Sunken);
    Picture1_->setTextFormat(Qt::PlainText);
    Picture1_->setMinimumWidth(100);
    Picture1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    left->addWidget(Picture1_);
    middle->addLayout(left, 3);

    auto* frame = new QGroupBox(QStringLiteral("Preview"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* frameLayout = new QVBoxLayout(frame);
    ShockwaveFlash1_ = new FlashPlayer(frame);
    ShockwaveFlash1_->setObjectName(QStringLiteral("ShockwaveFlash1"));
    ShockwaveFlash1_->setAutoPlay(true);
    ShockwaveFlash1_->setLoop(true);
    ShockwaveFlash1_->setMinimumSize(240, 180);
    frameLayout->addWidget(ShockwaveFlash1_, 1);
    Text1_ = new QLineEdit(frame);
    Text1_->setObjectName(QStringLiteral("Text1"));
    Text1_->setReadOnly(true);
    frameLayout->addWidget(Text1_);
    middle->addWidget(frame, 2);
    layout->addLayout(middle, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1_ = new QPushButton(QStringLiteral("Selected"), this);
    Command1_->setObjectName(QStringLiteral("Command1"));
    connect(Command1_, &QPushButton::clicked, this, [this] { logic_.Command1_Click(); });
    buttons->addWidget(Command1_);
    Command2_ = new QPushButton(QStringLiteral("Cancel"), this);
    Command2_->setObjectName(QStringLiteral("Command2"));
    connect(Command2_, &QPushButton::clicked, this, [this] { logic_.Command2_Click(); });
    buttons->addWidget(Command2_);
    layout->addLayout(buttons);

    Timer1_.setInterval(SearchDialog::kTimer1IntervalMs);
    connect(&Timer1_, &QTimer::timeout, this, [this] { logic_.Timer1_Timer(); });
    resize(800, 480);
}

SearchWindow::~SearchWindow() {
    if (drv_) delete drv_.data();
}

void SearchWindow::open() {
    if (applySkin_) applySkin_(*this);
    logic_.Form_Load();
    Timer1_.start();
    show();
    raise();
    activateWindow();
}

void SearchWindow::closeEvent(QCloseEvent* event) {
    if (!unloadedOnce_) {
        unloadedOnce_ = true;
        Timer1_.stop();
        if (drv_) drv_->close();
        logic_.Form_Unload();
        ShockwaveFlash1_->setMovie(QStringLiteral("0"));
        emit unloaded();
    }
    event->accept();
}

void SearchWindow::keyPressEvent(QKeyEvent* event) {
    // Keys the controls leave alone (Escape among them) come up to the window.
    if (event->key() == Qt::Key_Escape) {
        logic_.Form_KeyDown(kEscapeKeyCode);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool SearchWindow::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a line does what "Selected" does, as a double click does.
    if (watched == List1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            logic_.Command1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SearchWindow::setMenuCaption(const QString& caption) {
    mySearching_->setText(caption);
}
QString SearchWindow::menuCaption() const {
    return mySearching_->text();
}

void SearchWindow::setBusyPointer(bool busy) {
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void SearchWindow::printStatus(const QString& line) {
    Picture1_->setText(line);
}

int SearchWindow::selectedRow() const {
    const QModelIndexList rows = List1_->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void SearchWindow::scrollListToEnd() {
    List1_->scrollToBottom();
}
void SearchWindow::putPreviewMovie(const QString& path) {
    ShockwaveFlash1_->setMovie(path);
}
void SearchWindow::previewPlay() {
    ShockwaveFlash1_->Play();
}
void SearchWindow::setText1(const QString& text) {
    Text1_->setText(text);
}

void SearchWindow::showDrv() {
    if (!drv_) drv_ = new DrvWindow(logic_, applySkin_);
    drv_->Form_Load();
}

void SearchWindow::closeWindow() {
    close();
}

// ---- opening ----

SearchWindows::SearchWindows(ToolHost& host, platform::Drives& drives,
                             std::function<void(QWidget&)> applySkin, MountSource mounts)
    : host_(host), drives_(drives), applySkin_(std::move(applySkin)), mounts_(std::move(mounts)) {}

SearchWindows::~SearchWindows() {
    delete window_.data();
}

void SearchWindows::mySearch_Click() {
    host_.setMainWindowEnabled(false);
    if (window_) {
        window_->raise();
        window_->activateWindow();
        return;
    }
    window_ = new SearchWindow(host_, drives_, applySkin_, mounts_);
    SearchWindow* w = window_;
    // Deleted once back in the event loop: the close may come from one of its handlers.
    QObject::connect(w, &SearchWindow::unloaded, w, &QObject::deleteLater);
    w->open();
}

} // namespace tools
