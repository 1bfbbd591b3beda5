// The settings file (reader, writer, its place and its permissions), the working copy's
// hand-over to the locker, and the restart budget.
#include "app/lock/settings/locker_handoff.h"
#include "app/lock/settings/restart_budget.h"
#include "app/lock/settings/screen_saver_settings.h"
#include "lock_fixtures.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using namespace lock;
using locktest::ScratchDir;

mode_t modeOf(const std::filesystem::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 0777;
}

void writeText(const std::filesystem::path& p, const std::string& text) {
    locktest::writeBytes(p, tooltest::Bytes(text.begin(), text.end()));
}

TEST(SettingsFields, TheQuoteAwareReaderTakesFieldsAsTheFileWasWritten) {
    EXPECT_EQ(readFields("\"/m/a b.swf\"\r\n\"p, w\"\r\n1\r\n"),
              QStringList({"/m/a b.swf", "p, w", "1"}));
    // Leading blanks skipped, commas separate, an unquoted field is cut at blanks' end.
    EXPECT_EQ(readFields("  \"x\" ,  y  ,z\n\n  2  "), QStringList({"x", "y", "z", "2"}));
    // An empty quoted password stays a field of its own.
    EXPECT_EQ(readFields("\"m\"\r\n\"\"\r\n0\r\n"), QStringList({"m", "", "0"}));
    // A quote inside a path ends the field: such a path does not survive.
    EXPECT_EQ(readFields(formatSettings("/a\"b.swf", "pw", 1)).first(), "/a");
    // A quote never closed runs to the end.
    EXPECT_EQ(readFields("\"m\"\r\n\"pass"), QStringList({"m", "pass"}));
    EXPECT_TRUE(readFields("").isEmpty());
}

TEST(SettingsFile, OnlyZeroIsNotMuted) {
    ScratchDir dir;
    const auto file = dir.path("scr.ini");
    for (const auto& [third, muted] :
         std::vector<std::pair<std::string, bool>>{{"1", true}, {"2", true}, {"0", false},
                                                   {"00", true}, {"x", true}}) {
        writeText(file, "\"/m.swf\"\r\n\"pw\"\r\n" + third + "\r\n");
        auto read = readSettingsFile(QString::fromStdString(file.string()));
        ASSERT_TRUE(std::holds_alternative<ScreenSaverSettings>(read)) << third;
        EXPECT_EQ(std::get<ScreenSaverSettings>(read),
                  (ScreenSaverSettings{"/m.swf", "pw", muted}))
            << third;
    }
}

TEST(SettingsFile, MissingShortOversizedOrNotAFileIsAnError) {
    ScratchDir dir;
    const QString missing = dir.qpath("none.ini");
    EXPECT_FALSE(swf::ok(readSettingsFile(missing)));
    writeText(dir.path("short.ini"), "\"/m.swf\"\r\n\"pw");
    EXPECT_FALSE(swf::ok(readSettingsFile(dir.qpath("short.ini"))));
    writeText(dir.path("huge.ini"), "\"/m.swf\"\r\n\"pw\"\r\n1\r\n" + std::string(1 << 17, ' '));
    EXPECT_FALSE(swf::ok(readSettingsFile(dir.qpath("huge.ini"))));
    std::filesystem::create_directory(dir.path("folder.ini"));
    EXPECT_FALSE(swf::ok(readSettingsFile(dir.qpath("folder.ini"))));
}

