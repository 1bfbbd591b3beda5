#include "form1_playback.h"

#include "form1.h"

#include "app/playback/flash_player.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

using browse::HiddenLabel;

Form1Playback::Form1Playback(Form1& form)
    : form_(form), desktopBar_(platform::makeDesktopBar()),
      fullScreen_(std::make_unique<playback::FullScreen>(*this, *desktopBar_, cursor_)) {
    for (int k = 1; k <= browse::kCellCount; ++k) {
        cells_.emplace_back(*this, k);
        form_.pvLabel(k)->setCursor(playback::previewLabelPointer());
    }
    form_.miniPlayer()->setSoundEnabled(true);
    connectControls();
}

Form1Playback::~Form1Playback() = default;

void Form1Playback::connectControls() {
    using playback::MiniPlayerControls;
    auto& c = controls_;
    const std::pair<const char*, void (MiniPlayerControls::*)()> handlers[] = {
        {"toolbt3", &MiniPlayerControls::toolbt3},
        {"toolbt4", &MiniPlayerControls::toolbt4},
        {"toolbt7", &MiniPlayerControls::toolbt7},
        {"toolbt9", &MiniPlayerControls::toolbt9},
        {"toolbt10", &MiniPlayerControls::toolbt10},
        {"toolbt11", &MiniPlayerControls::toolbt11},
        {"toolbt12", &MiniPlayerControls::toolbt12},
        {"toolbt13", &MiniPlayerControls::toolbt13},
        {"myLastFrame", &MiniPlayerControls::myLastFrame},
        {"myNextFrame", &MiniPlayerControls::myNextFrame},
        {"go_on", &MiniPlayerControls::go_on},
        {"pause", &MiniPlayerControls::pause},
        {"Check1_Click", &MiniPlayerControls::Check1_Click},
        {"mLoop", &MiniPlayerControls::mLoop_Click},
        {"playthis", &MiniPlayerControls::playthis},
        {"playingmini", &MiniPlayerControls::playingmini},
        {"FlatBttn19", &MiniPlayerControls::FlatBttn19},
        {"FlatBttn20", &MiniPlayerControls::FlatBttn20},
    };
    for (const auto& [name, handler] : handlers)
        form_.setHandler(QString::fromLatin1(name), [&c, handler] { (c.*handler)(); });
    form_.setHandler(QStringLiteral("HScroll1_Scroll"),
                     [this] { controls_.HScroll1_Scroll(form_.HScroll1()->sliderPosition()); });

    // The user's clicks and scrolling only: the timer's and the handlers' own settings of
    // these controls run nothing.
    QObject::connect(form_.Check1(), &QCheckBox::clicked, &form_,
                     [this] { form_.runCommand(QStringLiteral("Check1_Click")); });
    QObject::connect(form_.HScroll1(), &QScrollBar::actionTriggered, &form_,
                     [this] { form_.runCommand(QStringLiteral("HScroll1_Scroll")); });
    QObject::connect(&form_.Timer1(), &QTimer::timeout, &form_,
                     [this] { controls_.Timer1_Timer(); });
    form_.Timer1().start();
}

FlashPlayer& Form1Playback::miniPlayer() {
    return *form_.miniPlayer();
}
QString Form1Playback::cellFolder() const {
    return form_.filePath();
}
void Form1Playback::showForm2() {
    fullScreen_->showForm2();
}
void Form1Playback::showForm3() {
    fullScreen_->showForm3();
}

QString Form1Playback::currentFile() const {
    return form_.currentFile();
}
int Form1Playback::positionMaximum() const {
    return form_.HScroll1()->maximum();
}

void Form1Playback::setPositionMaximum(int maximum) {
    const QSignalBlocker quiet(form_.HScroll1());
    form_.HScroll1()->setMaximum(maximum);
}

void Form1Playback::setPositionValue(int value) {
    const QSignalBlocker quiet(form_.HScroll1());
    form_.HScroll1()->setValue(value);
}

void Form1Playback::setFrameLabel(const QString& text) {
    form_.Label3()->setText(text);
}
void Form1Playback::setCounterText(const QString& text) {
    form_.SkinLabel1()->setText(text);
}
bool Form1Playback::loopChecked() const {
    return form_.Check1()->isChecked();
}

void Form1Playback::setLoopChecked(bool checked) {
    const QSignalBlocker quiet(form_.Check1());
    form_.Check1()->setChecked(checked);
}

void Form1Playback::setLoopMenuChecked(bool checked) {
    mLoopChecked_ = checked;
    if (auto* item = form_.findChild<QAction*>(QStringLiteral("mLoop"))) {
        const QSignalBlocker quiet(item);
        item->setChecked(checked);
    }
}

bool Form1Playback::fromCurrentFrameChecked() const {
    return form_.Check2()->isChecked();
}

void Form1Playback::setBeginat(const QString& caption) {
    form_.setHiddenLabel(HiddenLabel::beginat, caption);
}

QString Form1Playback::beginat() const {
    return form_.hiddenLabel(HiddenLabel::beginat);
}
QString Form1Playback::cellFileName(int k) const {
    return form_.pvLabel(k)->text();
}
FlashPlayer& Form1Playback::cellPlayer(int k) {
    return *form_.pvFlash(k);
}
void Form1Playback::setMainWindowEnabled(bool enabled) {
    form_.setEnabled(enabled);
}
void Form1Playback::setMainWindowVisible(bool visible) {
    form_.setVisible(visible);
}

void Form1Playback::applyBarSkin(QWidget& bar) {
    barSkin_.useStoredSkin();
    barSkin_.applySkin(&bar);
}

void Form1Playback::setCurrentFile(const QString& path) {
    form_.setCurrentFile(path);
}

void Form1Playback::setOFileName(const QString& name) {
    form_.setHiddenLabel(HiddenLabel::oFileName, name);
}

QString Form1Playback::labelCaption(int k) const {
    return form_.pvLabel(k)->text();
}
QString Form1Playback::textOf(int k) const {
    return form_.Text(k)->text();
}
void Form1Playback::focusText(int k) {
    form_.Text(k)->setFocus(Qt::OtherFocusReason);
}

void Form1Playback::setLabelPointer(int k, const QCursor& pointer) {
    form_.pvLabel(k)->setCursor(pointer);
}
