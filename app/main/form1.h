// The main window Form1: the program's start-up window and hub. It carries the menus, the
// toolbar, the current-file box Texta, the drive and folder lists, the preview grid of
// sixteen cells with its scroll bar, the mini player and the status line. Browsing logic
// lives in browse::Browser; the window creates the controls, lays them out and mirrors
// the logic's state into them.
#pragma once

#include "browser.h"
#include "command_router.h"
#include "grid_math.h"
#include "skin_component.h"

#include "mixer/cvolume.h"
#include "platform/drives.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/url_opener.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <map>
#include <memory>

class DriveCombo;
class FlashPlayer;
class FlatButton;
class Form1Capture;
class Form1Playback;
class Form1Help;
class Form1Tools;
class Form1Lock;
class FolderList;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QSlider;
class QStatusBar;
class WelcomeScreen;

namespace lock {
class LockerLauncher;
}

// What the window takes from its surroundings. Anything left empty gets the real thing:
// the system's drives, Qt's file dialog and message boxes, the executable's folder, the
// process's current folder, and an end of the program that leaves the event loop.
struct Form1Services {
    platform::Drives* drives = nullptr;
    platform::FileDialog* fileDialog = nullptr;
    platform::MessageBoxes* messages = nullptr;
    platform::UrlOpener* urlOpener = nullptr; // the desktop's default browser
    QString programDir;
    QString startFolder;
    std::function<void()> endProgram;
    // Starts the lock screen's locker; null: the screen saver program of the program folder.
    lock::LockerLauncher* lockLauncher = nullptr;
    // False keeps the welcome splash from being shown (the window then comes up at once).
    bool showSplash = true;
};

class Form1 : public QMainWindow, private browse::BrowserView {
    Q_OBJECT
  public:
    explicit Form1(Form1Services services = {});
    ~Form1() override;

    // ---- start-up and shutdown ----
    void Form_Load();
    void Form_Unload();
    void Exit_Click();
    void unloadflash();

    // ---- browsing: handlers and routines other windows call ----
    void Drive1_Change() { browser_.Drive1_Change(); }
    void Dir1_Change() { browser_.Dir1_Change(); }
    void Texta_Change() { browser_.Texta_Change(); }
    void File1_PathChange() { browser_.File1_PathChange(); }
    void VScroll1_Change() { browser_.VScroll1_Change(); }
    void reListBox() { browser_.reListBox(); }
    void flashclean() { browser_.flashclean(); }
    void reInitVScroll() { browser_.reInitVScroll(); }
    void showState() { browser_.showState(); }
    void myOpenFile_1() { browser_.myOpenFile_1(); }
    void Frame2_DragDrop();

    // The current file: the text of Texta. Setting it runs Texta_Change before returning.
    QString currentFile() const { return browser_.texta(); }
    void setCurrentFile(const QString& path) { browser_.setTexta(path); }
    // The folder list's path; setting another folder runs Dir1_Change before returning.
    QString folderPath() const { return browser_.dirPath(); }
    bool setFolderPath(const QString& path) { return browser_.setDirPath(path); }
    // The file list File1's folder (the cells' movies are there).
    QString filePath() const { return browser_.file1().path(); }
    void setStatusText(const QString& text) { setStatus(text); }
    QString statusText() const;
    QString hiddenLabel(browse::HiddenLabel label) const;
    void setHiddenLabel(browse::HiddenLabel label, const QString& caption) override;

    // ---- commands ----
    // Gives a command its handler (or takes it away with an empty function); every menu
    // item and button that forwards to it is enabled while it has one.
    void setHandler(const QString& name, std::function<void()> handler);
    // Runs a command as its menu item or button would; false when it is greyed out.
    bool runCommand(const QString& name);
    bool commandAvailable(const QString& name) const { return commands_.available(name); }

    // ---- controls other windows work with ----
    FlashPlayer* miniPlayer() const { return miniPlayer_; }
    FlashPlayer* pvFlash(int k) const { return cells_.at(k - 1).pvFlash; }
    QLabel* pvLabel(int k) const { return cells_.at(k - 1).pvLabel; }
    QLineEdit* Text(int k) const { return cells_.at(k - 1).Text; }
    QPushButton* Command(int k) const { return cells_.at(k - 1).Command; }
    QScrollBar* HScroll1() const { return HScroll1_; }
    QLabel* Label3() const { return Label3_; }
    QLabel* SkinLabel1() const { return SkinLabel1_; }
    QCheckBox* Check1() const { return Check1_; }
    QCheckBox* Check2() const { return Check2_; }
    QTimer& Timer1() { return Timer1_; }
    SkinComponent& Skn() { return Skn_; }
    cVolume* mixer() const { return mixer_.get(); }
    WelcomeScreen* welcomScr() const { return welcomScr_.get(); }
    // The mini player's, the full-screen player's and the cells' handlers.
    Form1Playback& playback() { return *playback_; }
    // The file tools: their commands and dialogs.
    Form1Tools& fileTools() { return *tools_; }
    Form1Capture& capture() { return *capture_; }
    Form1Help& help() { return *help_; }
    // The LockScreen menu: configuration dialog and lock screen.
    Form1Lock& lockScreen() { return *lock_; }
    const browse::Browser& browser() const { return browser_; }
    browse::Browser& browser() { return browser_; }
    const QString& programDir() const { return programDir_; }

