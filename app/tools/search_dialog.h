// The search window my_Searching without its widgets: the handlers of its menu item
// mySearching, keys, list, buttons and timer, the routine doing that runs a search for the
// scope in Label1, and the scope dialog drv's three buttons. The window implements
// SearchControls; the hits are the model List1 that the window's list shows.
#pragma once

#include "app/tools/search_hits.h"
#include "app/tools/search_run.h"
#include "app/tools/tool_host.h"
#include "platform/drives.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace tools {

// The texts the search window shows.
namespace searchtext {
inline const QString kCaption = QStringLiteral("Search .swf file in this computer");
inline const QString kDrvCaption = QStringLiteral("Please choose the driver");
inline const QString kSearching = QStringLiteral("&Searching");
inline const QString kStop = QStringLiteral("&Stop!");
inline const QString kSearchedBefore = QStringLiteral("&Searching...");
inline const QString kNoSelection = QStringLiteral("You hadn't select one swf file!");
// Label1's scopes besides a drive's name.
inline const QString kWholeComputer = QStringLiteral("1");
inline const QString kCancelled = QStringLiteral("0");
} // namespace searchtext

// The key code Form_KeyDown stops a search on (Escape).
inline constexpr int kEscapeKeyCode = 27;

class SearchControls {
  public:
    virtual ~SearchControls() = default;
    // The menu item mySearching's caption.
    virtual void setMenuCaption(const QString& caption) = 0;
    virtual QString menuCaption() const = 0;
    // The hourglass over the window, or the default pointer.
    virtual void setBusyPointer(bool busy) = 0;
    // Picture1: cleared, then one line of text.
    virtual void printStatus(const QString& line) = 0;
    // The line selected in List1; -1 when none is.
    virtual int selectedRow() const = 0;
    // Scrolls List1 to its last line.
    virtual void scrollListToEnd() = 0;
    // The preview player ShockwaveFlash1 and the path box Text1.
    virtual void putPreviewMovie(const QString& path) = 0;
    virtual void previewPlay() = 0;
    virtual void setText1(const QString& text) = 0;
    // Shows drv, not modal, centred on the screen.
    virtual void showDrv() = 0;
    virtual void closeWindow() = 0;
};

class SearchDialog final : public QObject {
    Q_OBJECT
  public:
    // `mounts` empty: the system's mount table.
    SearchDialog(SearchControls& controls, ToolHost& host, platform::Drives& drives,
                 MountSource mounts = {});
    ~SearchDialog() override;

    // ---- my_Searching ----
    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(int keyCode);
    void mySearching_Click();
    void List1_Click();
    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();
    // Runs a search for the scope in Label1.
    void doing();

    // ---- drv ----
    // The drive list's entries (each drive's display name) and the one shown first: the
    // drive of the main window's folder.
    QStringList drvDrives(int* current) const;
    // "Whole Computer", "Ok" with the drive list's text, and "Cancel": each puts its scope
    // into Label1 and runs doing (drv has closed itself first).
    void drvCommand1_Click();
    void drvCommand3_Click(const QString& driveText);
    void drvCommand2_Click();

    SearchHitModel& List1() { return List1_; }
    const SearchHitModel& List1() const { return List1_; }
    const QString& Label1() const { return Label1_; }
    void setLabel1(const QString& caption) { Label1_ = caption; }
    const QString& pattern() const { return pattern_; }
    bool searching() const { return searching_; }
    bool listing() const { return listing_; }
    // The run in progress; null when none is.
    SearchRun* run() const { return searching_ ? run_.get() : nullptr; }

    // How often the status area shows the folder being searched.
    static constexpr int kStatusRefreshMs = 40;
    static constexpr int kTimer1IntervalMs = 2000;

  signals:
    // A run has ended (finished or stopped) and the result line is shown.
    void searchEnded();

  private:
    void takeHits();
    void showFolder();
    void stop();
    // Step 5 of doing: the result line.
    void finish();

    SearchControls& controls_;
    ToolHost& host_;
    platform::Drives& drives_;
    MountSource mounts_;
    SearchHitModel List1_;
    QString Label1_;
    QString pattern_;
    bool searching_ = false;
    bool listing_ = false;
    std::unique_ptr<SearchRun> run_;
    QTimer statusTimer_;
    QString shownFolder_;
};

} // namespace tools
