// Form1's controls: creating them with their names and first settings, and laying them out.
#include "form1.h"

#include "drive_combo.h"
#include "folder_list.h"
#include "form_layout.h"

#include "app/playback/flash_player.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolTip>
#include <QWheelEvent>

using browse::HiddenLabel;

namespace {

template <typename W, typename... Args>
W* named(QWidget* parent, const char* name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QFrame* frame(QWidget* parent, const char* name, QFrame::Shape shape) {
    auto* f = named<QFrame>(parent, name);
    f->setFrameShape(shape);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

constexpr std::pair<HiddenLabel, const char*> kHiddenLabels[] = {
    {HiddenLabel::myFlash, "myFlash"}, {HiddenLabel::myPassWord, "myPassWord"},
    {HiddenLabel::ifMute, "ifMute"},   {HiddenLabel::oFileName, "oFileName"},
    {HiddenLabel::beginat, "beginat"}, {HiddenLabel::Label5, "Label5"},
    {HiddenLabel::URL, "URL"},
};

} // namespace

void Form1::createControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    // Frames first, so that everything else lies above them.
    frame(client_, "Frame1", QFrame::HLine);
    Frame2_ = frame(client_, "Frame2", QFrame::Box);
    frame(client_, "Frame3", QFrame::Box);

    Texta_ = named<QLineEdit>(client_, "Texta");
    connect(Texta_, &QLineEdit::textEdited, this,
            [this](const QString& t) { browser_.setTexta(t); });

    Drive1_ = named<DriveCombo>(client_, "Drive1");
    connect(Drive1_, &QComboBox::activated, this, [this](int i) { browser_.setDriveIndex(i); });
    connect(Drive1_, &DriveCombo::aboutToDropDown, this, [this] { browser_.refreshDrives(); });

    Dir1_ = named<FolderList>(client_, "Dir1");
    connect(Dir1_, &FolderList::folderChosen, this, [this](const QString& path) {
        // A folder that went away since it was listed: show the list as it is now.
        if (!browser_.setDirPath(path)) Dir1_->setPath(browser_.dirPath());
    });

    VScroll1_ = named<QScrollBar>(client_, "VScroll1", Qt::Vertical);
    VScroll1_->setRange(0, 0);
    VScroll1_->setSingleStep(1);
    VScroll1_->setPageStep(4);                  // one grid page: four rows
    VScroll1_->setTracking(false);              // the grid follows the thumb when it is let go
    VScroll1_->setFocusPolicy(Qt::StrongFocus); // arrows and page keys once tabbed to
    connect(VScroll1_, &QScrollBar::valueChanged, this,
            [this](int v) { browser_.setScrollValue(v); });

    createCells();

    // Mini player and its controls; their handlers come with the player's commands.
    miniPlayer_ = named<FlashPlayer>(client_, "miniPlayer");
    miniPlayer_->setAutoPlay(true);
    miniPlayer_->setLoop(true);
    HScroll1_ = named<QScrollBar>(client_, "HScroll1", Qt::Horizontal);
    HScroll1_->setRange(0, 0);
    Slider1_ = named<QSlider>(client_, "Slider1", Qt::Horizontal);
    Slider1_->hide();
    named<QLabel>(client_, "Label1");
    Label3_ = named<QLabel>(client_, "Label3");
    named<QLabel>(client_, "Label2");
    SkinLabel1_ = named<QLabel>(client_, "SkinLabel1");
    SkinLabel1_->setAlignment(Qt::AlignCenter);
    Check1_ = named<QCheckBox>(client_, "Check1", QStringLiteral("Loop"));
    Check2_ = named<QCheckBox>(client_, "Check2", QStringLiteral("From the current frame"));
    named<QCheckBox>(client_, "ckMaster", QStringLiteral("Mute"))->hide();
    Timer1_.setObjectName(QStringLiteral("Timer1"));
    Timer1_.setInterval(500);

    StatusBar1_ = named<QStatusBar>(client_, "StatusBar1");
    StatusBar1_->setSizeGripEnabled(false);
    myState_ = named<QLabel>(client_, "myState");
    ProgressBar1_ = named<QProgressBar>(client_, "ProgressBar1");
    ProgressBar1_->setRange(0, browse::kCellCount);
    ProgressBar1_->setValue(0);
    ProgressBar1_->setTextVisible(false);

    for (const auto& [label, name] : kHiddenLabels) {
        QLabel* l = named<QLabel>(client_, name);
        l->hide();
        hiddenLabels_[label] = l;
    }
    setHiddenLabel(HiddenLabel::beginat, QStringLiteral("0"));
}

void Form1::createCells() {
    const QPalette tip = QToolTip::palette();
    for (int k = 1; k <= browse::kCellCount; ++k) {
        Cell& cell = cells_[k - 1];
        const QString n = QString::number(k);
        // The framing button lies behind the player: created first.
        cell.Command = named<QPushButton>(client_, "");
        cell.Command->setObjectName("Command" + n);
        cell.Command->hide();
        connect(cell.Command, &QPushButton::clicked, this, [this, k] { Command_Click(k); });

        cell.pvFlash = named<FlashPlayer>(client_, "");
        cell.pvFlash->setObjectName("pvFlash" + n);
        cell.pvFlash->setAutoPlay(false);
        cell.pvFlash->setFocusPolicy(Qt::StrongFocus);
        cell.pvFlash->hide();

        cell.pvLabel = named<QLabel>(client_, "");
        cell.pvLabel->setObjectName("pvLabel" + n);
        cell.pvLabel->setMouseTracking(true);

        cell.Text = named<QLineEdit>(client_, "");
        cell.Text->setObjectName("Text" + n);
        QPalette pal = cell.Text->palette();
        pal.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
        pal.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
        cell.Text->setPalette(pal);
        cell.Text->hide();

        for (QWidget* w : {static_cast<QWidget*>(cell.pvFlash), static_cast<QWidget*>(cell.pvLabel),
                           static_cast<QWidget*>(cell.Text)}) {
            w->setProperty("cellIndex", k);
            w->installEventFilter(this);
        }
    }
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (loaded_) layoutControls();
}

void Form1::wheelEvent(QWheelEvent* event) {
    QRect grid = Frame2_->geometry();
    for (const Cell& cell : cells_)
        grid |= cell.Command->geometry() | cell.pvLabel->geometry();
    grid.setRight(VScroll1_->geometry().right());
    if (grid.contains(client_->mapFrom(this, event->position().toPoint())))
        QCoreApplication::sendEvent(VScroll1_, event);
    else
        QMainWindow::wheelEvent(event);
}

void Form1::layoutControls() {
    const int width = browse::twips(client_->width());
    const int statusTop = browse::twips(client_->height()) - browse::kStatusBarHeight;
    browse::Places places = browse::designedPlaces();
    browse::applyStartupLayout(places, width, statusTop);
    for (const auto& [name, place] : places)
        if (auto* w = client_->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly))
            w->setGeometry(browse::toPixels(place));
    const browse::TwipsRect& scroll = places["VScroll1"];
    geometry_ = browse::gridGeometry(scroll.top, scroll.height, scroll.left);
    placeCells();
}

void Form1::placeCells() {
    for (int k = 1; k <= browse::kCellCount; ++k) {
        const Cell& cell = cells_[k - 1];
        const browse::CellPlaces& at = geometry_.cells[k - 1];
        cell.pvFlash->setGeometry(browse::toPixels(at.player));
        cell.Command->setGeometry(browse::toPixels(at.button));
        cell.pvLabel->setGeometry(browse::toPixels(at.label));
        cell.Text->setGeometry(browse::toPixels(at.text));
    }
}
