// The window of the configuration dialog myConfig ("Config"): the movie path box myChFile,
// the password box myPassWord, the Mute check box ifMute, the preview player ShockwaveFlash1
// in the frame "Preview", and the buttons Ok, Canncel, Default, Save, Load, Install to Win
// and Browse. Every handler is ConfigDialog's; closing the window by any route re-enables
// the main window once.
#pragma once

#include "app/lock/config_dialog.h"

#include <QWidget>

#include <functional>
#include <memory>

class FlashPlayer;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace lock {

class ConfigWindow final : public QWidget, private ConfigControls {
    Q_OBJECT
  public:
    // `applySkin` paints the window with its stored skin when it loads (may be empty).
    ConfigWindow(LockHost& host, platform::FileDialog& fileDialog, const QString& programDir,
                 const QString& settingsPath, std::function<void(QWidget&)> applySkin = {});
    ~ConfigWindow() override;

    // Skin, centre on the screen, fill in from the working copy, start the preview; then show.
    void Form_Load();
    ConfigDialog& logic() { return logic_; }

    QLineEdit* myChFileBox() const { return myChFile_; }
    QLineEdit* myPassWordBox() const { return myPassWord_; }
    QCheckBox* ifMuteBox() const { return ifMute_; }
    FlashPlayer* ShockwaveFlash1() const { return preview_; }
    QPushButton* button(const QString& name) const;

  signals:
    void unloaded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QString myChFile() const override;
    void setMyChFile(const QString& text) override;
    QString password() const override;
    void setPassword(const QString& text) override;
    bool muteChecked() const override;
    void setMuteChecked(bool checked) override;
    void putPreviewMovie(const QString& path) override;
    QString previewMovie() const override;
    void previewPlay() override;
    void closeDialog() override;

    QPushButton* addButton(const QString& name, const QString& caption, void (ConfigDialog::*handler)());

    std::function<void(QWidget&)> applySkin_;
    QLineEdit* myChFile_ = nullptr;
    QLineEdit* myPassWord_ = nullptr;
    QCheckBox* ifMute_ = nullptr;
    FlashPlayer* preview_ = nullptr;
    ConfigDialog logic_;
    bool unloadedOnce_ = false;
};

} // namespace lock
