#include "app/tools/search_dialog.h"

namespace tools {

namespace {
// The list's room reserved before the first search: lines and bytes of text.
constexpr size_t kReservedHits = 30000;
constexpr size_t kReservedBytes = 6000000;
} // namespace

SearchDialog::SearchDialog(SearchControls& controls, ToolHost& host, platform::Drives& drives,
                           MountSource mounts)
    : controls_(controls), host_(host), drives_(drives), mounts_(std::move(mounts)) {
    statusTimer_.setInterval(kStatusRefreshMs);
    connect(&statusTimer_, &QTimer::timeout, this, &SearchDialog::showFolder);
}

SearchDialog::~SearchDialog() = default;

void SearchDialog::Form_Load() {
    host_.setMainWindowEnabled(false);
    List1_.reserve(kReservedHits, kReservedBytes);
    pattern_ = QStringLiteral("*.swf");
    controls_.setMenuCaption(searchtext::kSearching);
}

void SearchDialog::Form_Unload() {
    if (searching_) stop();
    run_.reset();
    host_.setMainWindowEnabled(true);
}

void SearchDialog::Form_KeyDown(int keyCode) {
    if (keyCode == kEscapeKeyCode && searching_) stop();
}

void SearchDialog::mySearching_Click() {
    if (searching_) {
        stop();
        return;
    }
    if (controls_.menuCaption() == searchtext::kStop) return;
    controls_.showDrv();
}

void SearchDialog::doing() {
    if (Label1_ == searchtext::kCancelled) return;
    if (searching_) stop(); // one run at a time
    controls_.setBusyPointer(true);
    searching_ = listing_ = true;
    controls_.setMenuCaption(searchtext::kStop);
    List1_.clear();

    const std::vector<platform::Drive> drives = drives_.list();
    SearchScope scope;
    scope.pattern = pattern_.toStdString();
    for (const platform::Drive& d : drives) {
        scope.drives.push_back(d.mountPoint.toStdString());
        if (Label1_ == searchtext::kWholeComputer || d.displayName() == Label1_) {
            scope.roots.push_back(d.mountPoint.toStdString());
            if (Label1_ != searchtext::kWholeComputer) break;
        }
    }
    if (scope.roots.empty()) {
        finish();
        return;
    }
    run_ = std::make_unique<SearchRun>(std::move(scope), mounts_);
    connect(run_.get(), &SearchRun::hitsWaiting, this, &SearchDialog::takeHits);
    connect(run_.get(), &SearchRun::ended, this, [this] {
        takeHits();
        if (searching_) finish();
    });
    shownFolder_.clear();
    statusTimer_.start();
    run_->start();
}

void SearchDialog::takeHits() {
    if (!searching_ || !listing_ || !run_) return;
    const HitStore hits = run_->takeHits();
    if (hits.empty()) return;
    // The folder whose hits these are is shown before they are listed.
    showFolder();
    List1_.append(hits);
    controls_.scrollListToEnd();
}

void SearchDialog::showFolder() {
    if (!searching_ || !run_) return;
    const QString folder = run_->currentFolder();
    if (folder.isEmpty() || folder == shownFolder_) return;
    shownFolder_ = folder;
    controls_.printStatus(QStringLiteral("Searching ") + folder);
}

void SearchDialog::stop() {
    if (run_) run_->requestStop();
    finish();
}

void SearchDialog::finish() {
    statusTimer_.stop();
    searching_ = listing_ = false;
    controls_.setMenuCaption(searchtext::kSearchedBefore);
    controls_.setBusyPointer(false);
    controls_.printStatus(QStringLiteral("Find File(s): ") + QString::number(List1_.count()) +
                          QStringLiteral(" items found matching \"") + pattern_ +
                          QStringLiteral("\""));
    emit searchEnded();
}

void SearchDialog::List1_Click() {
    const QString path = List1_.path(controls_.selectedRow());
    if (path.isEmpty()) return;
    controls_.putPreviewMovie(path);
    controls_.previewPlay();
    controls_.setText1(path);
}

void SearchDialog::Command1_Click() {
    const QString path = List1_.path(controls_.selectedRow());
    if (path.isEmpty()) {
        host_.showMessage(searchtext::kNoSelection, MessageIcon::None);
        return;
    }
    host_.setCurrentFile(path);
    host_.playInMiniPlayer(path);
    controls_.closeWindow();
}

void SearchDialog::Command2_Click() {
    controls_.closeWindow();
}

void SearchDialog::Timer1_Timer() {
    controls_.previewPlay();
}

QStringList SearchDialog::drvDrives(int* current) const {
    const std::vector<platform::Drive> drives = drives_.list();
    QStringList names;
    for (const platform::Drive& d : drives)
        names << d.displayName();
    if (current) *current = platform::driveIndexFor(drives, host_.folderPath());
    return names;
}

void SearchDialog::drvCommand1_Click() {
    Label1_ = searchtext::kWholeComputer;
    doing();
}

void SearchDialog::drvCommand3_Click(const QString& driveText) {
    Label1_ = driveText;
    doing();
}

void SearchDialog::drvCommand2_Click() {
    Label1_ = searchtext::kCancelled;
    doing();
}

} // namespace tools
