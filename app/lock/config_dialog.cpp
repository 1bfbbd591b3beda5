#include "app/lock/config_dialog.h"

#include "app/lock/install_copy.h"
#include "app/lock/settings/screen_saver_settings.h"
#include "app/tools/tool_rules.h"
#include "platform/program_folder.h"

namespace lock {

QString settingsUnreadableMessage(const QString& path) {
    return "The settings file " + path + " could not be read.";
}

ConfigDialog::ConfigDialog(ConfigControls& controls, LockHost& host,
                           platform::FileDialog& fileDialog, QString programDir,
                           QString settingsPath)
    : controls_(controls), host_(host), fileDialog_(fileDialog), programDir_(std::move(programDir)),
      settingsPath_(std::move(settingsPath)) {}

QString ConfigDialog::defaultMovie() const {
    return platform::inFolder(programDir_, QStringLiteral("default.swf"));
}

void ConfigDialog::preview(const QString& path) {
    controls_.putPreviewMovie(path);
    controls_.previewPlay();
}

void ConfigDialog::Form_Load() {
    controls_.setMyChFile(host_.myFlash());
    controls_.setPassword(host_.myPassWord());
    controls_.setMuteChecked(host_.ifMute() == QLatin1String("T"));
    preview(controls_.myChFile());
}

void ConfigDialog::Form_Unload() {
    host_.setMainWindowEnabled(true);
}

void ConfigDialog::Command1_Click() {
    if (!tools::endsWithDotSwf(controls_.myChFile())) controls_.setMyChFile(defaultMovie());
    host_.setMyPassWord(controls_.password());
    host_.setMyFlash(controls_.myChFile());
    host_.setIfMute(controls_.muteChecked() ? QStringLiteral("T") : QStringLiteral("F"));
    controls_.closeDialog();
}

void ConfigDialog::Command2_Click() {
    controls_.closeDialog();
}

void ConfigDialog::Command3_Click() {
    host_.setIfMute(QStringLiteral("T"));
    controls_.setMuteChecked(true);
    host_.setMyFlash(defaultMovie());
    controls_.setMyChFile(defaultMovie());
    preview(controls_.myChFile());
    host_.setMyPassWord(QString());
    controls_.setPassword(QString());
}

platform::Status ConfigDialog::save() {
    QString movie = controls_.previewMovie();
    if (movie.isEmpty()) movie = defaultMovie();
    return writeSettingsFile(
        settingsPath_, formatSettings(movie, controls_.password(), controls_.muteChecked() ? 1 : 0));
}

void ConfigDialog::Command4_Click() {
    save(); // errors are not reported: the file is whole or as it was
}

void ConfigDialog::Command5_Click() {
    auto read = readSettingsFields(settingsPath_);
    if (!std::holds_alternative<QStringList>(read)) {
        host_.showMessage(settingsUnreadableMessage(settingsPath_));
        return;
    }
    const QStringList& fields = std::get<QStringList>(read);
    controls_.setMyChFile(fields[0]);
    controls_.setPassword(fields[1]);
    controls_.setMuteChecked(fields[2] != QLatin1String("0"));
    preview(fields[0]);
}

std::optional<QString> ConfigDialog::askForFile(platform::FileDialogMode mode, const QString& title,
                                               const QString& fileName, const QString& filter) {
    platform::FileDialogRequest request;
    request.mode = mode;
    request.title = title;
    request.fileName = fileName;
    request.filter = filter;
    request.flags = platform::kFileDialogStandardFlags;
    return fileDialog_.show(request);
}

void ConfigDialog::Command6_Click() {
    const std::optional<QString> chosen =
        askForFile(platform::FileDialogMode::Save, kInstallTitle, kScreenSaverFile, {});
    if (!chosen) return;
    save();
    installCopy(platform::inFolder(programDir_, kScreenSaverFile), tools::cutAtNul(*chosen));
}

void ConfigDialog::myBrowse_Click() {
    const std::optional<QString> chosen =
        askForFile(platform::FileDialogMode::Open, kBrowseTitle, {}, kBrowseFilter);
    if (!chosen) return;
    controls_.setMyChFile(tools::cutAtNul(*chosen));
    preview(controls_.myChFile());
    host_.setMyFlash(controls_.myChFile());
}

} // namespace lock
