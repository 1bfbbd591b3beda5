#include "browser.h"

#include "grid_math.h"
#include "path_rules.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace browse {

namespace {

constexpr CellParts kAllParts = CellPart::Player | CellPart::Button | CellPart::TextBox;

const QString kOpenTitle = QStringLiteral("Open the *.swf file");
const QString kOpenFilter = QStringLiteral("The ShockwaveFlash file(.swf)|*.swf");
const QString kFloppyNotReady = QStringLiteral("Floppy drive is not be ready!");

} // namespace

QString usableFolder(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) return {};
    QString clean = QDir::cleanPath(path);
    while (clean.startsWith(QLatin1String("//")))
        clean.remove(0, 1);
    const QFileInfo info(clean);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) return {};
    return clean;
}

Browser::Browser(BrowserView& view, platform::Drives& drives, platform::FileDialog& fileDialog,
                 platform::MessageBoxes& messages)
    : view_(view), drivesApi_(drives), fileDialog_(fileDialog), messages_(messages) {}

void Browser::start(const QString& folder) {
    startFolder_ = usableFolder(folder);
    if (startFolder_.isEmpty()) startFolder_ = usableFolder(QDir::homePath());
    if (startFolder_.isEmpty()) startFolder_ = QStringLiteral("/");
    drives_ = drivesApi_.list();
    dirPath_ = startFolder_;
    file1_.setPath(dirPath_);
    driveIndex_ = platform::driveIndexFor(drives_, dirPath_);
    if (driveIndex_ >= 0) driveFolders_[drives_[driveIndex_].mountPoint] = dirPath_;
    view_.showFolder(dirPath_);
    view_.showDrives(drives_, driveIndex_);
    view_.showScroll(scrollMax_, scrollValue_);
}

// ---- control values ----

void Browser::setTexta(const QString& text) {
    if (text == texta_) return;
    texta_ = text;
    view_.showTexta(text);
    Texta_Change();
}

bool Browser::setDirPath(const QString& path) {
    const QString folder = usableFolder(path);
    if (folder.isEmpty()) return false;
    const int drive = platform::driveIndexFor(drives_, folder);
    if (drive >= 0) driveFolders_[drives_[drive].mountPoint] = folder;
    if (folder == dirPath_) return true;
    dirPath_ = folder;
    view_.showFolder(folder);
    Dir1_Change();
    return true;
}

void Browser::setFilePath(const QString& path) {
    const bool changed = path != file1_.path();
    file1_.setPath(path);
    if (changed) File1_PathChange();
}

void Browser::setDriveIndex(int index) {
    if (index < 0 || index >= static_cast<int>(drives_.size()) || index == driveIndex_) return;
    driveIndex_ = index;
    view_.showDrive(index);
    Drive1_Change();
}

void Browser::setScrollValue(int value) {
    value = std::clamp(value, 0, scrollMax_);
    if (value == scrollValue_) return;
    scrollValue_ = value;
    view_.showScroll(scrollMax_, scrollValue_);
    VScroll1_Change();
}

void Browser::setScrollMaximum(int maximum) {
    scrollMax_ = std::max(0, maximum);
    if (scrollValue_ <= scrollMax_) {
        view_.showScroll(scrollMax_, scrollValue_);
        return;
    }
    // A lowered maximum pulls the value down with it, which is a change of the value.
    scrollValue_ = scrollMax_;
    view_.showScroll(scrollMax_, scrollValue_);
    VScroll1_Change();
}

void Browser::refreshDrives() {
    const QString selected = driveIndex_ >= 0 ? drives_[driveIndex_].mountPoint : QString();
    drives_ = drivesApi_.list();
    auto same = std::find_if(drives_.begin(), drives_.end(),
                             [&](const platform::Drive& d) { return d.mountPoint == selected; });
    driveIndex_ = same != drives_.end() ? static_cast<int>(same - drives_.begin())
                                        : platform::driveIndexFor(drives_, dirPath_);
    view_.showDrives(drives_, driveIndex_);
}

QString Browser::driveFolder(int index) const {
    const QString& mount = drives_[index].mountPoint;
    if (auto it = driveFolders_.find(mount); it != driveFolders_.end()) return it->second;
    for (const QString& folder : {startFolder_, QDir::homePath()})
        if (platform::driveIndexFor(drives_, folder) == index) return folder;
    return mount;
}

