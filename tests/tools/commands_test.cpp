// The file-tool commands and dialog handlers, driven through a stand-in main window and
// scripted file dialogs, on real files.
#include "app/tools/file_operation_dialogs.h"
#include "app/tools/file_tool_commands.h"
#include "app/tools/projector_dialogs.h"
#include "app/tools/projector_format.h"
#include "app/tools/tool_rules.h"
#include "tool_fakes.h"

#include <sys/stat.h>

namespace {

using namespace tooltest;
using tools::DialogStep;
using tools::ToolDialog;

struct ToolCommands : ::testing::Test {
    ScratchDir dir;
    FakeHost host;
    ScriptedFileDialog dialog;
    platform::LocalFileSystem fs;
    tools::FileToolCommands commands{host, dialog, fs};

    void expectRequest(platform::FileDialogMode mode, const QString& title, const QString& name,
                       const QString& filter) {
        ASSERT_FALSE(dialog.requests.empty());
        const auto& r = dialog.requests.back();
        EXPECT_EQ(r.mode, mode);
        EXPECT_EQ(r.title, title);
        EXPECT_EQ(r.fileName, name);
        EXPECT_EQ(r.filter, filter);
        EXPECT_EQ(r.flags, 8196);
        EXPECT_TRUE(r.defaultExt.isEmpty());
    }
};

TEST(ToolRules, NamesAndTexts) {
    EXPECT_EQ(tools::cutAtNul(QString("a.swf") + QChar(0) + "junk"), "a.swf");
    EXPECT_EQ(tools::selectedFilesText("/x/a.swf", 7), "Selected 7 Files");
    EXPECT_EQ(tools::selectedFilesText("*.swf", 7), "Selected 0 Files");
    EXPECT_EQ(tools::selectedFilesText("", 7), "Selected 0 Files");
    EXPECT_EQ(tools::exe2SwfOutputPath("/p/Movie.EXE"), "/p/Movie.swf");
    EXPECT_EQ(tools::exe2SwfOutputPath("/p/Movie"), "/p/M.swf");
    EXPECT_EQ(tools::exe2SwfOutputPath("abc"), std::nullopt);
    EXPECT_EQ(tools::moveTarget("/a/b", "m.swf"), "/a/b/m.swf");
    EXPECT_EQ(tools::moveTarget("/", "m.swf"), "/m.swf");
    EXPECT_EQ(tools::moveTarget("/a/b", ""), "/a/b/");
}

TEST_F(ToolCommands, TypeChecksAreCaseSensitiveAndDifferPerCommand) {
    struct Case {
        QString current;
        bool swf2exe, move, del;
    } cases[] = {{"/m/a.swf", true, true, true},
                 {"/m/a.SWF", false, false, false},
                 {"/m/aswf", true, false, true},
                 {"", false, false, false}};
    for (const Case& c : cases) {
        host.current = c.current;
        host.log.clear();
        commands.Command19_Click();
        commands.Command17_Click();
        commands.Command18_Click();
        const std::string trace = c.current.toStdString();
        EXPECT_EQ(host.logged(FakeHost::dialogEntry(ToolDialog::Swf2Exe)), c.swf2exe) << trace;
        EXPECT_EQ(host.logged("message=Select wrong file."), !c.swf2exe) << trace;
        EXPECT_EQ(host.logged(FakeHost::dialogEntry(ToolDialog::MoveTo)), c.move) << trace;
        EXPECT_EQ(host.logged("message=You hadn't selected one .swf file to move."), !c.move);
        EXPECT_EQ(host.logged(FakeHost::dialogEntry(ToolDialog::Delete)), c.del) << trace;
        EXPECT_EQ(host.logged("message=You hadn't selected one .swf file to delete"), !c.del);
    }
    host.current = "/m/a.swf";
    host.log.clear();
    commands.Command18_Click();
    EXPECT_EQ(host.log,
              (std::vector<QString>{"disable", FakeHost::dialogEntry(ToolDialog::Delete)}));
}

TEST_F(ToolCommands, Swf2ExeDialog) {
    writeBytes(dir.path("exeh"), filler(700));
    writeBytes(dir.path("Movie.swf"), movieBytes(100));
    host.current = dir.qpath("Movie.swf");
    tools::Swf2ExeDialogLogic logic(host, dialog, dir.path("exeh"));
    EXPECT_EQ(logic.Form_Load(), "Do you want to convert " + host.current + " to exe file?");

    EXPECT_EQ(logic.OKButton_Click(), DialogStep::StayOpen); // save dialog cancelled
    expectRequest(platform::FileDialogMode::Save, "Convert the to exe", dir.qpath("Movie"),
                  "excute flash file (*.exe)|*.exe");
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"Movie.swf", "exeh"}));

    dialog.answers = {dir.qpath("Movie") + QChar(0) + "rest"}; // the proposal accepted
    EXPECT_EQ(logic.OKButton_Click(), DialogStep::Close);
    EXPECT_EQ(std::filesystem::file_size(dir.path("Movie")), 808u);

    tools::Swf2ExeDialogLogic noStub(host, dialog, dir.path("missing"));
    dialog.answers = {dir.qpath("Other.exe")};
    EXPECT_EQ(noStub.OKButton_Click(), DialogStep::Close);
    EXPECT_FALSE(std::filesystem::exists(dir.path("Other.exe")));
    EXPECT_EQ(logic.CancelButton_Click(), DialogStep::Close);
    logic.Form_Unload();
    EXPECT_EQ(host.log, std::vector<QString>{"enable"});
}

