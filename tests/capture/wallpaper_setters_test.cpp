// Which desktop the session is, and the wallpaper setters: the desktops' own programs
// through stand-ins that record their calls, and gsettings for real over its keyfile
// backend.
#include "capture_fixtures.h"

#include "platform/wallpaper_desktop.h"
#include "platform/wallpaper_setters.h"

#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using capturetest::ScopedEnv;
using capturetest::StandIns;
using platform::Desktop;
using platform::DesktopEnvironment;
using platform::DesktopWallpaper;

DesktopEnvironment session(const QString& current, const QString& type = "x11") {
    DesktopEnvironment env;
    env.currentDesktop = current;
    env.sessionType = type;
    env.display = ":5";
    env.primaryMonitor = "HDMI-1";
    return env;
}

TEST(DesktopDetection, ReadsTheVariablesInOrderAndKnowsTheRelatives) {
    struct Case {
        QString current, session, desktopSession;
        Desktop expected;
    };
    const std::vector<Case> cases = {
        {"GNOME", "", "", Desktop::Gnome},
        {"ubuntu:GNOME", "", "", Desktop::Gnome},
        {"Unity:Unity7:ubuntu", "", "", Desktop::Gnome},
        {"Budgie:GNOME", "", "", Desktop::Gnome},
        {"Pantheon", "", "", Desktop::Gnome},
        {"X-Cinnamon", "", "", Desktop::Cinnamon},
        {"MATE", "", "", Desktop::Mate},
        {"KDE", "", "", Desktop::Plasma},
        {"XFCE", "", "", Desktop::Xfce},
        {"LXQt", "", "", Desktop::LXQt},
        {"LXDE", "", "", Desktop::LXDE},
        {"sway", "", "", Desktop::Sway},
        // An unknown or missing current desktop leaves it to the next variable.
        {"", "plasma", "", Desktop::Plasma},
        {"Hyprland", "", "xfce", Desktop::Xfce},
        {"", "", "/usr/share/xsessions/plasma", Desktop::Plasma},
        {"", "", "mate.desktop", Desktop::Mate},
        {"", "", "", Desktop::Unknown},
        {"i3", "i3", "i3", Desktop::Unknown},
        // The first variable that names a known desktop decides.
        {"XFCE", "gnome", "", Desktop::Xfce},
    };
    for (const Case& c : cases) {
        DesktopEnvironment env;
        env.currentDesktop = c.current;
        env.sessionDesktop = c.session;
        env.desktopSession = c.desktopSession;
        EXPECT_EQ(platform::detectDesktop(env), c.expected)
            << c.current.toStdString() << " / " << c.session.toStdString() << " / "
            << c.desktopSession.toStdString();
    }
}

TEST(DesktopDetection, AnX11SessionIsSaidOrHasOnlyAnXDisplay) {
    DesktopEnvironment env;
    env.sessionType = "x11";
    EXPECT_TRUE(platform::isX11Session(env));
    env.sessionType = "wayland";
    env.display = ":0"; // Xwayland
    EXPECT_FALSE(platform::isX11Session(env));
    env.sessionType = "";
    EXPECT_TRUE(platform::isX11Session(env));
    env.waylandDisplay = "wayland-0";
    EXPECT_FALSE(platform::isX11Session(env));
    env = {};
    env.sessionType = "tty";
    EXPECT_FALSE(platform::isX11Session(env));
}

class Setters : public ::testing::Test {
  protected:
    // The setter with a recording root-pixmap setter.
    platform::WallpaperOutcome set(const DesktopEnvironment& env) {
        DesktopWallpaper wallpaper(env, [this](const QString& f, const QByteArray& display) {
            rootCalls.push_back(f + "@" + QString::fromLatin1(display));
            return rootResult;
        });
        return wallpaper.setWallpaper(file);
    }

    StandIns programs;
    QString file = "/home/u/reel vista/OrbisaneWallpaper.bmp";
    QString uri = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    std::vector<QString> rootCalls;
    platform::Status rootResult = platform::success();
};

TEST_F(Setters, PlasmaAppliesTheImageAfterTheShellForgetsTheOldOne) {
    programs.add("plasma-apply-wallpaperimage");
    programs.add("dbus-send");
    const auto outcome = set(session("KDE"));
    EXPECT_TRUE(outcome.set);
    const auto calls = programs.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].mid(0, 7),
              QStringList({"dbus-send", "--session", "--print-reply", "--dest=org.kde.plasmashell",
                           "--type=method_call", "/PlasmaShell",
                           "org.kde.PlasmaShell.evaluateScript"}));
    EXPECT_TRUE(calls[0][7].startsWith("string:var all = desktops();"));
    EXPECT_TRUE(calls[0][7].contains("d.writeConfig('Image', '');"));
    EXPECT_FALSE(calls[0][7].contains(uri));
    EXPECT_EQ(calls[1], QStringList({"plasma-apply-wallpaperimage", file}));
    EXPECT_TRUE(rootCalls.empty());
}

