#include "form1.h"

#include "form1_help.h"
#include "form1_tools.h"
#include "form1_lock.h"

#include "drive_combo.h"
#include "folder_list.h"
#include "form1_capture.h"
#include "form1_playback.h"
#include "welcome_screen.h"

#include "app/playback/flash_player.h"
#include "platform/program_folder.h"
#include "platform/qt_file_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>

using browse::CellPart;
using browse::HiddenLabel;

namespace {

template <typename T> std::unique_ptr<T> unlessGiven(const void* given) {
    return given ? nullptr : std::make_unique<T>();
}

template <typename T> T& givenOr(T* given, const std::unique_ptr<T>& own) {
    return given ? *given : *own;
}

} // namespace

Form1::Form1(Form1Services services)
    : services_(std::move(services)),
      ownDrives_(unlessGiven<platform::SystemDrives>(services_.drives)),
      ownFileDialog_(unlessGiven<platform::QtFileDialog>(services_.fileDialog)),
      ownMessages_(unlessGiven<platform::QtMessageBoxes>(services_.messages)),
      programDir_(services_.programDir.isEmpty() ? platform::programFolder()
                                                 : services_.programDir),
      browser_(*this, givenOr(services_.drives, ownDrives_),
               givenOr(services_.fileDialog, ownFileDialog_),
               givenOr(services_.messages, ownMessages_)) {
    if (auto* dialog = dynamic_cast<platform::QtFileDialog*>(ownFileDialog_.get()))
        dialog->setParent(this);
    if (auto* boxes = dynamic_cast<platform::QtMessageBoxes*>(ownMessages_.get()))
        boxes->setParent(this);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Reelvista V2.0"));
    createControls();
    createCommands();
    playback_ = std::make_unique<Form1Playback>(*this);
    tools_ = std::make_unique<Form1Tools>(*this, givenOr(services_.fileDialog, ownFileDialog_),
                                          givenOr(services_.messages, ownMessages_),
                                          givenOr(services_.drives, ownDrives_));
    capture_ = std::make_unique<Form1Capture>(*this, givenOr(services_.fileDialog, ownFileDialog_));
    help_ = std::make_unique<Form1Help>(*this, services_.urlOpener);
    lock_ = std::make_unique<Form1Lock>(*this, givenOr(services_.fileDialog, ownFileDialog_),
                                        givenOr(services_.messages, ownMessages_),
                                        services_.lockLauncher);
    // The controls as created: folder list and file list in the process's current folder.
    browser_.start(services_.startFolder.isEmpty() ? QDir::currentPath() : services_.startFolder);
}

Form1::~Form1() = default;

// ---- start-up and shutdown ----

void Form1::Form_Load() {
    // The speakers stay muted while the main window is in use.
    mixer_ = std::make_unique<cVolume>();
    mixer_->VolumeMute(true);

    Skn_.loadSkin(platform::inFolder(programDir_, QStringLiteral("skins/winaqua.skn")));
    Skn_.applySkin(this);

    setHiddenLabel(HiddenLabel::myFlash, platform::inFolder(programDir_, "default.swf"));
    setHiddenLabel(HiddenLabel::myPassWord, QString());
    setHiddenLabel(HiddenLabel::ifMute, QStringLiteral("T"));

    browser_.setTexta(browser_.dirPath());

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        const QRect avail = screen->availableGeometry();
        setGeometry(avail.left(), avail.top(), s.width(), s.height() - browse::px(400));
    }
    loaded_ = true;
    if (layout()) layout()->activate(); // gives the client area its size before showing
    layoutControls();
    for (const Cell& cell : cells_)
        cell.pvFlash->setLoop(false);

    showState();
    reInitVScroll();
    File1_PathChange();

    setEnabled(false);
    hide();
    if (!services_.showSplash) {
        showAfterSplash();
        return;
    }
    welcomScr_ = std::make_unique<WelcomeScreen>([this] { showAfterSplash(); });
    welcomScr_->open();
}

void Form1::showAfterSplash() {
    setEnabled(true);
    setVisible(true);
    show();
    raise();
    activateWindow();
}

void Form1::unloadflash() {
    for (const Cell& cell : cells_)
        cell.pvFlash->setMovie(QStringLiteral("0"));
    if (mixer_) mixer_->VolumeMute(false);
}

void Form1::Form_Unload() {
    unloadflash();
}

