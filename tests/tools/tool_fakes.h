// Stand-ins for the main window and the file dialog, and file helpers, shared by the
// file-tool tests.
#pragma once

#include "app/tools/tool_host.h"
#include "platform/drives.h"
#include "platform/file_dialog.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tooltest {

using Bytes = std::vector<std::uint8_t>;

// Keeps the main window's state and logs every call as one line.
class FakeHost : public tools::ToolHost {
  public:
    QString current, fileName, label5Caption, folder = "/start", miniPlayerMovie;
    int countAfterOpen = 0;
    bool enabled = true;
    std::vector<QString> log;

    QString currentFile() const override { return current; }
    void setCurrentFile(const QString& p) override { note("current=" + (current = p)); }
    QString oFileName() const override { return fileName; }
    QString label5() const override { return label5Caption; }
    void setLabel5(const QString& c) override { note("Label5=" + (label5Caption = c)); }
    QString folderPath() const override { return folder; }
    void setFolderPath(const QString& p) override { note("folder=" + (folder = p)); }
    void Dir1_Change() override { note("Dir1_Change"); }
    void setStatusText(const QString& text) override { note("status=" + text); }
    int openCount() const override { return countAfterOpen; }
    void playInMiniPlayer(const QString& m) override { note("play=" + (miniPlayerMovie = m)); }
    void showMessage(const QString& text, tools::MessageIcon icon) override {
        note((icon == tools::MessageIcon::Critical ? "critical=" : "message=") + text);
    }
    void setMainWindowEnabled(bool on) override { note((enabled = on) ? "enable" : "disable"); }
    void showMainWindow() override { note("show"); }
    void showDialog(tools::ToolDialog d) override { note(dialogEntry(d)); }

    static QString dialogEntry(tools::ToolDialog d) {
        return "dialog=" + QString::number(static_cast<int>(d));
    }
    bool logged(const QString& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }
    bool anyMessage() const {
        return std::any_of(log.begin(), log.end(), [](const QString& l) {
            return l.startsWith("message=") || l.startsWith("critical=");
        });
    }
    // The folder list went to the root, a folder change ran, and the list came back.
    bool reListed() const {
        const std::vector<QString> steps{"folder=/", "Dir1_Change", "folder=" + folder};
        return std::search(log.begin(), log.end(), steps.begin(), steps.end()) != log.end();
    }

  private:
    void note(const QString& entry) { log.push_back(entry); }
};

// Drives as a test lays them out, every one ready.
class FakeDrives : public platform::Drives {
  public:
    std::vector<platform::Drive> drives;
    std::vector<platform::Drive> list() override { return drives; }
    bool isReady(const platform::Drive&) override { return true; }
};

// Answers each show() with the next scripted name (nullopt or none left: cancelled).
class ScriptedFileDialog : public platform::FileDialog {
  public:
    std::deque<std::optional<QString>> answers;
    std::vector<platform::FileDialogRequest> requests;

    std::optional<QString> show(const platform::FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class ScratchDir {
  public:
    std::filesystem::path path(const std::string& name = {}) const {
        return std::filesystem::path(dir_.path().toStdString()) / name;
    }
    QString qpath(const std::string& name = {}) const {
        return QString::fromStdString(path(name).string());
    }
    // Names in the folder, to check that nothing half-written stayed behind.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : std::filesystem::directory_iterator(path()))
            out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

  private:
    QTemporaryDir dir_;
};

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bytes that hold no movie signature: every value is below 'C'.
inline Bytes filler(std::size_t size, std::uint8_t seed = 0) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = std::uint8_t((i * 7 + seed) % 64);
    return bytes;
}

// A movie: its signature, then filler.
inline Bytes movieBytes(std::size_t size, char first = 'F') {
    Bytes bytes = filler(size, 5);
    bytes[0] = std::uint8_t(first), bytes[1] = 'W', bytes[2] = 'S';
    return bytes;
}

inline Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace tooltest
