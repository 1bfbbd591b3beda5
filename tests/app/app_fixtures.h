// Shared by the main window's tests: small movies written into temporary folders, and
// stand-ins for the drives, the file dialog and the message boxes.
#pragma once

#include "app/main/form1.h"
#include "platform/drives.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "support/alsa_test_device.h"
#include "support/recorded_messages.h"
#include "swf/writer/writer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <set>
#include <vector>

namespace apptest {

// Typing, as the keyboard delivers it: a key press and release with the text per character.
inline void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

inline void sendMouse(QWidget* w, QEvent::Type type, Qt::MouseButtons buttons) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// A left click: press and release inside the widget.
inline void click(QWidget* w) {
    sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, Qt::NoButton);
}

// A double click as the window system delivers it: press, release, double click, release.
inline void doubleClick(QWidget* w) {
    click(w);
    sendMouse(w, QEvent::MouseButtonDblClick, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, Qt::NoButton);
}

// A three-frame movie with a coloured square.
inline void writeMovie(const QString& path, swf::Rgba colour = {200, 40, 40, 255}) {
    using namespace swf::writer;
    MovieWriter movie(10, {0, 4000, 0, 3000}, 12);
    movie.add(setBackgroundColor({255, 255, 255, 255}));
    ShapeBuilder s;
    s.fill1(s.addFill(FillStyle::solid(colour))).rect(500, 500, 2000, 1500);
    const uint16_t id = movie.newId();
    movie.add(defineShape(id, s, 3)).place(1, id).showFrame(3);
    auto written = movie.writeFile(path.toStdString());
    ASSERT_FALSE(std::holds_alternative<swf::Error>(written)) << path.toStdString();
}

// An empty file (for listing tests that never load the movies).
inline void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

// A temporary folder of movies named m00.swf, m01.swf, ...
class MovieFolder {
  public:
    explicit MovieFolder(int count = 0) { addMovies(count); }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    static QString movieName(int i) { return QString("m%1.swf").arg(i, 2, 10, QChar('0')); }
    void addMovies(int count) {
        for (int i = 0; i < count; ++i)
            writeMovie(file(movieName(next_++)));
    }
    QString subfolder(const QString& name) const {
        QDir(dir_.path()).mkdir(name);
        return file(name);
    }

  private:
    QTemporaryDir dir_;
    int next_ = 0;
};

class FakeDrives : public platform::Drives {
  public:
    std::vector<platform::Drive> drives{{"/", "", "", false}};
    std::set<QString> notReady;
    std::vector<platform::Drive> list() override { return drives; }
    bool isReady(const platform::Drive& d) override { return !notReady.count(d.mountPoint); }
};

class FakeFileDialog : public platform::FileDialog {
  public:
    // Answers in order; nullopt is a cancel. With none left, the dialog is cancelled.
    std::deque<std::optional<QString>> answers;
    std::vector<platform::FileDialogRequest> requests;
    std::optional<QString> show(const platform::FileDialogRequest& r) override {
        requests.push_back(r);
        std::optional<QString> answer;
        if (!answers.empty()) {
            answer.swap(answers.front());
            answers.pop_front();
        }
        return answer;
    }
};

using Message = testsupport::Message;
using FakeMessages = testsupport::RecordedMessages;

// The main window over a test sound card, with stand-in services, started in `start`.
class FormFixture : public ::testing::Test {
  protected:
    void makeForm(const QString& start, bool splash = false) {
        Form1Services s;
        s.drives = &drives;
        s.fileDialog = &dialog;
        s.messages = &messages;
        s.urlOpener = urlOpener;
        s.programDir = programDir;
        s.startFolder = start;
        s.endProgram = [this] { ++programEnds; };
        s.showSplash = splash;
        form = std::make_unique<Form1>(std::move(s));
    }
    void loadForm(const QString& start, bool splash = false) {
        makeForm(start, splash);
        form->Form_Load();
    }
    void TearDown() override { form.reset(); }

    testsupport::AlsaTestDevice sound; // before the window: its mixer must find it
    FakeDrives drives;
    FakeFileDialog dialog;
    FakeMessages messages;
    platform::UrlOpener* urlOpener = nullptr; // the desktop's own unless a test sets one
    QString programDir = QDir::tempPath() + "/reelvista-no-program-dir";
    int programEnds = 0;
    std::unique_ptr<Form1> form;
};

} // namespace apptest