void Form1::Exit_Click() {
    unloadflash();
    if (services_.endProgram)
        services_.endProgram();
    else
        QCoreApplication::exit(0); // leaves every event loop; no window unloads
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Form1::Frame2_DragDrop() {
    const int width = browse::twips(client_->width());
    Frame2_->setGeometry(browse::toPixels({4080, 1200, width - 4080 - 200, rowStep() - 450}));
}

// ---- shared state ----

QString Form1::statusText() const {
    return myState_->text();
}

QString Form1::hiddenLabel(HiddenLabel label) const {
    return hiddenLabels_.at(label)->text();
}

void Form1::setHiddenLabel(HiddenLabel label, const QString& caption) {
    hiddenLabels_.at(label)->setText(caption);
}

// ---- mirrors of the browsing state ----

void Form1::showTexta(const QString& text) {
    if (Texta_->text() == text) return; // typing: the box already shows it
    const QSignalBlocker block(Texta_);
    Texta_->setText(text);
}

void Form1::showFolder(const QString& path) {
    Dir1_->setPath(path);
}

void Form1::showDrives(const std::vector<platform::Drive>& drives, int index) {
    const QSignalBlocker block(Drive1_);
    Drive1_->clear();
    for (const platform::Drive& d : drives)
        Drive1_->addItem(d.displayName(), d.mountPoint);
    Drive1_->setCurrentIndex(index);
}

void Form1::showDrive(int index) {
    const QSignalBlocker block(Drive1_);
    Drive1_->setCurrentIndex(index);
}

void Form1::showScroll(int maximum, int value) {
    const QSignalBlocker block(VScroll1_);
    VScroll1_->setRange(0, maximum);
    VScroll1_->setValue(value);
}

void Form1::setCellLabel(int k, const QString& caption) {
    pvLabel(k)->setText(caption);
}

void Form1::setCellText(int k, const QString& text) {
    Text(k)->setText(text);
}

void Form1::setCellVisible(int k, browse::CellParts parts, bool visible) {
    const Cell& cell = cells_.at(k - 1);
    if (parts & CellPart::Player) cell.pvFlash->setVisible(visible);
    if (parts & CellPart::Button) cell.Command->setVisible(visible);
    if (parts & CellPart::TextBox) cell.Text->setVisible(visible);
}

void Form1::loadCellMovie(int k, const QString& path) {
    FlashPlayer* player = pvFlash(k);
    player->setMovie(path);
    player->setFrameNum(1);
    player->StopPlay();
}

void Form1::blankCellMovie(int k) {
    FlashPlayer* player = pvFlash(k);
    player->setMovie(QStringLiteral("0"));
    player->setBackgroundColor(-1);
    player->setBGColor(QStringLiteral("-1"));
}

void Form1::blankMiniPlayer() {
    miniPlayer_->setMovie(QStringLiteral("0"));
    miniPlayer_->setBackgroundColor(-1);
    miniPlayer_->setBGColor(QStringLiteral("-1"));
}

void Form1::playInMiniPlayer(const QString& path) {
    miniPlayer_->setMovie(path);
    miniPlayer_->Play();
}

void Form1::setPositionBarMaximum(int maximum) {
    HScroll1_->setMaximum(maximum);
}

void Form1::setStatus(const QString& text) {
    myState_->setText(text);
    myState_->setToolTip(text);
}

void Form1::setProgress(int value) {
    // A progress bar repaints itself at once on every step. Listing moves it sixteen times,
    // two or three times over, mostly faster than anyone could see; it is shown at once
    // only when the last time was a while ago, and painted with the window otherwise.
    constexpr qint64 kShowEveryMs = 40;
    const bool showNow = !progressShown_.isValid() || progressShown_.elapsed() >= kShowEveryMs;
    if (showNow) {
        ProgressBar1_->setValue(value);
        progressShown_.start();
        return;
    }
    ProgressBar1_->setUpdatesEnabled(false);
    ProgressBar1_->setValue(value);
    ProgressBar1_->setUpdatesEnabled(true); // schedules an ordinary update
}

// ---- commands ----

void Form1::setHandler(const QString& name, std::function<void()> handler) {
    commands_.setHandler(name, std::move(handler));
    refreshCommandStates();
}

bool Form1::runCommand(const QString& name) {
    return commands_.invoke(name);
}
