// What the browsing logic needs of the main window's controls. The window mirrors the
// logic's state into its widgets; none of these calls may call back into the logic.
#pragma once

#include "platform/drives.h"

#include <QFlags>
#include <QString>

#include <vector>

namespace browse {

// The parts of a preview cell that are shown or hidden together.
enum class CellPart { Player = 1, Button = 2, TextBox = 4 };
Q_DECLARE_FLAGS(CellParts, CellPart)
Q_DECLARE_OPERATORS_FOR_FLAGS(CellParts)

// Hidden labels of the main window whose captions carry state other windows share.
enum class HiddenLabel { myFlash, myPassWord, ifMute, oFileName, beginat, Label5, URL };

class BrowserView {
  public:
    virtual ~BrowserView() = default;

    // Mirrors of the controls with change events.
    virtual void showTexta(const QString& text) = 0;
    virtual void showFolder(const QString& path) = 0;
    // The drive list's entries and the selected one (-1: none).
    virtual void showDrives(const std::vector<platform::Drive>& drives, int index) = 0;
    virtual void showDrive(int index) = 0;
    virtual void showScroll(int maximum, int value) = 0;

    // Cell k, 1..16: pvLabel k, Text k, the shown parts, and the player pvFlash k.
    virtual void setCellLabel(int k, const QString& caption) = 0;
    virtual void setCellText(int k, const QString& text) = 0;
    virtual void setCellVisible(int k, CellParts parts, bool visible) = 0;
    // Loads the movie and stops it on frame 1.
    virtual void loadCellMovie(int k, const QString& path) = 0;
    // Leaves the player blank with the movie's own background colour.
    virtual void blankCellMovie(int k) = 0;

    virtual void blankMiniPlayer() = 0;
    virtual void playInMiniPlayer(const QString& path) = 0;
    virtual void setPositionBarMaximum(int maximum) = 0;

    virtual void setStatus(const QString& text) = 0;
    virtual void setProgress(int value) = 0;
    virtual void setHiddenLabel(HiddenLabel label, const QString& caption) = 0;
};

} // namespace browse