TEST_F(Setters, PlasmaWithoutTheToolScriptsEveryDesktopEmptyThenTheFile) {
    programs.add("dbus-send");
    EXPECT_TRUE(set(session("KDE")).set);
    const auto calls = programs.calls();
    ASSERT_EQ(calls.size(), 1u);
    const QString script = calls[0].last();
    const auto empty = script.indexOf("d.writeConfig('Image', '');");
    const auto image = script.indexOf("d.writeConfig('Image', '" + uri + "');");
    EXPECT_GE(empty, 0);
    EXPECT_GT(image, empty);
    EXPECT_TRUE(script.contains("d.wallpaperPlugin = 'org.kde.image';"));
}

TEST_F(Setters, XfceSetsEveryLastImageKeyEmptyThenTheFile) {
    programs.add("xfconf-query", 0,
                 "/backdrop/screen0/monitorHDMI-1/workspace0/color-style\n"
                 "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
                 "/backdrop/screen0/monitorDP-2/workspace1/last-image\n"
                 "/backdrop/single-workspace-mode\n");
    EXPECT_TRUE(set(session("XFCE")).set);
    const QStringList channel{"xfconf-query", "-c", "xfce4-desktop"};
    const QString first = "/backdrop/screen0/monitorHDMI-1/workspace0/last-image";
    const QString second = "/backdrop/screen0/monitorDP-2/workspace1/last-image";
    const std::vector<QStringList> expected = {
        channel + QStringList{"-l"},
        channel + QStringList{"-p", first, "-s", ""},
        channel + QStringList{"-p", first, "-s", file},
        channel + QStringList{"-p", second, "-s", ""},
        channel + QStringList{"-p", second, "-s", file},
    };
    EXPECT_EQ(programs.calls(), expected);
}

TEST_F(Setters, XfceWithoutAnImageKeyCreatesOneForThePrimaryMonitor) {
    programs.add("xfconf-query", 0, "/backdrop/single-workspace-mode\n");
    EXPECT_TRUE(set(session("XFCE")).set);
    const auto calls = programs.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], QStringList({"xfconf-query", "-c", "xfce4-desktop", "-p",
                                     "/backdrop/screen0/monitorHDMI-1/workspace0/last-image",
                                     "-n", "-t", "string", "-s", file}));
}

TEST_F(Setters, LxqtLxdeAndSwayCallTheirTools) {
    programs.add("pcmanfm-qt");
    programs.add("pcmanfm");
    programs.add("swaymsg");
    EXPECT_TRUE(set(session("LXQt")).set);
    EXPECT_TRUE(set(session("LXDE")).set);
    EXPECT_TRUE(set(session("sway", "wayland")).set);
    const std::vector<QStringList> expected = {
        {"pcmanfm-qt", "--set-wallpaper", file},
        {"pcmanfm", "--set-wallpaper", file},
        {"swaymsg", "output", "*", "bg", file, "fill"},
    };
    EXPECT_EQ(programs.calls(), expected);
}

TEST_F(Setters, AFailingDesktopFallsThroughToTheX11SettersInOrder) {
    programs.add("xfconf-query", 1);
    programs.add("feh", 2);
    programs.add("xwallpaper", 1);
    programs.add("gsettings"); // another desktop's settings stay untouched
    rootResult = swf::Error{"cannot open the X display"};
    const auto outcome = set(session("XFCE"));
    EXPECT_FALSE(outcome.set);
    EXPECT_EQ(programs.programs(), QStringList({"xfconf-query", "feh", "xwallpaper"}));
    EXPECT_EQ(programs.calls()[1], QStringList({"feh", "--bg-fill", file}));
    EXPECT_EQ(programs.calls()[2], QStringList({"xwallpaper", "--zoom", file}));
    EXPECT_EQ(rootCalls, std::vector<QString>{file + "@:5"});
    EXPECT_EQ(outcome.tried, QStringList({"xfconf-query: exit status 1", "feh: exit status 2",
                                          "xwallpaper: exit status 1",
                                          "X root window: cannot open the X display"}));
}

TEST_F(Setters, AbsentX11ToolsLeaveItToTheRootWindow) {
    const auto outcome = set(session("i3"));
    EXPECT_TRUE(outcome.set);
    EXPECT_TRUE(programs.calls().empty());
    EXPECT_EQ(rootCalls.size(), 1u);
}

TEST_F(Setters, TheFirstX11ToolThatWorksEndsTheSearch) {
    programs.add("feh");
    programs.add("xwallpaper");
    EXPECT_TRUE(set(session("")).set);
    EXPECT_EQ(programs.programs(), QStringList({"feh"}));
    EXPECT_TRUE(rootCalls.empty());
}