TEST(SettingsFile, WrittenWholeInAPrivateFolderAndReadableByItsOwnerAlone) {
    ScratchDir dir;
    const auto file = dir.path("config/reelvista/scr.ini");
    const QString path = QString::fromStdString(file.string());
    ASSERT_TRUE(swf::ok(writeSettingsFile(path, formatSettings("/m.swf", "secret", 1))));
    EXPECT_EQ(locktest::readBytes(file),
              tooltest::Bytes({'"', '/', 'm', '.', 's', 'w', 'f', '"', '\r', '\n', '"', 's', 'e', 'c',
                               'r', 'e', 't', '"', '\r', '\n', '1', '\r', '\n'}));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(modeOf(dir.path("config/reelvista")), 0700u);
    EXPECT_EQ(modeOf(dir.path("config")), 0700u);

    // A longer file is replaced whole; nothing half-written stays beside it.
    writeText(file, std::string(500, 'x'));
    ASSERT_TRUE(swf::ok(writeSettingsFile(path, formatSettings("/n.swf", "", 0))));
    auto read = readSettingsFile(path);
    ASSERT_TRUE(swf::ok(read));
    EXPECT_EQ(std::get<ScreenSaverSettings>(read), (ScreenSaverSettings{"/n.swf", "", false}));
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path("config/reelvista")))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"scr.ini"});

    // A folder that cannot be made fails and leaves nothing.
    writeText(dir.path("blocker"), "");
    EXPECT_FALSE(swf::ok(writeSettingsFile(dir.qpath("blocker/reelvista/scr.ini"), "x")));
}

TEST(SettingsFile, OnePerUserUnderTheConfigurationFolder) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/somewhere/config");
    EXPECT_EQ(settingsFilePath(), "/somewhere/config/reelvista/scr.ini");
    qputenv("XDG_CONFIG_HOME", "relative/config"); // not absolute: ignored
    EXPECT_EQ(settingsFilePath(), QDir::homePath() + "/.config/reelvista/scr.ini");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsFilePath(), QDir::homePath() + "/.config/reelvista/scr.ini");
    if (!saved.isNull()) qputenv("XDG_CONFIG_HOME", saved);
}

TEST(Handoff, TheWorkingCopyArrivesWholeOrNotAtAll) {
    const ScreenSaverSettings copy{"/m \"q\".swf", "p\"a,s\ns\r", true};
    const QByteArray bytes = encodeWorkingCopy(copy);
    EXPECT_EQ(decodeWorkingCopy(bytes), copy);
    EXPECT_EQ(decodeWorkingCopy(encodeWorkingCopy({"", "", false})),
              (ScreenSaverSettings{"", "", false}));
    for (qsizetype cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(decodeWorkingCopy(bytes.left(cut))) << cut;
    EXPECT_FALSE(decodeWorkingCopy(bytes + "x"));
    QByteArray huge = bytes;
    huge[8] = char(0x7f); // a length far past the end
    EXPECT_FALSE(decodeWorkingCopy(huge));
    EXPECT_FALSE(decodeWorkingCopy(QByteArray(kMaxHandoffSize + 1, 'a')));
}

TEST(Handoff, RefusalsHaveMessagesAndTheUnlockHasNone) {
    EXPECT_TRUE(refusalMessage(int(LockerExit::Unlocked)).isEmpty());
    EXPECT_TRUE(refusalMessage(134).isEmpty());
    EXPECT_FALSE(refusalMessage(int(LockerExit::GrabRefused)).isEmpty());
    EXPECT_TRUE(refusalMessage(int(LockerExit::WaylandRefused)).contains("Wayland"));
}

TEST(RestartBudget, ThreeAMinuteThenNever) {
    RestartBudget budget;
    const auto t0 = RestartBudget::Clock::time_point{} + std::chrono::hours(1);
    EXPECT_TRUE(budget.allow(t0));
    EXPECT_TRUE(budget.allow(t0 + std::chrono::seconds(70)));
    EXPECT_TRUE(budget.allow(t0 + std::chrono::seconds(80)));
    EXPECT_TRUE(budget.allow(t0 + std::chrono::seconds(90))); // the first fell out of the minute
    EXPECT_FALSE(budget.allow(t0 + std::chrono::seconds(100)));
    EXPECT_TRUE(budget.exhausted());
    EXPECT_FALSE(budget.allow(t0 + std::chrono::hours(2)));
}

} // namespace