TEST_F(ToolCommands, Exe2SwfCommandAndDialog) {
    host.label5Caption = "/old.exe";
    commands.Command24_Click(); // cancelled
    expectRequest(platform::FileDialogMode::Open,
                  "Convert the execute file to the flash file with same name and path.", "",
                  "The execute Flash file (*.exe)|*.exe");
    EXPECT_TRUE(host.log.empty());

    const Bytes projector =
        concat(concat(filler(3000), movieBytes(200)), Bytes{0x56, 0x34, 0x12, 0xFA, 200, 0, 0, 0});
    writeBytes(dir.path("Movie.EXE"), projector);
    dialog.answers = {dir.qpath("Movie.EXE") + QChar(0)};
    commands.Command24_Click();
    EXPECT_EQ(host.log, (std::vector<QString>{"Label5=" + dir.qpath("Movie.EXE"), "disable",
                                              FakeHost::dialogEntry(ToolDialog::Exe2Swf)}));

    int pumped = 0;
    tools::Exe2SwfDialogLogic logic(host, [&] { ++pumped; });
    EXPECT_EQ(logic.Form_Load(), "Do you want to convert " + host.label5Caption + " to swf file?");
    EXPECT_EQ(logic.OKButton_Click(), DialogStep::Close);
    EXPECT_EQ(readBytes(dir.path("Movie.swf")), Bytes(projector.begin() + 3000, projector.end()));
    EXPECT_GT(pumped, 0);

    writeBytes(dir.path("Plain.exe"), filler(3000));
    host.label5Caption = dir.qpath("Plain.exe");
    EXPECT_EQ(logic.OKButton_Click(), DialogStep::Close);
    EXPECT_FALSE(std::filesystem::exists(dir.path("Plain.swf")));
    EXPECT_EQ(logic.CancelButton_Click(), DialogStep::Close);
}

TEST_F(ToolCommands, SaveAsRefusesNonMoviesAndCancelChangesNothing) {
    host.current = "/m/a.SWF";
    commands.mySaveAs();
    EXPECT_EQ(host.log, std::vector<QString>{"message=You hadn't selected one .swf file to save"});
    EXPECT_TRUE(dialog.requests.empty());

    host.log.clear();
    writeBytes(dir.path("a.swf"), movieBytes(10));
    host.current = dir.qpath("a.swf");
    commands.mySaveAs();
    expectRequest(platform::FileDialogMode::Save, "Save the " + host.current + " as", host.current,
                  "ShockwaveFlash file|*.swf");
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(dir.names(), std::vector<std::string>{"a.swf"});
}

TEST_F(ToolCommands, SaveAsWithoutExtensionCopiesToTheNamePlusSwf) {
    writeBytes(dir.path("a.swf"), movieBytes(10));
    host.current = dir.qpath("a.swf");
    host.countAfterOpen = 3;
    dialog.answers = {dir.qpath("copy") + QChar(0)};
    commands.mySaveAs();
    EXPECT_EQ(readBytes(dir.path("copy.swf")), movieBytes(10));
    EXPECT_EQ(host.current, dir.qpath("copy"));
    EXPECT_EQ(host.miniPlayerMovie, dir.qpath("copy"));
    EXPECT_TRUE(host.reListed());
    EXPECT_EQ(host.log.back(), "status=Selected 3 Files");
}

