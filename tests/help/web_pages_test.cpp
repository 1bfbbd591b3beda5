// The addresses of the home page and the manual, and how an address is handed on.
#include "help_fixtures.h"

#include "app/tools/web_pages.h"
#include "mixer/stderr_capture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

int lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(WebPages, HomePageAndManualAreFilesOfTheProgramFolder) {
    EXPECT_EQ(tools::homePageAddress("/opt/reelvista"), "file:///opt/reelvista/help/about.html");
    EXPECT_EQ(tools::manualAddress("/opt/reelvista/"), "file:///opt/reelvista/help/index.html");
    EXPECT_EQ(tools::homePageAddress("/opt/a folder"), "file:///opt/a folder/help/about.html");
}

TEST(WebPages, AnExistingPageOrAWebAddressIsHandedOn) {
    QTemporaryDir dir;
    const QString page = dir.filePath("page #1.html");
    QFile(page).open(QIODevice::WriteOnly);
    helptest::NotedOpener opener;
    StderrCapture err;
    EXPECT_TRUE(tools::openAddress(opener, QUrl::fromLocalFile(page).toString()));
    EXPECT_TRUE(tools::openAddress(opener, page)); // a plain path works too
    EXPECT_TRUE(tools::openAddress(opener, " https://example.org/a?b=c "));
    EXPECT_EQ(err.text(), "");
    ASSERT_EQ(opener.opened.size(), 3u);
    EXPECT_EQ(opener.opened[0].toLocalFile(), page);
    EXPECT_EQ(opener.opened[1].toLocalFile(), page);
    EXPECT_EQ(opener.opened[2], QUrl("https://example.org/a?b=c"));
}

TEST(WebPages, WhatCannotBeOpenedEndsWithOneLineEach) {
    QTemporaryDir dir;
    helptest::NotedOpener opener;
    for (const QString& address :
         {QUrl::fromLocalFile(dir.filePath("missing.html")).toString(), dir.path(), QString(),
          QString("   ")}) {
        StderrCapture err;
        EXPECT_FALSE(tools::openAddress(opener, address)) << address.toStdString();
        EXPECT_EQ(lines(err.text()), 1) << address.toStdString();
    }
    EXPECT_TRUE(opener.opened.empty());

    opener.works = false;
    StderrCapture err;
    EXPECT_FALSE(tools::openAddress(opener, "https://example.org/"));
    EXPECT_EQ(lines(err.text()), 1);
}

} // namespace