void Browser::selectDriveFor(const QString& path) {
    const int index = platform::driveIndexFor(drives_, path);
    if (index < 0 || index == driveIndex_) return;
    driveIndex_ = index;
    view_.showDrive(index);
    Drive1_Change();
}

void Browser::repairTexta() {
    if (auto repaired = repairDoubledRoot(texta_)) setTexta(*repaired);
}

// ---- folder navigation ----

void Browser::Drive1_Change() {
    if (driveIndex_ < 0 || driveIndex_ >= static_cast<int>(drives_.size())) return;
    const platform::Drive drive = drives_[driveIndex_];
    // The folder the drive last showed may have gone; its top folder is the fallback.
    const bool moved = drivesApi_.isReady(drive) &&
                       (setDirPath(driveFolder(driveIndex_)) || setDirPath(drive.mountPoint));
    if (!moved) {
        if (drive.floppy)
            messages_.show(kProgramTitle, kFloppyNotReady, platform::MessageIcon::Critical);
        return;
    }
    firstRow_ = 0;
    reListBox();
    repairTexta();
}

void Browser::Dir1_Change() {
    setFilePath(dirPath_);
    firstRow_ = 0;
    flashclean();
    reListBox();
    selectDriveFor(dirPath_);
    repairTexta();
}

void Browser::Texta_Change() {
    // Each step reads the box again: the one before may have changed it.
    setDirPath(texta_); // a file name is no folder: skipped
    if (endsWithSwf(texta_)) view_.setHiddenLabel(HiddenLabel::myFlash, texta_);
    repairTexta();
}

// ---- the grid ----

void Browser::File1_PathChange() {
    fileCount_ = saturate16(file1_.count());
    view_.setProgress(0);
    reListBox();
    setTexta(dirPath_);
    showState();
    reInitVScroll();
}

void Browser::reListBox() {
    if (fileCount_ <= 0) {
        for (int k = 1; k <= kCellCount; ++k) {
            view_.setCellLabel(k, {});
            view_.setCellVisible(k, CellPart::TextBox, false);
        }
        view_.blankMiniPlayer();
        return;
    }
    view_.setStatus(loadingText());
    for (int k = 1; k <= kCellCount; ++k) {
        const std::optional<int> index = cellFileIndex(firstRow_, k);
        const QString name = index ? file1_.entry(*index) : QString();
        if (!name.isEmpty()) {
            view_.setCellLabel(k, name);
            view_.setCellText(k, name);
            view_.setCellVisible(k, kAllParts, true);
            view_.loadCellMovie(k, joinFolderAndName(dirPath_, name));
        } else {
            view_.setCellLabel(k, {});
            view_.setCellVisible(k, kAllParts, false);
        }
        view_.setProgress(k);
    }
    showState();
}

void Browser::flashclean() {
    view_.setPositionBarMaximum(0);
    for (int k = 1; k <= kCellCount; ++k) {
        view_.blankCellMovie(k);
        view_.setCellVisible(k, CellPart::Player | CellPart::Button, false);
    }
}

void Browser::reInitVScroll() {
    setScrollMaximum(browse::scrollMaximum(file1_.count()));
}

void Browser::showState() {
    view_.setStatus(folderCountText(file1_.count()));
}

void Browser::VScroll1_Change() {
    firstRow_ = saturate16(scrollValue_);
    flashclean();
    reListBox();
}

// ---- Open ----

void Browser::myOpenFile_1() {
    platform::FileDialogRequest request;
    request.mode = platform::FileDialogMode::Open;
    request.title = kOpenTitle;
    request.filter = kOpenFilter;
    request.flags = platform::kFileDialogStandardFlags;
    const std::optional<QString> answer = fileDialog_.show(request);
    if (!answer) return; // cancelled: nothing changes

    openNames_ = answer->split(QChar(0));
    const QString first = openNames_.value(0);
    // The number of files the answer names: the names after a folder when there are
    // several, else the one path.
    const auto more = std::count_if(openNames_.begin() + 1, openNames_.end(),
                                    [](const QString& n) { return !n.isEmpty(); });
    openCount_ = saturate16(more > 0 ? more : (first.isEmpty() ? 0 : 1));

    view_.playInMiniPlayer(first);
    setTexta(first);
    const bool named = !first.isEmpty() && first != QLatin1String("*.swf");
    view_.setStatus(selectedFilesText(named ? openCount_ : 0));
}

} // namespace browse
