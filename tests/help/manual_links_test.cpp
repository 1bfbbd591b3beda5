// The manual as the program folder holds it: every page's links and pictures lead to files
// (and parts of pages) that are there, the About page carries the version and the licence,
// and installing the program takes the manual along.
#include "app/main/command_table.h"
#include "support/test_paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QString helpDir() {
    return QString::fromStdString((testpaths::programDir() / "help").string());
}

QString readText(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

bool hasAnchor(const QString& page, const QString& anchor) {
    const QString text = readText(page);
    const QString quoted = QRegularExpression::escape(anchor);
    return text.contains(QRegularExpression(QString(R"((id|name)\s*=\s*["']%1["'])").arg(quoted)));
}

TEST(Manual, EveryLinkOfEveryPageResolves) {
    ASSERT_TRUE(QFileInfo::exists(helpDir() + "/index.html")) << helpDir().toStdString();
    const QRegularExpression link(R"((?:href|src)\s*=\s*["']([^"']*)["'])");
    int pages = 0, links = 0;
    QDirIterator it(helpDir(), {"*.html"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString page = it.next();
        ++pages;
        auto matches = link.globalMatch(readText(page));
        while (matches.hasNext()) {
            const QString target = matches.next().captured(1);
            const QUrl url(target);
            if (!url.scheme().isEmpty()) {
                // Only the web is left outside; the manual never points at the local disk.
                EXPECT_TRUE(url.scheme() == "https" || url.scheme() == "http" ||
                            url.scheme() == "mailto")
                    << page.toStdString() << ": " << target.toStdString();
                continue;
            }
            ++links;
            const QString file = url.path().isEmpty()
                                     ? page
                                     : QFileInfo(page).dir().filePath(url.path());
            EXPECT_TRUE(QFileInfo(file).isFile()) << page.toStdString() << ": " << target.toStdString();
            EXPECT_TRUE(QDir::cleanPath(QFileInfo(file).absoluteFilePath()).startsWith(helpDir()))
                << page.toStdString() << " leaves the manual: " << target.toStdString();
            if (url.hasFragment()) {
                EXPECT_TRUE(hasAnchor(file, url.fragment()))
                    << page.toStdString() << ": " << target.toStdString();
            }
        }
    }
    EXPECT_GE(pages, 2);
    EXPECT_GT(links, 0);
}

TEST(Manual, TheAboutPageGivesVersionLicenceAndWhereToReport) {
    const QString about = readText(helpDir() + "/about.html");
    ASSERT_FALSE(about.isEmpty());
    EXPECT_TRUE(about.contains("Version " REELVISTA_VERSION)) << about.toStdString();
    EXPECT_FALSE(about.contains('@'));
    EXPECT_TRUE(about.contains("GPL-3.0-or-later"));
    EXPECT_TRUE(about.contains("id=\"problems\""));
}

// Text as a page shows it: tags dropped, the few entities the pages use decoded.
QString shownText(const QString& html) {
    QString text = html;
    text.remove(QRegularExpression("<[^>]*>"));
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
    return text.simplified();
}

TEST(Manual, NamesEveryMenuItemAndToolbarButtonAsTheWindowShowsIt) {
    const QString manual = shownText(readText(helpDir() + "/index.html"));
    ASSERT_FALSE(manual.isEmpty());
    for (const browse::MenuSpec& menu : browse::menuTable()) {
        EXPECT_TRUE(manual.contains(QString::fromUtf8(menu.caption))) << menu.caption;
        for (const browse::MenuItemSpec& item : menu.items)
            if (item.caption)
                EXPECT_TRUE(manual.contains(QString::fromUtf8(item.caption))) << item.caption;
    }
    for (const browse::FlatButtonSpec& button : browse::flatButtonTable())
        if (button.shown && *button.tooltip)
            EXPECT_TRUE(manual.contains(QString::fromUtf8(button.tooltip))) << button.tooltip;
}

TEST(Manual, InstallingTakesItAlong) {
    QTemporaryDir prefix;
    QProcess install;
    install.start(REELVISTA_CMAKE, {"--install", REELVISTA_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    QDirIterator it(helpDir(), QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        const QString relative = QDir(helpDir()).relativeFilePath(it.next());
        ++files;
        // lib or lib64, as the system's layout has it.
        const bool there = QFileInfo::exists(prefix.filePath("lib/reelvista/help/" + relative)) ||
                           QFileInfo::exists(prefix.filePath("lib64/reelvista/help/" + relative));
        EXPECT_TRUE(there) << relative.toStdString();
    }
    EXPECT_GE(files, 3);
}

} // namespace
