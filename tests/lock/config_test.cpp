// The configuration dialog myConfig as a user works it: its real window with a scripted
// file dialog, over a stand-in main window, writing real settings files.
#include "app/lock/config_window.h"
#include "app/lock/settings/screen_saver_settings.h"
#include "app/playback/flash_player.h"
#include "lock_fixtures.h"
#include "swf/writer/writer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using namespace locktest;

QString writeMovie(const ScratchDir& dir, const std::string& name) {
    swf::writer::MovieWriter movie(10, {0, 2000, 0, 2000}, 12);
    movie.showFrame(3);
    const QString path = dir.qpath(name);
    movie.writeFile(path.toStdString());
    return path;
}

class ConfigDialogTest : public ::testing::Test {
  protected:
    void open() {
        window = std::make_unique<lock::ConfigWindow>(host, files, programDir.qpath(),
                                                      settingsFile());
        host.enabled = false; // as Command21 leaves it
        window->Form_Load();
        window->show();
    }
    void click(const char* name) { window->button(name)->click(); }
    QString settingsFile() const { return config.qpath("reelvista/scr.ini"); }
    QString defaultMovie() const { return programDir.qpath("default.swf"); }

    ScratchDir programDir, config, movies;
    FakeLockHost host;
    ScriptedFileDialog files;
    std::unique_ptr<lock::ConfigWindow> window;
};

