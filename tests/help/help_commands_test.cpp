// The Help menu's commands through the main window's controls: F1, "&Contents....", the
// Help button and "&Homepage", with the program's own manual and without one.
#include "help_fixtures.h"

#include "app/main/flat_button.h"
#include "app/main/form1_help.h"
#include "mixer/stderr_capture.h"

#include <QAction>
#include <QLabel>
#include <QTest>

using helptest::fileUrl;

namespace {

using HelpCommands = helptest::HelpWindow;

TEST_F(HelpCommands, F1ContentsAndTheHelpButtonOpenTheManual) {
    openForm(programDir, &opener);
    auto* contents = form->findChild<QAction*>("HelpContents");
    auto* button = form->findChild<FlatButton*>("FlatBttn12");
    ASSERT_TRUE(contents && button);
    EXPECT_TRUE(contents->isEnabled());
    EXPECT_TRUE(button->isEnabled());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    QTest::keyClick(form.get(), Qt::Key_F1);
    contents->trigger();
    button->click();
    const QUrl manual(fileUrl(programDir, "help/index.html"));
    ASSERT_EQ(opener.opened.size(), 3u);
    for (const QUrl& url : opener.opened)
        EXPECT_EQ(url, manual);
    EXPECT_TRUE(QFileInfo::exists(manual.toLocalFile()));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HelpCommands, HomepageOpensTheAboutPageThroughTheUrlLabel) {
    openForm(programDir, &opener);
    auto* homepage = form->findChild<QAction*>("myHomepage");
    ASSERT_TRUE(homepage);
    EXPECT_TRUE(homepage->isEnabled());
    homepage->trigger();
    const QString about = fileUrl(programDir, "help/about.html");
    EXPECT_EQ(form->hiddenLabel(browse::HiddenLabel::URL), about);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl(about));

    // The web-page routine opens whatever the label holds.
    form->setHiddenLabel(browse::HiddenLabel::URL, "https://example.org/reelvista");
    form->help().openWebPage();
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(opener.opened[1], QUrl("https://example.org/reelvista"));
}

TEST_F(HelpCommands, AMissingManualShowsNothingAndLeavesOneLineOnStandardError) {
    QTemporaryDir emptyProgramDir;
    openForm(emptyProgramDir.path(), &opener);
    StderrCapture err;
    form->runCommand("HelpContents");
    const std::string text = err.text();
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_NE(text.find("help/index.html"), std::string::npos) << text;
    EXPECT_TRUE(form->isEnabled());

    StderrCapture again;
    form->runCommand("myHomepage");
    const std::string second = again.text();
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 1) << second;
    EXPECT_TRUE(opener.opened.empty());
}

TEST_F(HelpCommands, ABrowserThatCannotBeStartedShowsNothing) {
    opener.works = false;
    openForm(programDir, &opener);
    StderrCapture err;
    form->runCommand("myHomepage");
    const std::string text = err.text();
    EXPECT_EQ(opener.opened.size(), 1u);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_TRUE(form->isEnabled());
}

} // namespace
