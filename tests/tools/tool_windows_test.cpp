// The four tool dialogs as windows, opened through the commands the main window forwards
// to and clicked like a user would, on real files.
#include "app/tools/folder_list.h"
#include "app/tools/swf2exe.h"
#include "app/tools/tool_windows.h"
#include "platform/file_system.h"
#include "tool_fakes.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

using namespace tooltest;
using tools::ToolDialog;

// The main window opens a dialog by handing it to the tool windows.
struct WindowHost : FakeHost {
    tools::ToolWindows* windows = nullptr;
    void showDialog(ToolDialog d) override {
        FakeHost::showDialog(d);
        windows->show(d);
    }
};

class ToolWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        host.windows = &windows;
        writeBytes(dir.path("exeh"), filler(100));
        writeBytes(dir.path("a.swf"), movieBytes(50));
        host.current = dir.qpath("a.swf");
        host.log.clear();
    }

    tools::ToolDialogWindow* window(ToolDialog d) { return windows.openWindow(d); }
    bool isOpen(ToolDialog d) { return window(d) && window(d)->isVisible(); }
    template <typename W> W& control(ToolDialog d, const char* name) {
        auto* w = window(d) ? window(d)->findChild<W*>(name) : nullptr;
        if (!w) throw std::runtime_error(std::string("no control ") + name);
        return *w;
    }
    void click(ToolDialog d, const char* button) { control<QPushButton>(d, button).click(); }
    QString question(ToolDialog d) { return control<QLabel>(d, "SkinLabel1").text(); }
    int count(const QString& entry) const {
        return int(std::count(host.log.begin(), host.log.end(), entry));
    }

    ScratchDir dir;
    WindowHost host;
    ScriptedFileDialog mainDialog, projectorDialog;
    FakeDrives drives;
    platform::LocalFileSystem fs;
    QStringList skinned; // the windows the skin was applied to
    tools::ToolWindows windows{
        host, mainDialog,
        tools::ToolServices{&fs, &drives, &projectorDialog, dir.path("exeh"),
                            [this](QWidget& w) { skinned << w.objectName(); }}};
};

TEST_F(ToolWindows, Swf2ExeStaysOpenWhenTheNameIsCancelledAndClosesOnceBuilt) {
    windows.commands().Command19_Click();
    ASSERT_TRUE(isOpen(ToolDialog::Swf2Exe));
    EXPECT_FALSE(host.enabled);
    EXPECT_EQ(window(ToolDialog::Swf2Exe)->windowTitle(), "Swf to Exe");
    EXPECT_EQ(question(ToolDialog::Swf2Exe),
              "Do you want to convert " + host.current + " to exe file?");

    click(ToolDialog::Swf2Exe, "OKButton"); // the save dialog is cancelled
    EXPECT_TRUE(isOpen(ToolDialog::Swf2Exe));
    EXPECT_FALSE(host.enabled);
    ASSERT_EQ(projectorDialog.requests.size(), 1u);
    EXPECT_EQ(projectorDialog.requests[0].fileName, dir.qpath("a"));
    EXPECT_TRUE(mainDialog.requests.empty());

    QPointer<QWidget> closing = window(ToolDialog::Swf2Exe);
    projectorDialog.answers = {dir.qpath("a")};
    click(ToolDialog::Swf2Exe, "OKButton");
    EXPECT_EQ(std::filesystem::file_size(dir.path("a")), 100u + 50u + 8u);
    EXPECT_EQ(window(ToolDialog::Swf2Exe), nullptr);
    EXPECT_TRUE(host.enabled);
    // The closed window goes once the event loop gets to it.
    ASSERT_FALSE(closing.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());
}

// A save dialog during which the user clicks OK again and closes the window.
struct ImpatientSaveDialog : platform::FileDialog {
    std::function<void()> meanwhile;
    int shown = 0;
    std::optional<QString> show(const platform::FileDialogRequest&) override {
        ++shown;
        meanwhile();
        return std::nullopt;
    }
};

TEST_F(ToolWindows, AHandlerRunsOnceAtATimeAndACloseMeanwhileWaitsForIt) {
    ImpatientSaveDialog impatient;
    tools::ToolWindows own{host, mainDialog, {&fs, &drives, &impatient, dir.path("exeh")}};
    host.windows = &own;
    own.commands().Command19_Click();
    tools::ToolDialogWindow* window = own.openWindow(ToolDialog::Swf2Exe);
    ASSERT_NE(window, nullptr);
    impatient.meanwhile = [&] {
        window->findChild<QPushButton*>("OKButton")->click();
        window->close();
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(host.enabled);
    };
    window->findChild<QPushButton*>("OKButton")->click();
    EXPECT_EQ(impatient.shown, 1);
    EXPECT_EQ(own.openWindow(ToolDialog::Swf2Exe), nullptr);
    EXPECT_TRUE(host.enabled);
}

TEST_F(ToolWindows, Exe2SwfExtractsTheChosenProjector) {
    ASSERT_TRUE(
        swf::ok(tools::convertSwf2Exe(dir.path("exeh"), dir.path("a.swf"), dir.path("p.exe"))));
    mainDialog.answers = {dir.qpath("p.exe")};
    windows.commands().Command24_Click();
    ASSERT_TRUE(isOpen(ToolDialog::Exe2Swf));
    EXPECT_EQ(window(ToolDialog::Exe2Swf)->windowTitle(), "Exe to Swf");
    EXPECT_EQ(question(ToolDialog::Exe2Swf),
              "Do you want to convert " + dir.qpath("p.exe") + " to swf file?");
    click(ToolDialog::Exe2Swf, "OKButton");
    EXPECT_EQ(std::filesystem::file_size(dir.path("p.swf")), 50u + 8u);
    EXPECT_FALSE(isOpen(ToolDialog::Exe2Swf));
    EXPECT_TRUE(host.enabled);
}

