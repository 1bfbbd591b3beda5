// Shared by the help tests: a stand-in for the desktop's opener that notes what it is given,
// and the main window over a program folder of the test's choosing.
#pragma once

#include "app/app_fixtures.h"
#include "platform/url_opener.h"
#include "support/test_paths.h"

#include <QUrl>

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

// The main window over the build's program folder (with its manual), the opener noting
// what it is given unless a test says otherwise.
class HelpWindow : public apptest::FormFixture {
  protected:
    void SetUp() override { programDir = QString::fromStdString(testpaths::programDir().string()); }
    // `opener` null gives the window the desktop's own.
    void openForm(const QString& folder, platform::UrlOpener* opener) {
        programDir = folder;
        urlOpener = opener;
        loadForm(movies.path());
    }

    apptest::MovieFolder movies;
    NotedOpener opener;
};

} // namespace helptest
