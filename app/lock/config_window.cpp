#include "app/lock/config_window.h"

#include "app/playback/flash_player.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace lock {

ConfigWindow::ConfigWindow(LockHost& host, platform::FileDialog& fileDialog,
                           const QString& programDir, const QString& settingsPath,
                           std::function<void(QWidget&)> applySkin)
    // A window of its own, not a child: the main window is disabled while it is open.
    : QWidget(nullptr, Qt::Dialog), applySkin_(std::move(applySkin)),
      logic_(*this, host, fileDialog, programDir, settingsPath) {
    setObjectName(QStringLiteral("myConfig"));
    setWindowTitle(QStringLiteral("Config"));
    auto* layout = new QVBoxLayout(this);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("The flash file"), this), 0, 0);
    myChFile_ = new QLineEdit(this);
    myChFile_->setObjectName(QStringLiteral("myChFile"));
    myChFile_->setMinimumWidth(300);
    fields->addWidget(myChFile_, 0, 1);
    fields->addWidget(addButton(QStringLiteral("myBrowse"), QStringLiteral("Browse"),
                                &ConfigDialog::myBrowse_Click),
                      0, 2);
    fields->addWidget(new QLabel(QStringLiteral("Password"), this), 1, 0);
    myPassWord_ = new QLineEdit(this);
    myPassWord_->setObjectName(QStringLiteral("myPassWord"));
    myPassWord_->setEchoMode(QLineEdit::Password);
    myPassWord_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    myPassWord_->setPlaceholderText(QStringLiteral("Empty: Enter alone unlocks"));
    fields->addWidget(myPassWord_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Sound Config"), this), 2, 0);
    ifMute_ = new QCheckBox(QStringLiteral("Mute"), this);
    ifMute_->setObjectName(QStringLiteral("ifMute"));
    fields->addWidget(ifMute_, 2, 1);
    layout->addLayout(fields);

    auto* frame = new QGroupBox(QStringLiteral("Preview"), this);
    auto* frameLayout = new QVBoxLayout(frame);
    preview_ = new FlashPlayer(frame);
    preview_->setObjectName(QStringLiteral("ShockwaveFlash1"));
    preview_->setAutoPlay(true);
    preview_->setLoop(true);
    preview_->setMinimumSize(320, 240);
    frameLayout->addWidget(preview_);
    layout->addWidget(frame, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton(QStringLiteral("Command1"), QStringLiteral("Ok"),
                                 &ConfigDialog::Command1_Click));
    buttons->addWidget(addButton(QStringLiteral("Command2"), QStringLiteral("Canncel"),
                                 &ConfigDialog::Command2_Click));
    buttons->addWidget(addButton(QStringLiteral("Command3"), QStringLiteral("Default"),
                                 &ConfigDialog::Command3_Click));
    QPushButton* save = addButton(QStringLiteral("Command4"), QStringLiteral("Save"),
                                  &ConfigDialog::Command4_Click);
    save->setToolTip(QStringLiteral("Set this swf to system's SCR saver"));
    buttons->addWidget(save);
    buttons->addWidget(addButton(QStringLiteral("Command5"), QStringLiteral("Load"),
                                 &ConfigDialog::Command5_Click));
    buttons->addWidget(addButton(QStringLiteral("Command6"), QStringLiteral("Install to Win"),
                                 &ConfigDialog::Command6_Click));
    layout->addLayout(buttons);
}

ConfigWindow::~ConfigWindow() = default;

QPushButton* ConfigWindow::addButton(const QString& name, const QString& caption,
                                     void (ConfigDialog::*handler)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, handler] { (logic_.*handler)(); });
    return b;
}

QPushButton* ConfigWindow::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

void ConfigWindow::Form_Load() {
    if (applySkin_) applySkin_(*this);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.left() + (s.width() - width()) / 2, s.top() + (s.height() - height()) / 2);
    }
    logic_.Form_Load();
}

void ConfigWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (unloadedOnce_) return;
    unloadedOnce_ = true;
    preview_->setMovie(QStringLiteral("0"));
    logic_.Form_Unload();
    emit unloaded();
}

QString ConfigWindow::myChFile() const { return myChFile_->text(); }
void ConfigWindow::setMyChFile(const QString& text) { myChFile_->setText(text); }
QString ConfigWindow::password() const { return myPassWord_->text(); }
void ConfigWindow::setPassword(const QString& text) { myPassWord_->setText(text); }
bool ConfigWindow::muteChecked() const { return ifMute_->isChecked(); }
void ConfigWindow::setMuteChecked(bool checked) { ifMute_->setChecked(checked); }
void ConfigWindow::putPreviewMovie(const QString& path) { preview_->setMovie(path); }
QString ConfigWindow::previewMovie() const { return preview_->Movie(); }
void ConfigWindow::previewPlay() { preview_->Play(); }
void ConfigWindow::closeDialog() { close(); }

} // namespace lock
