#include "form1_tool_host.h"

#include "app/playback/flash_player.h"

using browse::HiddenLabel;

QString Form1ToolHost::oFileName() const {
    return form_.hiddenLabel(HiddenLabel::oFileName);
}

QString Form1ToolHost::label5() const {
    return form_.hiddenLabel(HiddenLabel::Label5);
}

void Form1ToolHost::setLabel5(const QString& caption) {
    form_.setHiddenLabel(HiddenLabel::Label5, caption);
}

void Form1ToolHost::playInMiniPlayer(const QString& movie) {
    form_.miniPlayer()->setMovie(movie);
    form_.miniPlayer()->Play();
}

void Form1ToolHost::showMessage(const QString& text, tools::MessageIcon icon) {
    messages_.show(browse::kProgramTitle, text,
                   icon == tools::MessageIcon::Critical ? platform::MessageIcon::Critical
                                                        : platform::MessageIcon::None);
}

void Form1ToolHost::showMainWindow() {
    form_.setVisible(true);
    form_.show();
}

void Form1ToolHost::showDialog(tools::ToolDialog dialog) {
    if (openDialog_) openDialog_(dialog);
}
