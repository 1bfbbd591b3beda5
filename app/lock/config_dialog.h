// The configuration dialog myConfig without its window: what each button does to the
// dialog's controls, the main window's working copy and the settings file. The window
// implements ConfigControls over its real controls.
#pragma once

#include "app/lock/lock_host.h"
#include "platform/file_dialog.h"
#include "platform/io_status.h"

#include <QString>

#include <optional>

namespace lock {

class ConfigControls {
  public:
    virtual ~ConfigControls() = default;
    // The movie path box myChFile, the password box myPassWord, the check box ifMute.
    virtual QString myChFile() const = 0;
    virtual void setMyChFile(const QString& text) = 0;
    virtual QString password() const = 0;
    virtual void setPassword(const QString& text) = 0;
    virtual bool muteChecked() const = 0;
    virtual void setMuteChecked(bool checked) = 0;
    // The preview player ShockwaveFlash1: Movie put and get, Play.
    virtual void putPreviewMovie(const QString& path) = 0;
    virtual QString previewMovie() const = 0;
    virtual void previewPlay() = 0;
    virtual void closeDialog() = 0;
};

// Captions of the dialog's Browse and Install to Win file dialogs.
inline const QString kBrowseTitle = QStringLiteral("Open the *.swf file");
inline const QString kBrowseFilter = QStringLiteral("The ShockwaveFlash file(.swf)|*.swf");
inline const QString kInstallTitle =
    QStringLiteral("Copy the OrbisaneSCR.scr to the Windows system Direction");
inline const QString kScreenSaverFile = QStringLiteral("OrbisaneSCR.scr");

// The message when Load finds no settings file it can read.
QString settingsUnreadableMessage(const QString& path);

class ConfigDialog {
  public:
    ConfigDialog(ConfigControls& controls, LockHost& host, platform::FileDialog& fileDialog,
                 QString programDir, QString settingsPath);

    void Form_Load();
    void Form_Unload();
    void Command1_Click(); // Ok
    void Command2_Click(); // Canncel
    void Command3_Click(); // Default
    void Command4_Click(); // Save
    void Command5_Click(); // Load
    void Command6_Click(); // Install to Win
    void myBrowse_Click();

    // Save's work, with its outcome (the button ignores it).
    platform::Status save();
    const QString& settingsPath() const { return settingsPath_; }

  private:
    void preview(const QString& path);
    // The file dialog with the flags both of the dialog's requests use; nothing on cancel.
    std::optional<QString> askForFile(platform::FileDialogMode mode, const QString& title,
                                      const QString& fileName, const QString& filter);
    QString defaultMovie() const;

    ConfigControls& controls_;
    LockHost& host_;
    platform::FileDialog& fileDialog_;
    QString programDir_;
    QString settingsPath_;
};

} // namespace lock
