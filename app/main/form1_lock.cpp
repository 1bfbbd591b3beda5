#include "form1_lock.h"

#include "form1.h"
#include "skin_component.h"

using browse::HiddenLabel;

Form1Lock::Form1Lock(Form1& form, platform::FileDialog& fileDialog,
                     platform::MessageBoxes& messages, lock::LockerLauncher* launcher)
    : form_(form), messages_(messages) {
    lock::LockServices services;
    services.programDir = form.programDir();
    services.launcher = launcher;
    services.applySkin = [](QWidget& w) { applyStoredSkin(w); };
    commands_ = std::make_unique<lock::LockCommands>(*this, fileDialog, std::move(services));
    auto& c = *commands_;
    form.setHandler(QStringLiteral("Command21"), [&c] { c.Command21_Click(); });
    form.setHandler(QStringLiteral("Command22"), [&c] { c.Command22_Click(); });
    form.setHandler(QStringLiteral("Command23"), [&c] { c.Command23_Click(); });
}

QString Form1Lock::myFlash() const { return form_.hiddenLabel(HiddenLabel::myFlash); }
void Form1Lock::setMyFlash(const QString& path) { form_.setHiddenLabel(HiddenLabel::myFlash, path); }
QString Form1Lock::myPassWord() const { return form_.hiddenLabel(HiddenLabel::myPassWord); }
void Form1Lock::setMyPassWord(const QString& password) {
    form_.setHiddenLabel(HiddenLabel::myPassWord, password);
}
QString Form1Lock::ifMute() const { return form_.hiddenLabel(HiddenLabel::ifMute); }
void Form1Lock::setIfMute(const QString& flag) { form_.setHiddenLabel(HiddenLabel::ifMute, flag); }
QString Form1Lock::currentFile() const { return form_.currentFile(); }

void Form1Lock::setMainWindowEnabled(bool enabled) {
    form_.setEnabled(enabled);
}

void Form1Lock::setMainWindowVisible(bool visible) {
    if (!visible) {
        form_.hide();
        return;
    }
    form_.setVisible(true);
    form_.show();
    form_.raise();
    form_.activateWindow();
}

void Form1Lock::showMessage(const QString& text) {
    messages_.show(browse::kProgramTitle, text, platform::MessageIcon::None);
}

void Form1Lock::muteSpeakers() {
    if (form_.mixer()) form_.mixer()->VolumeMute(true);
}
