// Shared by the help tests: a stand-in for the desktop's opener that notes what it is given,
// and the main window over a program folder of the test's choosing.
#pragma once

#include "app/app_fixtures.h"
#include "app/main/form1.h"
#include "platform/url_opener.h"

#include <QUrl>

#include <memory>
#include <vector>

namespace helptest {

class NotedOpener : public platform::UrlOpener {
  public:
    std::vector<QUrl> opened;
    bool works = true;
    bool open(const QUrl& url) override {
        opened.push_back(url);
        return works;
    }
};

inline QString fileUrl(const QString& folder, const QString& relative) {
    return QUrl::fromLocalFile(folder + "/" + relative).toString();
}

// The main window, shown and active; `opener` null gives it the desktop's own.
class HelpWindow : public ::testing::Test {
  protected:
    void openForm(const QString& programDir, platform::UrlOpener* opener) {
        Form1Services s;
        s.drives = &drives;
        s.fileDialog = &dialog;
        s.messages = &messages;
        s.urlOpener = opener;
        s.programDir = programDir;
        s.startFolder = movies.path();
        s.endProgram = [] {};
        s.showSplash = false;
        form = std::make_unique<Form1>(std::move(s));
        form->Form_Load();
    }
    void TearDown() override { form.reset(); }

    testsupport::AlsaTestDevice sound;
    apptest::MovieFolder movies;
    apptest::FakeDrives drives;
    apptest::FakeFileDialog dialog;
    apptest::FakeMessages messages;
    std::unique_ptr<Form1> form;
};

} // namespace helptest
