#include "app/lock/lock_commands.h"

#include "app/lock/settings/screen_saver_settings.h"
#include "platform/program_folder.h"

namespace lock {

namespace {

std::unique_ptr<LockerProcess> unlessGiven(LockerLauncher* given, const QString& programDir) {
    if (given) return nullptr;
    return std::make_unique<LockerProcess>(platform::inFolder(programDir, kScreenSaverFile));
}

} // namespace

LockCommands::LockCommands(LockHost& host, platform::FileDialog& fileDialog,
                           LockServices services)
    : host_(host), fileDialog_(fileDialog), services_(std::move(services)),
      ownLauncher_(unlessGiven(services_.launcher, services_.programDir)),
      launcher_(services_.launcher ? *services_.launcher : *ownLauncher_),
      screen_(host_, launcher_) {
    if (services_.settingsPath.isEmpty()) services_.settingsPath = settingsFilePath();
}

LockCommands::~LockCommands() = default;

void LockCommands::Command21_Click() {
    if (config_ && config_->isVisible()) {
        config_->raise();
        config_->activateWindow();
        return;
    }
    host_.setMainWindowEnabled(false);
    // A window closed from inside its own handler goes once control is back in the loop.
    if (config_) config_.release()->deleteLater();
    config_ = std::make_unique<ConfigWindow>(host_, fileDialog_, services_.programDir,
                                             services_.settingsPath, services_.applySkin);
    config_->Form_Load();
    config_->show();
}

} // namespace lock
