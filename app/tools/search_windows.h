// The search window my_Searching ("Search .swf file in this computer") and its scope
// dialog drv ("Please choose the driver"): widgets only, every handler is SearchDialog's.
// SearchWindows opens the search window for the main window's "Sea&rch".
#pragma once

#include "app/tools/hit_list_view.h"
#include "app/tools/search_dialog.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class FlashPlayer;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QAction;
class QPushButton;

namespace tools {

class DrvWindow final : public QWidget {
    Q_OBJECT
  public:
    DrvWindow(SearchDialog& logic, std::function<void(QWidget&)> applySkin);
    // Fills the drive list, centres the window, applies the skin; then shows it.
    void Form_Load();
    QComboBox* Drive1() const { return Drive1_; }
    QPushButton* button(const QString& name) const;

  private:
    // Closes drv, then hands the scope on.
    void choose(void (SearchDialog::*handler)());

    SearchDialog& logic_;
    std::function<void(QWidget&)> applySkin_;
    QComboBox* Drive1_ = nullptr;
};

class SearchWindow final : public QWidget, private SearchControls {
    Q_OBJECT
  public:
    SearchWindow(ToolHost& host, platform::Drives& drives,
                 std::function<void(QWidget&)> applySkin = {}, MountSource mounts = {});
    ~SearchWindow() override;

    // Skin and Form_Load; then shows the window.
    void open();
    SearchDialog& logic() { return logic_; }

    QAction* mySearching() const { return mySearching_; }
    HitListView* List1() const { return List1_; }
    QLabel* Picture1() const { return Picture1_; }
    FlashPlayer* ShockwaveFlash1() const { return ShockwaveFlash1_; }
    QLineEdit* Text1() const { return Text1_; }
    QPushButton* Command1() const { return Command1_; }
    QPushButton* Command2() const { return Command2_; }
    QTimer& Timer1() { return Timer1_; }
    // The scope dialog while it is open; null otherwise.
    DrvWindow* drv() const { return drv_; }

  signals:
    // The window closed and Form_Unload ran.
    void unloaded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setMenuCaption(const QString& caption) override;
    QString menuCaption() const override;
    void setBusyPointer(bool busy) override;
    void printStatus(const QString& line) override;
    int selectedRow() const override;
    void scrollListToEnd() override;
    void putPreviewMovie(const QString& path) override;
    void previewPlay() override;
    void setText1(const QString& text) override;
    void showDrv() override;
    void closeWindow() override;

    std::function<void(QWidget&)> applySkin_;
    SearchDialog logic_;
    QMenuBar* menu_ = nullptr;
    QAction* mySearching_ = nullptr;
    HitListView* List1_ = nullptr;
    QLabel* Picture1_ = nullptr;
    FlashPlayer* ShockwaveFlash1_ = nullptr;
    QLineEdit* Text1_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QTimer Timer1_;
    QPointer<DrvWindow> drv_;
    bool unloadedOnce_ = false;
};

class SearchWindows {
  public:
    SearchWindows(ToolHost& host, platform::Drives& drives,
                  std::function<void(QWidget&)> applySkin = {}, MountSource mounts = {});
    ~SearchWindows();

    // mySearch_Click: disables the main window and shows the search window (a window
    // open already is brought to the front).
    void mySearch_Click();
    // The search window while it is open; null otherwise.
    SearchWindow* window() const { return window_; }

  private:
    ToolHost& host_;
    platform::Drives& drives_;
    std::function<void(QWidget&)> applySkin_;
    MountSource mounts_;
    QPointer<SearchWindow> window_;
};

} // namespace tools