TEST_F(ConfigDialogTest, OpensOnTheWorkingCopyWithItsCaptionsAndPlaysThePreview) {
    host.flash = writeMovie(movies, "a.swf");
    host.password = "pw";
    host.mute = "F";
    open();
    EXPECT_EQ(window->windowTitle(), "Config");
    EXPECT_EQ(window->myChFileBox()->text(), host.flash);
    EXPECT_EQ(window->myPassWordBox()->text(), "pw");
    EXPECT_EQ(window->myPassWordBox()->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(window->myPassWordBox()->placeholderText().isEmpty());
    EXPECT_FALSE(window->ifMuteBox()->isChecked());
    EXPECT_EQ(window->ifMuteBox()->text(), "Mute");
    EXPECT_EQ(window->ShockwaveFlash1()->Movie(), host.flash);
    EXPECT_TRUE(window->ShockwaveFlash1()->IsPlaying());
    const std::vector<std::pair<const char*, const char*>> captions{
        {"Command1", "Ok"},   {"Command2", "Canncel"}, {"Command3", "Default"},
        {"Command4", "Save"}, {"Command5", "Load"},    {"Command6", "Install to Win"},
        {"myBrowse", "Browse"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(window->button(name)->text(), caption) << name;
    EXPECT_EQ(window->button("Command4")->toolTip(), "Set this swf to system's SCR saver");
}

TEST_F(ConfigDialogTest, OkAppliesToTheWorkingCopyAndOnlyALowerCaseSwfIsKept) {
    open();
    window->myChFileBox()->setText("/movies/UPPER.SWF");
    window->myPassWordBox()->setText("Secret");
    window->ifMuteBox()->setChecked(false);
    click("Command1");
    EXPECT_EQ(host.flash, programDir.qpath("default.swf"));
    EXPECT_EQ(host.password, "Secret");
    EXPECT_EQ(host.mute, "F");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(host.enabled);
    EXPECT_FALSE(QFile::exists(settingsFile())); // Ok writes no file

    // Opening again shows what was applied.
    open();
    EXPECT_EQ(window->myPassWordBox()->text(), "Secret");
    EXPECT_FALSE(window->ifMuteBox()->isChecked());
    window->myChFileBox()->setText("/movies/kept.swf");
    click("Command1");
    EXPECT_EQ(host.flash, "/movies/kept.swf");
}

TEST_F(ConfigDialogTest, BrowseChangesTheWorkingCopyAtOnceAndCanncelKeepsIt) {
    const QString movie = writeMovie(movies, "browsed.swf");
    files.answers = {movie + QChar(0) + "rest", std::nullopt};
    open();
    click("myBrowse");
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].title, "Open the *.swf file");
    EXPECT_EQ(files.requests[0].filter, "The ShockwaveFlash file(.swf)|*.swf");
    EXPECT_EQ(files.requests[0].flags, 0x2004);
    EXPECT_EQ(window->myChFileBox()->text(), movie);
    EXPECT_EQ(window->ShockwaveFlash1()->Movie(), movie);
    EXPECT_EQ(host.flash, movie);
    click("myBrowse"); // cancelled: nothing changes
    EXPECT_EQ(host.flash, movie);
    click("Command2");
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(host.enabled);
    EXPECT_EQ(host.flash, movie);
}

TEST_F(ConfigDialogTest, DefaultResetsDialogAndWorkingCopy) {
    host.flash = "/m/x.swf", host.password = "pw", host.mute = "F";
    open();
    click("Command3");
    EXPECT_EQ(host.flash, defaultMovie());
    EXPECT_EQ(host.password, "");
    EXPECT_EQ(host.mute, "T");
    EXPECT_EQ(window->myChFileBox()->text(), defaultMovie());
    EXPECT_EQ(window->myPassWordBox()->text(), "");
    EXPECT_TRUE(window->ifMuteBox()->isChecked());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ConfigDialogTest, SaveWithAnEmptyPreviewWritesTheDefaultMovieAndLoadBringsAllBack) {
    host.flash = ""; // the preview stays empty
    open();
    ASSERT_EQ(window->ShockwaveFlash1()->Movie(), "");
    window->myPassWordBox()->setText("p w");
    window->ifMuteBox()->setChecked(true);
    window->myChFileBox()->setText("/typed/by/hand.swf"); // not in the preview: not saved
    click("Command4");
    auto saved = lock::readSettingsFile(settingsFile());
    ASSERT_TRUE(swf::ok(saved));
    EXPECT_EQ(std::get<lock::ScreenSaverSettings>(saved),
              (lock::ScreenSaverSettings{defaultMovie(), "p w", true}));
    struct stat st {};
    ASSERT_EQ(::stat(settingsFile().toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    window->myChFileBox()->setText("other");
    window->myPassWordBox()->setText("");
    window->ifMuteBox()->setChecked(false);
    click("Command5");
    EXPECT_EQ(window->myChFileBox()->text(), defaultMovie());
    EXPECT_EQ(window->myPassWordBox()->text(), "p w");
    EXPECT_TRUE(window->ifMuteBox()->isChecked());
    EXPECT_EQ(window->ShockwaveFlash1()->Movie(), defaultMovie());
    EXPECT_EQ(host.password, ""); // the working copy waits for Ok
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ConfigDialogTest, LoadOfAMissingOrShortFileSaysSoAndChangesNothing) {
    host.password = "keep";
    open();
    click("Command5");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].contains(settingsFile()));
    QDir().mkpath(config.qpath("reelvista"));
    writeBytes(config.path("reelvista/scr.ini"), {'"', 'm', '"', '\r', '\n'});
    click("Command5");
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(window->myPassWordBox()->text(), "keep");
}

TEST_F(ConfigDialogTest, InstallSavesThenCopiesTheScreenSaverWholeAndExecutable) {
    const tooltest::Bytes program = tooltest::filler(70000, 3);
    writeBytes(programDir.path("OrbisaneSCR.scr"), program);
    ::chmod(programDir.path("OrbisaneSCR.scr").c_str(), 0755);
    const auto target = movies.path("installed.scr");
    writeBytes(target, tooltest::filler(200000, 9)); // longer: replaced whole
    files.answers = {std::nullopt, movies.qpath("installed.scr")};
    open();
    click("Command6"); // cancelled: nothing saved, nothing copied
    EXPECT_FALSE(QFile::exists(settingsFile()));
    EXPECT_EQ(readBytes(target).size(), 200000u);
    click("Command6");
    ASSERT_EQ(files.requests.size(), 2u);
    EXPECT_EQ(files.requests[1].mode, platform::FileDialogMode::Save);
    EXPECT_EQ(files.requests[1].title, "Copy the OrbisaneSCR.scr to the Windows system Direction");
    EXPECT_EQ(files.requests[1].fileName, "OrbisaneSCR.scr");
    EXPECT_EQ(files.requests[1].filter, "");
    EXPECT_EQ(files.requests[1].flags, 0x2004);
    EXPECT_TRUE(QFile::exists(settingsFile()));
    EXPECT_EQ(readBytes(target), program);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0111, 0111u);
    EXPECT_EQ(movies.names(), std::vector<std::string>{"installed.scr"});

    // A missing source copies nothing and says nothing.
    QFile::remove(programDir.qpath("OrbisaneSCR.scr"));
    files.answers = {movies.qpath("second.scr")};
    click("Command6");
    EXPECT_FALSE(QFile::exists(movies.qpath("second.scr")));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ConfigDialogTest, TheWindowsOwnCloseReenablesTheMainWindowOnce) {
    open();
    window->close();
    EXPECT_TRUE(host.enabled);
    host.enabled = false;
    window->close();
    EXPECT_FALSE(host.enabled);
}

} // namespace
