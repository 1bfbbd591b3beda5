// The main window's browsing logic: the current-file box Texta, the drive list Drive1, the
// folder list Dir1, the file list File1, the scroll bar VScroll1 and the grid's paging.
// Setting a control's value runs its change handler at once, nested inside the setter,
// when the value differs; so a folder change lists the grid two or three times and the
// last listing stands.
#pragma once

#include "browser_view.h"
#include "file_list.h"

#include "platform/drives.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

#include <QStringList>

#include <cstdint>
#include <map>
#include <vector>

namespace browse {

// The program's title, on its message boxes.
inline const QString kProgramTitle = QStringLiteral("Reelvista");

class Browser {
  public:
    Browser(BrowserView& view, platform::Drives& drives, platform::FileDialog& fileDialog,
            platform::MessageBoxes& messages);

    // The controls as they are created: folder list and file list in `folder` (the
    // process's current folder), the drive list on its drive. No handler runs.
    void start(const QString& folder);

    // Control values. The setters run the control's change handler when the value
    // changes, as the user changing it would.
    const QString& texta() const { return texta_; }
    void setTexta(const QString& text);
    const QString& dirPath() const { return dirPath_; }
    // Fails, changing nothing, unless `path` is an absolute path of a folder that can be
    // read.
    bool setDirPath(const QString& path);
    const FileList& file1() const { return file1_; }
    void setFilePath(const QString& path);
    const std::vector<platform::Drive>& drives() const { return drives_; }
    int driveIndex() const { return driveIndex_; }
    void setDriveIndex(int index);
    int scrollValue() const { return scrollValue_; }
    int scrollMaximum() const { return scrollMax_; }
    void setScrollValue(int value);
    void setScrollMaximum(int maximum);

    // Reads the mounted drives again (removable media come and go); the selection stays
    // on the same mount point when it is still there.
    void refreshDrives();

    // Window variables.
    int16_t fileCount() const { return fileCount_; }
    int16_t firstRow() const { return firstRow_; }
    const QStringList& openNames() const { return openNames_; }
    int16_t openCount() const { return openCount_; }

    // Handlers and routines.
    void Drive1_Change();
    void Dir1_Change();
    void Texta_Change();
    void File1_PathChange();
    void VScroll1_Change();
    void reListBox();
    void flashclean();
    void reInitVScroll();
    void showState();
    void myOpenFile_1();

  private:
    // The folder a drive shows when it is picked: the folder last shown on it, else the
    // start folder or the home folder when they lie on it, else its mount point.
    QString driveFolder(int index) const;
    // Selects the drive holding `path`; runs Drive1_Change when that is another drive.
    void selectDriveFor(const QString& path);
    // The separator repair of the handlers: a doubled "/" at the root in Texta.
    void repairTexta();

    BrowserView& view_;
    platform::Drives& drivesApi_;
    platform::FileDialog& fileDialog_;
    platform::MessageBoxes& messages_;

    QString texta_;
    QString dirPath_;
    FileList file1_;
    std::vector<platform::Drive> drives_;
    int driveIndex_ = -1;
    std::map<QString, QString> driveFolders_; // mount point -> folder last shown on it
    QString startFolder_;
    int scrollMax_ = 0;
    int scrollValue_ = 0;

    int16_t fileCount_ = 0;
    int16_t firstRow_ = 0;
    QStringList openNames_;
    int16_t openCount_ = 0;
};

// An absolute folder path cleaned of "." and ".." parts and doubled separators, or an
// empty text when `path` is relative or names no folder that can be read.
QString usableFolder(const QString& path);

} // namespace browse
