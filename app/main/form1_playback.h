// The main window's side of the mini player, the full-screen player and the preview cells:
// answers their questions from Form1's controls and hidden labels, gives Form1's commands
// their playback handlers, runs Timer1, and holds the sixteen cells' handlers.
#pragma once

#include "skin_component.h"

#include "app/playback/full_screen.h"
#include "app/playback/full_screen_host.h"
#include "app/playback/mini_player_controls.h"
#include "app/playback/mini_player_host.h"
#include "app/playback/preview_cell.h"
#include "platform/cursor.h"
#include "platform/desktop_bar.h"

#include <memory>
#include <vector>

class Form1;

class Form1Playback final : public playback::MiniPlayerHost,
                            public playback::FullScreenHost,
                            public playback::CellHost {
  public:
    explicit Form1Playback(Form1& form);
    ~Form1Playback() override;

    playback::PreviewCell& cell(int k) { return cells_.at(k - 1); }
    playback::MiniPlayerControls& controls() { return controls_; }
    playback::FullScreen& fullScreen() { return *fullScreen_; }

    // Shared by the hosts.
    FlashPlayer& miniPlayer() override;
    QString cellFolder() const override;
    void showForm2() override;
    void showForm3() override;

    // MiniPlayerHost
    QString currentFile() const override;
    int positionMaximum() const override;
    void setPositionMaximum(int maximum) override;
    void setPositionValue(int value) override;
    void setFrameLabel(const QString& text) override;
    void setCounterText(const QString& text) override;
    bool loopChecked() const override;
    void setLoopChecked(bool checked) override;
    bool loopMenuChecked() const override { return mLoopChecked_; }
    void setLoopMenuChecked(bool checked) override;
    bool fromCurrentFrameChecked() const override;
    void setBeginat(const QString& caption) override;

    // FullScreenHost
    QString beginat() const override;
    QString cellFileName(int k) const override;
    FlashPlayer& cellPlayer(int k) override;
    void setMainWindowEnabled(bool enabled) override;
    void setMainWindowVisible(bool visible) override;
    void applyBarSkin(QWidget& bar) override;

    // CellHost
    void setCurrentFile(const QString& path) override;
    void setOFileName(const QString& name) override;
    QString labelCaption(int k) const override;
    QString textOf(int k) const override;
    void focusText(int k) override;
    void setLabelPointer(int k, const QCursor& pointer) override;
    void miniPlaying() override { controls_.miniPlaying(); }

  private:
    void connectControls();

    Form1& form_;
    playback::MiniPlayerControls controls_{*this};
    std::vector<playback::PreviewCell> cells_;
    std::unique_ptr<platform::DesktopBar> desktopBar_;
    platform::SystemCursor cursor_;
    SkinComponent barSkin_;
    std::unique_ptr<playback::FullScreen> fullScreen_;
    // The menu item toggles its own mark before its handler runs; the handler reads this.
    bool mLoopChecked_ = false;
};