TEST_F(ToolWindows, MoveToMovesIntoTheFolderChosenInTheList) {
    std::filesystem::create_directory(dir.path("to"));
    host.fileName = "cell.swf";
    windows.commands().Command17_Click();
    ASSERT_TRUE(isOpen(ToolDialog::MoveTo));
    EXPECT_EQ(window(ToolDialog::MoveTo)->windowTitle(), "Move " + host.current + " to ...");
    EXPECT_EQ(question(ToolDialog::MoveTo), "Move to");
    auto& dir1 = control<tools::FolderList>(ToolDialog::MoveTo, "Dir1");
    auto& text1 = control<QLineEdit>(ToolDialog::MoveTo, "Text1");
    EXPECT_EQ(dir1.path(), dir.qpath().chopped(1)); // the movie's own folder
    EXPECT_EQ(text1.text(), dir1.path());

    const auto entries = dir1.findItems("to", Qt::MatchEndsWith);
    ASSERT_EQ(entries.size(), 1);
    emit dir1.itemActivated(entries[0]);
    EXPECT_EQ(text1.text(), dir.qpath("to"));
    click(ToolDialog::MoveTo, "OKButton");
    EXPECT_EQ(readBytes(dir.path("to/cell.swf")), movieBytes(50));
    EXPECT_TRUE(host.reListed());
    EXPECT_FALSE(isOpen(ToolDialog::MoveTo));
    EXPECT_EQ(host.log.back(), "show");
    EXPECT_TRUE(host.enabled);
}

TEST_F(ToolWindows, MoveToDrivesAndCancel) {
    drives.drives = {{dir.qpath().chopped(1), "scratch", {}, false},
                     {dir.qpath("gone"), {}, {}, false}};
    windows.commands().Command17_Click();
    auto& drive1 = control<QComboBox>(ToolDialog::MoveTo, "Drive1");
    auto& dir1 = control<tools::FolderList>(ToolDialog::MoveTo, "Dir1");
    EXPECT_EQ(drive1.currentIndex(), 0);
    EXPECT_EQ(drive1.itemText(0), dir.qpath().chopped(1) + " [scratch]");

    ASSERT_TRUE(dir1.setPath("/"));
    drive1.setCurrentIndex(1);
    emit drive1.activated(1); // not ready: the list stays, and only floppies say so
    EXPECT_EQ(dir1.path(), "/");
    EXPECT_FALSE(host.anyMessage());
    drive1.setCurrentIndex(0);
    emit drive1.activated(0);
    EXPECT_EQ(control<QLineEdit>(ToolDialog::MoveTo, "Text1").text(), dir.qpath().chopped(1));

    click(ToolDialog::MoveTo, "CancelButton");
    EXPECT_EQ(host.current, "");
    EXPECT_FALSE(isOpen(ToolDialog::MoveTo));
    EXPECT_EQ(readBytes(dir.path("a.swf")), movieBytes(50));
}

TEST_F(ToolWindows, DeleteOkDeletesAndEveryCloseRestoresTheMainWindowOnce) {
    windows.commands().Command18_Click();
    ASSERT_TRUE(isOpen(ToolDialog::Delete));
    const QString question = "Do you really want to delete " + host.current + "?";
    EXPECT_EQ(control<QLabel>(ToolDialog::Delete, "Label1").text(), question);
    EXPECT_EQ(this->question(ToolDialog::Delete), question);
    window(ToolDialog::Delete)->close(); // the window's own close button
    EXPECT_FALSE(isOpen(ToolDialog::Delete));
    EXPECT_TRUE(std::filesystem::exists(dir.path("a.swf")));
    EXPECT_EQ(count("enable"), 1);

    windows.commands().Command18_Click();
    EXPECT_EQ(skinned, (QStringList{"ifDelete", "ifDelete"})); // each opening skins its window
    click(ToolDialog::Delete, "OKButton");
    EXPECT_FALSE(std::filesystem::exists(dir.path("a.swf")));
    EXPECT_TRUE(host.reListed());
    EXPECT_FALSE(isOpen(ToolDialog::Delete));
    EXPECT_EQ(count("enable"), 2);
}

TEST(FolderList, ShowsTheWayDownAndTheSubfoldersAndRefusesWhatItCannotOpen) {
    ScratchDir dir;
    for (const char* sub : {"b", "A", "c", ".hidden"})
        std::filesystem::create_directory(dir.path(sub));
    writeBytes(dir.path("file"), filler(3));
    tools::FolderList list;
    QStringList changes;
    QObject::connect(&list, &tools::FolderList::pathChanged,
                     [&](const QString& p) { changes << p; });
    const QString top = dir.qpath().chopped(1);
    ASSERT_TRUE(list.setPath(top + "/b/.."));
    EXPECT_EQ(list.path(), top);

    QStringList folders;
    for (int i = 0; i < list.count(); ++i)
        folders << tools::FolderList::folderOf(*list.item(i));
    const int depth = top.count('/');
    ASSERT_EQ(folders.size(), depth + 1 + 3);
    EXPECT_EQ(folders.front(), "/");
    EXPECT_EQ(folders.mid(depth + 1), (QStringList{top + "/A", top + "/b", top + "/c"}));
    EXPECT_EQ(list.currentItem(), list.item(depth));

    for (const QString& bad : {QString("relative"), top + "/file", top + "/none", QString()})
        EXPECT_FALSE(list.setPath(bad)) << bad.toStdString();
    EXPECT_EQ(list.path(), top);
    EXPECT_EQ(changes, QStringList{top});
}

} // namespace
