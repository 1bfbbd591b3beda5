// Stand-ins shared by the capture and wallpaper tests: displays with and without a
// palette, a recording wallpaper, programs on PATH that record how they were called, an
// X server of the tests' own, and environment variables set for one test.
#pragma once

#include "platform/display_caps.h"
#include "platform/wallpaper.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

namespace capturetest {

// A display whose colour map has `entries` entries: entry i is (i, 255 - i, i / 2).
class PaletteDisplay : public platform::DisplayCaps {
  public:
    explicit PaletteDisplay(int entries, bool paletteDevice = true)
        : entries_(entries), device_(paletteDevice) {}
    platform::DisplayCapabilities capabilities() const override {
        return {device_, device_ ? entries_ : 0};
    }
    QList<QRgb> systemPaletteEntries(int first, int count) const override {
        QList<QRgb> out;
        for (int i = first; i < first + count; ++i)
            out << (i < entries_ ? qRgb(i, 255 - i, i / 2) : qRgb(0, 0, 0));
        return out;
    }

  private:
    int entries_;
    bool device_;
};

class RecordingWallpaper : public platform::Wallpaper {
  public:
    bool succeed = true;
    QStringList tried{"gsettings org.gnome.desktop.background: exit status 1"};
    std::vector<QString> files;
    std::vector<QByteArray> contents; // the file's bytes when it was set
    platform::WallpaperOutcome setWallpaper(const QString& file) override {
        files.push_back(file);
        QFile f(file);
        contents.push_back(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
        return {succeed, succeed ? QStringList() : tried};
    }
};

// Sets an environment variable (or removes it, for nullopt) until destroyed.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<QByteArray> value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            qputenv(name_, *old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<QByteArray> old_;
};

// Programs in a folder of their own, which becomes the whole PATH: each writes its name
// and arguments to a shared log, prints what it was given to print and exits with the
// status it was given. Only shell built-ins run inside them.
class StandIns {
  public:
    StandIns() : path_("PATH", dir_.path().toLocal8Bit()) {}

    // A stand-in `name` printing `output` and exiting with `status`.
    void add(const QString& name, int status = 0, const QByteArray& output = {}) {
        writeFile(name + ".out", output);
        writeFile(name + ".status", QByteArray::number(status));
        const QString script = dir_.filePath(name);
        writeFile(name, "#!/bin/sh\n"
                        "d='" + dir_.path().toLocal8Bit() + "'\n"
                        "n=${0##*/}\n"
                        "{ printf '%s' \"$n\"; for a in \"$@\"; do printf '\\037%s' \"$a\"; done;"
                        " printf '\\036'; } >>\"$d/calls.log\"\n"
                        "while IFS= read -r line; do printf '%s\\n' \"$line\"; done <\"$d/$n.out\"\n"
                        "read -r s <\"$d/$n.status\"\n"
                        "exit \"$s\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // A stand-in that runs the real program after noting the call.
    void addWrapper(const QString& name, const QString& real) {
        add(name);
        QFile script(dir_.filePath(name));
        ASSERT_TRUE(script.open(QIODevice::ReadOnly));
        QByteArray text = script.readAll();
        script.close();
        text.replace("while IFS=", "exec '" + real.toLocal8Bit() + "' \"$@\"\nwhile IFS=");
        writeFile(name, text);
    }

    // Every call so far: the program's name, then its arguments.
    std::vector<QStringList> calls() const {
        std::vector<QStringList> out;
        QFile log(dir_.filePath("calls.log"));
        if (!log.open(QIODevice::ReadOnly)) return out;
        for (const QByteArray& call : log.readAll().split('\x1e'))
            if (!call.isEmpty()) out.push_back(QString::fromUtf8(call).split(QChar(0x1f)));
        return out;
    }
    // The names of the programs called, in order.
    QStringList programs() const {
        QStringList out;
        for (const QStringList& call : calls())
            out << call.first();
        return out;
    }
    QString folder() const { return dir_.path(); }

  private:
    void writeFile(const QString& name, const QByteArray& data) {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }

    QTemporaryDir dir_;
    ScopedEnv path_;
};

// An X server of the test's own, on a free display; none (display() empty) when Xvfb is
// not installed.
class XServer {
  public:
    explicit XServer(const QString& screen = QStringLiteral("320x200x24")) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) return;
        // Without -noreset the server starts afresh whenever its last client leaves.
        process_.start(xvfb, {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp",
                              "-noreset"});
        if (!process_.waitForStarted(5000)) return;
        QByteArray number;
        while (!number.contains('\n') && process_.waitForReadyRead(10000))
            number += process_.readAllStandardOutput();
        if (number.trimmed().isEmpty()) return;
        display_ = ":" + number.trimmed();
    }
    ~XServer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) process_.kill();
            process_.waitForFinished(1000);
        }
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const QByteArray& display() const { return display_; }

  private:
    QProcess process_;
    QByteArray display_;
};

} // namespace capturetest

#include "swf/writer/writer.h"

namespace capturetest {

// A 400 x 300 movie on white: a red square that moves 10 pixels right each frame over a
// fixed blue bar, `frames` frames long.
inline QString writeMovingMovie(const QString& path, int frames) {
    using namespace swf::writer;
    MovieWriter movie(10, {0, 8000, 0, 6000}, 12, swf::Rgba{255, 255, 255, 255});
    ShapeBuilder bar;
    bar.fill1(bar.addFill(FillStyle::solid({30, 60, 220}))).rect(0, 4000, 8000, 5000);
    const uint16_t barId = movie.newId();
    movie.add(defineShape(barId, bar, 3)).place(1, barId);
    ShapeBuilder square;
    square.fill1(square.addFill(FillStyle::solid({220, 30, 30}))).rect(0, 0, 2000, 2000);
    const uint16_t squareId = movie.newId();
    movie.add(defineShape(squareId, square, 3));
    for (int f = 0; f < frames; ++f)
        movie.put(2, squareId, swf::Matrix::translate(200.0 * f, 1000)).showFrame();
    auto written = movie.writeFile(path.toStdString());
    EXPECT_TRUE(std::holds_alternative<size_t>(written)) << path.toStdString();
    return path;
}

// The bytes of a file; empty when it cannot be read.
inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A little-endian field of a BMP file's headers.
inline uint32_t bmpField(const QByteArray& file, int offset, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(file.at(offset + i));
    return value;
}

} // namespace capturetest