TEST_F(Setters, AWaylandSessionHasNoX11Fallback) {
    programs.add("swaymsg", 1);
    programs.add("feh");
    const auto outcome = set(session("sway", "wayland"));
    EXPECT_FALSE(outcome.set);
    EXPECT_EQ(programs.programs(), QStringList({"swaymsg"}));
    EXPECT_TRUE(rootCalls.empty());
    EXPECT_EQ(outcome.tried, QStringList({"swaymsg: exit status 1"}));

    EXPECT_EQ(set(session("LXQt", "wayland")).tried, QStringList({"pcmanfm-qt: not installed"}));
    const auto unknown = set(session("Hyprland", "wayland"));
    EXPECT_FALSE(unknown.set);
    EXPECT_TRUE(unknown.tried.isEmpty());
}

// gsettings itself, over the keyfile backend in a folder of the test's own; a stand-in
// in front of it records the order of the calls.
class RealGSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        real = QStandardPaths::findExecutable("gsettings");
        if (real.isEmpty()) GTEST_SKIP() << "gsettings is not installed";
        programs.emplace();
        programs->addWrapper("gsettings", real);
    }
    bool hasSchema(const QString& schema) {
        QProcess p;
        p.start(real, {"list-schemas"});
        p.waitForFinished(10000);
        return p.readAllStandardOutput().split('\n').contains(schema.toLatin1());
    }
    // A key's value; a string without its quotes and escapes.
    QString get(const QString& schema, const QString& key) {
        QProcess p;
        p.start(real, {"get", schema, key});
        p.waitForFinished(10000);
        QString value = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        if (value.size() >= 2 && (value[0] == '\'' || value[0] == '"') && value.back() == value[0])
            value = value.mid(1, value.size() - 2).replace("\\'", "'").replace("\\\\", "\\");
        return value;
    }
    void put(const QString& schema, const QString& key, const QString& value) {
        QProcess::execute(real, {"set", schema, key, value});
    }
    platform::WallpaperOutcome set(const QString& desktop) {
        DesktopWallpaper wallpaper(session(desktop, "wayland"));
        return wallpaper.setWallpaper(file);
    }

    QTemporaryDir config;
    ScopedEnv backend{"GSETTINGS_BACKEND", QByteArray("keyfile")};
    ScopedEnv configHome{"XDG_CONFIG_HOME", config.path().toLocal8Bit()};
    QString real;
    std::optional<StandIns> programs;
    QString file = "/tmp/it's here/OrbisaneWallpaper.bmp";
    QString uri = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
};

TEST_F(RealGSettings, GnomeGetsBothPictureUrisAndAFillingMode) {
    const QString schema = "org.gnome.desktop.background";
    if (!hasSchema(schema)) GTEST_SKIP() << "no GNOME desktop schemas";
    put(schema, "picture-options", "'none'");
    EXPECT_TRUE(set("GNOME").set);
    EXPECT_EQ(get(schema, "picture-uri"), uri);
    EXPECT_EQ(get(schema, "picture-uri-dark"), uri);
    EXPECT_EQ(get(schema, "picture-options"), "zoom");

    const std::vector<QStringList> calls = programs->calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], QStringList({"gsettings", "set", schema, "picture-uri", "''"}));
    EXPECT_EQ(calls[1],
              QStringList({"gsettings", "set", schema, "picture-uri", platform::gvariantString(uri)}));
    EXPECT_EQ(calls[2], QStringList({"gsettings", "set", schema, "picture-uri-dark", "''"}));
}

TEST_F(RealGSettings, AChosenFillingModeIsKept) {
    const QString schema = "org.gnome.desktop.background";
    if (!hasSchema(schema)) GTEST_SKIP() << "no GNOME desktop schemas";
    put(schema, "picture-options", "'centered'");
    EXPECT_TRUE(set("GNOME").set);
    EXPECT_EQ(get(schema, "picture-options"), "centered");
}

TEST_F(RealGSettings, CinnamonTakesAUriAndMateAPath) {
    const QString cinnamon = "org.cinnamon.desktop.background";
    const QString mate = "org.mate.background";
    if (!hasSchema(cinnamon) || !hasSchema(mate)) GTEST_SKIP() << "no Cinnamon or MATE schemas";
    EXPECT_TRUE(set("X-Cinnamon").set);
    EXPECT_EQ(get(cinnamon, "picture-uri"), uri);
    EXPECT_TRUE(set("MATE").set);
    EXPECT_EQ(get(mate, "picture-filename"), file);
    // Neither touched GNOME's settings.
    EXPECT_NE(get("org.gnome.desktop.background", "picture-uri"), uri);
}

TEST_F(RealGSettings, AMissingSchemaFailsWithGSettingsWords) {
    ScopedEnv noSchemas("GSETTINGS_SCHEMA_DIR", config.path().toLocal8Bit());
    ScopedEnv onlyThose("XDG_DATA_DIRS", config.path().toLocal8Bit());
    const auto outcome = set("GNOME");
    EXPECT_FALSE(outcome.set);
    ASSERT_EQ(outcome.tried.size(), 1);
    EXPECT_TRUE(outcome.tried[0].startsWith("gsettings org.gnome.desktop.background: exit status 1"))
        << outcome.tried[0].toStdString();
}

} // namespace
