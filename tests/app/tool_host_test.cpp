// The main window as the file tools' host.
#include "app_fixtures.h"

#include "app/main/form1_tool_host.h"
#include "app/playback/flash_player.h"

#include <QLabel>

using apptest::MovieFolder;

class ToolHostWindow : public apptest::FormFixture {};

TEST_F(ToolHostWindow, ReadsAndSetsTheWindowsSharedState) {
    MovieFolder folder(2), other(1);
    loadForm(folder.path());
    std::vector<tools::ToolDialog> opened;
    Form1ToolHost host(*form, messages, [&](tools::ToolDialog d) { opened.push_back(d); });

    EXPECT_EQ(host.currentFile(), folder.path());
    host.setCurrentFile(folder.file(MovieFolder::movieName(1)));
    EXPECT_EQ(form->hiddenLabel(browse::HiddenLabel::myFlash),
              folder.file(MovieFolder::movieName(1)));
    host.setLabel5("/x/projector.exe");
    EXPECT_EQ(host.label5(), "/x/projector.exe");
    EXPECT_EQ(host.oFileName(), "");

    host.setFolderPath(other.path());
    EXPECT_EQ(host.folderPath(), other.path());
    EXPECT_EQ(form->pvLabel(1)->text(), MovieFolder::movieName(0));
    EXPECT_EQ(form->pvLabel(2)->text(), "");

    host.playInMiniPlayer(other.file(MovieFolder::movieName(0)));
    EXPECT_TRUE(form->miniPlayer()->IsPlaying());
    host.setStatusText("done");
    EXPECT_EQ(form->statusText(), "done");

    host.showMessage("Please select a swf file!", tools::MessageIcon::Critical);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Reelvista");
    host.setMainWindowEnabled(false);
    EXPECT_FALSE(form->isEnabled());
    host.showDialog(tools::ToolDialog::MoveTo);
    EXPECT_EQ(opened, std::vector<tools::ToolDialog>{tools::ToolDialog::MoveTo});
}