TEST_F(ToolCommands, SaveAsOntoAnExistingFileReplacesItAndOntoItselfKeepsIt) {
    writeBytes(dir.path("a.swf"), movieBytes(10));
    writeBytes(dir.path("b.swf"), filler(500));
    for (const char* target : {"b.swf", "a.swf"}) {
        host.current = dir.qpath("a.swf");
        dialog.answers = {dir.qpath(target)};
        commands.mySaveAs();
        EXPECT_EQ(readBytes(dir.path(target)), movieBytes(10));
    }
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.swf", "b.swf"}));
    EXPECT_TRUE(host.reListed());
    EXPECT_FALSE(host.anyMessage());

    host.current = dir.qpath("gone.swf"); // every step after a failing one still runs
    dialog.answers = {dir.qpath("new.swf")};
    commands.mySaveAs();
    EXPECT_EQ(host.current, dir.qpath("new.swf"));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.swf", "b.swf"}));
}

struct FakeMoveToView : tools::MoveToView {
    QString path = "/", text;
    QStringList notReady;
    QString dirPath() const override { return path; }
    bool setDirPath(const QString& p) override { return !notReady.contains(p) && (path = p, true); }
    void setPathText(const QString& t) override { text = t; }
};

struct MoveToDialog : ToolCommands {
    FakeMoveToView view;
    tools::MoveToLogic logic{host, fs, view};

    void SetUp() override {
        std::filesystem::create_directory(dir.path("to"));
        writeBytes(dir.path("a.swf"), movieBytes(10));
        host.current = dir.qpath("a.swf");
        view.path = dir.qpath("to");
    }
};

TEST_F(MoveToDialog, MovesUnderTheNameOfTheLastCellOrItsOwn) {
    host.fileName = "cell.swf";
    EXPECT_EQ(logic.Form_Load(), "Move " + host.current + " to ...");
    EXPECT_EQ(logic.OKButton_Click(), DialogStep::Close);
    EXPECT_EQ(readBytes(dir.path("to/cell.swf")), movieBytes(10));
    EXPECT_EQ(host.current, dir.qpath("a.swf"));
    EXPECT_TRUE(host.reListed());

    host.fileName.clear();
    host.current = dir.qpath("to/cell.swf");
    view.path = dir.qpath() + "/";
    logic.OKButton_Click();
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"cell.swf", "to"}));
}

TEST_F(MoveToDialog, OntoAnExistingFileOrItsOwnFolderLeavesBothInPlace) {
    writeBytes(dir.path("to/b.swf"), filler(20));
    host.fileName = "b.swf";
    EXPECT_EQ(logic.OKButton_Click(), DialogStep::Close);
    host.fileName = "a.swf";
    view.path = dir.qpath();
    EXPECT_EQ(logic.OKButton_Click(), DialogStep::Close);
    EXPECT_EQ(readBytes(dir.path("a.swf")), movieBytes(10));
    EXPECT_EQ(readBytes(dir.path("to/b.swf")), filler(20));
    EXPECT_TRUE(host.reListed());
    EXPECT_FALSE(host.anyMessage());
}

TEST_F(MoveToDialog, CancelClearsTheCurrentFileAndUnloadRestoresTheMainWindow) {
    EXPECT_EQ(logic.CancelButton_Click(), DialogStep::Close);
    logic.Form_Unload();
    EXPECT_EQ(host.log, (std::vector<QString>{"current=", "enable", "show"}));
}

TEST_F(MoveToDialog, DriveChangesAndTheFloppyMessage) {
    view.notReady = QStringList{"a:", "d:"};
    logic.Drive1_Change("/media");
    EXPECT_EQ(view.text, "/media");
    logic.Drive1_Change("a:");
    logic.Drive1_Change("d:");
    EXPECT_EQ(view.path, "/media");
    EXPECT_EQ(host.log, std::vector<QString>{"critical=Floppy drive is not be ready!"});
    view.path = "/x";
    logic.Dir1_Change();
    EXPECT_EQ(view.text, "/x");
}

TEST_F(ToolCommands, DeleteRemovesTheMovieButNotAReadOnlyOne) {
    writeBytes(dir.path("a.swf"), movieBytes(10));
    writeBytes(dir.path("ro.swf"), movieBytes(10));
    ::chmod(dir.path("ro.swf").c_str(), 0444);
    tools::DeleteDialogLogic logic(host, fs);
    host.current = dir.qpath("ro.swf");
    EXPECT_EQ(logic.Form_Load(), "Do you really want to delete " + host.current + "?");
    EXPECT_EQ(logic.OKButton_Click(), DialogStep::Close);
    EXPECT_TRUE(host.reListed());
    EXPECT_FALSE(host.anyMessage());
    host.current = dir.qpath("a.swf");
    EXPECT_EQ(logic.OKButton_Click(), DialogStep::Close);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"ro.swf"});
    EXPECT_EQ(logic.CancelButton_Click(), DialogStep::Close);
    host.log.clear();
    logic.Form_Unload();
    EXPECT_EQ(host.log, std::vector<QString>{"enable"});
}

} // namespace