    // Window variables (the loop flag loopPlay lives with the mini player's handlers).
    int16_t rowStep() const { return geometry_.rowStep; }
    int16_t colStep() const { return geometry_.colStep; }
    int16_t fileCount() const { return browser_.fileCount(); }
    int16_t firstRow() const { return browser_.firstRow(); }
    int16_t openCount() const { return browser_.openCount(); }
    const QStringList& openNames() const { return browser_.openNames(); }

  protected:
    // Handlers of cell k's controls (k = 1..16). The window routes the controls' events
    // here: a click or double click on pvLabel k or Text k, the mouse moving over pvLabel k,
    // pvFlash k taking the focus, a click on Command k. The cells' behaviour goes in these.
    virtual void pvLabel_Click(int k);
    virtual void pvLabel_DblClick(int k);
    virtual void pvLabel_MouseMove(int k);
    virtual void Text_Click(int k);
    virtual void Text_DblClick(int k);
    virtual void pvFlash_GotFocus(int k);
    virtual void Command_Click(int k);

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The wheel over the grid moves the scroll bar, as over any scrolled view.
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Cell {
        FlashPlayer* pvFlash = nullptr;
        QLabel* pvLabel = nullptr;
        QLineEdit* Text = nullptr;
        QPushButton* Command = nullptr;
    };

    // BrowserView
    void showTexta(const QString& text) override;
    void showFolder(const QString& path) override;
    void showDrives(const std::vector<platform::Drive>& drives, int index) override;
    void showDrive(int index) override;
    void showScroll(int maximum, int value) override;
    void setCellLabel(int k, const QString& caption) override;
    void setCellText(int k, const QString& text) override;
    void setCellVisible(int k, browse::CellParts parts, bool visible) override;
    void loadCellMovie(int k, const QString& path) override;
    void blankCellMovie(int k) override;
    void blankMiniPlayer() override;
    void playInMiniPlayer(const QString& path) override;
    void setPositionBarMaximum(int maximum) override;
    void setStatus(const QString& text) override;
    void setProgress(int value) override;

    void createControls();
    void createCells();
    void createCommands();
    void refreshCommandStates();
    // Lays the controls out for the window's present size (the start-up layout).
    void layoutControls();
    void placeCells();
    void showAfterSplash();

    Form1Services services_;
    std::unique_ptr<platform::Drives> ownDrives_;
    std::unique_ptr<platform::FileDialog> ownFileDialog_;
    std::unique_ptr<platform::MessageBoxes> ownMessages_;
    QString programDir_;
    browse::Browser browser_;
    browse::CommandRouter commands_;
    SkinComponent Skn_;
    std::unique_ptr<cVolume> mixer_;
    std::unique_ptr<WelcomeScreen> welcomScr_;
    browse::GridGeometry geometry_;
    bool loaded_ = false;

    // Controls (owned by the window through Qt's parent links).
    QWidget* client_ = nullptr;
    QLineEdit* Texta_ = nullptr;
    DriveCombo* Drive1_ = nullptr;
    FolderList* Dir1_ = nullptr;
    QScrollBar* VScroll1_ = nullptr;
    QStatusBar* StatusBar1_ = nullptr;
    QLabel* myState_ = nullptr;
    QProgressBar* ProgressBar1_ = nullptr;
    QFrame* Frame2_ = nullptr;
    FlashPlayer* miniPlayer_ = nullptr;
    QScrollBar* HScroll1_ = nullptr;
    QSlider* Slider1_ = nullptr;
    QLabel* Label3_ = nullptr;
    QLabel* SkinLabel1_ = nullptr;
    QCheckBox* Check1_ = nullptr;
    QCheckBox* Check2_ = nullptr;
    QTimer Timer1_;
    QElapsedTimer progressShown_;
    std::array<Cell, browse::kCellCount> cells_{};
    std::map<browse::HiddenLabel, QLabel*> hiddenLabels_;
    // Every command control (menu action, flat button, hidden button, handled control)
    // with the command it runs, for greying out.
    std::vector<std::pair<QObject*, QString>> commandControls_;
    std::unique_ptr<Form1Playback> playback_;
    std::unique_ptr<Form1Tools> tools_;
    std::unique_ptr<Form1Capture> capture_;
    std::unique_ptr<Form1Help> help_;
    std::unique_ptr<Form1Lock> lock_;
};
