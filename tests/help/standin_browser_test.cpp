// The desktop's own way of opening: xdg-open with a stand-in browser registered as the
// default for web pages in a private XDG setup, and no opener at all. Run headless here and
// once more on a virtual X server, where Qt's desktop services do the opening.
#include "help_fixtures.h"

#include "app/main/form1_help.h"
#include "mixer/stderr_capture.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <optional>
#include <thread>

namespace {

// Sets an environment variable until destroyed.
class EnvScope {
  public:
    EnvScope(const char* name, const QByteArray& value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) previous_ = qgetenv(name);
        qputenv(name, value);
    }
    ~EnvScope() {
        if (previous_)
            qputenv(name_, *previous_);
        else
            qunsetenv(name_);
    }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

  private:
    const char* name_;
    std::optional<QByteArray> previous_;
};

using DesktopOpening = helptest::HelpWindow;

// Comes first: the desktop's opener is looked for anew only until it has been found.
TEST_F(DesktopOpening, WithoutAnyOpenerTheProgramGoesOnAndSaysSoOnce) {
    QTemporaryDir emptyBin;
    EnvScope path("PATH", emptyBin.path().toLocal8Bit());
    EnvScope browser("BROWSER", "");
    openForm(programDir, nullptr);
    StderrCapture err;
    form->runCommand("HelpContents");
    const std::string text = err.text();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(DesktopOpening, TheDefaultBrowserGetsTheManualAndTheHomePage) {
    if (QStandardPaths::findExecutable("xdg-open").isEmpty()) GTEST_SKIP() << "no xdg-open";
    QTemporaryDir xdg;
    const QString noted = xdg.filePath("opened.txt");
    QDir(xdg.path()).mkpath("data/applications");
    QDir(xdg.path()).mkpath("config");
    {
        QFile script(xdg.filePath("standin-browser"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + noted.toLocal8Bit() + "'\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile entry(xdg.filePath("data/applications/reelvista-standin-browser.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        // xdg-open takes the command as its first word: no quotes.
        entry.write("[Desktop Entry]\nType=Application\nName=Stand-in browser\nExec=" +
                    script.fileName().toLocal8Bit() +
                    " %u\nMimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n");
        QFile defaults(xdg.filePath("config/mimeapps.list"));
        ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
        defaults.write("[Default Applications]\ntext/html=reelvista-standin-browser.desktop\n"
                       "x-scheme-handler/https=reelvista-standin-browser.desktop\n");
    }
    // A desktop xdg-open knows nothing special about, with a display to open on.
    EnvScope desktop("XDG_CURRENT_DESKTOP", "X-Generic");
    EnvScope session("DESKTOP_SESSION", "");
    std::optional<EnvScope> display;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        display.emplace("DISPLAY", ":77"); // never connected to: xdg-open only asks for one
    EnvScope config("XDG_CONFIG_HOME", xdg.filePath("config").toLocal8Bit());
    EnvScope configDirs("XDG_CONFIG_DIRS", xdg.filePath("config").toLocal8Bit());
    EnvScope data("XDG_DATA_HOME", xdg.filePath("data").toLocal8Bit());
    EnvScope dataDirs("XDG_DATA_DIRS", xdg.filePath("data").toLocal8Bit());
    openForm(programDir, nullptr);

    const auto waitForLines = [&](int count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        QStringList lines;
        while (std::chrono::steady_clock::now() < end) {
            QFile f(noted);
            if (f.open(QIODevice::ReadOnly))
                lines = QString::fromLocal8Bit(f.readAll()).split('\n', Qt::SkipEmptyParts);
            if (lines.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return lines;
    };
    form->runCommand("HelpContents");
    QStringList opened = waitForLines(1);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QFileInfo(opened[0]).canonicalFilePath(),
              QFileInfo(programDir + "/help/index.html").canonicalFilePath());
    form->runCommand("myHomepage");
    opened = waitForLines(2);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(QFileInfo(opened[1]).canonicalFilePath(),
              QFileInfo(programDir + "/help/about.html").canonicalFilePath());
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
