// The preview cells' events: each of the sixteen cells routes its controls' mouse and focus
// events to Form1's cell handlers with the cell's number.
#include "form1.h"
#include "form1_playback.h"

#include "app/playback/flash_player.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

// Each handler is cell k's own (playback::PreviewCell).
void Form1::pvLabel_Click(int k) {
    playback_->cell(k).pvLabel_Click();
}
void Form1::pvLabel_DblClick(int k) {
    playback_->cell(k).pvLabel_DblClick();
}
void Form1::pvLabel_MouseMove(int k) {
    playback_->cell(k).pvLabel_MouseMove();
}
void Form1::Text_Click(int k) {
    playback_->cell(k).Text_Click();
}
void Form1::Text_DblClick(int k) {
    playback_->cell(k).Text_DblClick();
}
void Form1::pvFlash_GotFocus(int k) {
    playback_->cell(k).pvFlash_GotFocus();
}
void Form1::Command_Click(int k) {
    playback_->cell(k).Command_Click();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const int k = watched->property("cellIndex").toInt();
    if (k < 1 || k > browse::kCellCount) return QMainWindow::eventFilter(watched, event);
    const Cell& cell = cells_[k - 1];
    const bool label = watched == cell.pvLabel, text = watched == cell.Text;

    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        // A double click ends with a release of its own that is no further click.
        if (watched->property("afterDblClick").toBool()) {
            watched->setProperty("afterDblClick", false);
            break;
        }
        if (mouse->button() != Qt::LeftButton ||
            !widget->rect().contains(mouse->position().toPoint()))
            break;
        if (label) pvLabel_Click(k);
        if (text) Text_Click(k);
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
        watched->setProperty("afterDblClick", true);
        if (label) pvLabel_DblClick(k);
        if (text) Text_DblClick(k);
        break;
    case QEvent::MouseMove:
        if (label) pvLabel_MouseMove(k);
        break;
    case QEvent::FocusIn:
        if (watched == cell.pvFlash) pvFlash_GotFocus(k);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
