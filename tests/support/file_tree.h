// Folders and files made for a test in a temporary folder, by path relative to it, and a
// child process for what a test must not do to itself (dropping rights, mounting).
#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// Where large trees are made: the memory file system when there is one, since a disk
// takes many seconds over a hundred thousand files.
inline QString scratchBase(bool large) {
    if (large && access("/dev/shm", W_OK | X_OK) == 0)
        return QStringLiteral("/dev/shm/reelvista-XXXXXX");
    return QDir::tempPath() + QStringLiteral("/reelvista-XXXXXX");
}

class FileTree {
  public:
    // `large`: the tree will hold many entries.
    explicit FileTree(bool large = false) : dir_(scratchBase(large)) {
        std::filesystem::permissions(root(), std::filesystem::perms(0755));
    }
    ~FileTree() {
        // Folders left unreadable or too deep for a path are taken down by rm, which
        // copes with both.
        const std::string command =
            "chmod -R u+rwx '" + root() + "' 2>/dev/null; rm -rf '" + root() + "'";
        if (std::system(command.c_str()) != 0) {
        }
    }
    // The folder itself, without a "/" at the end.
    std::string root() const { return dir_.path().toStdString(); }
    std::string path(const std::string& rel) const { return root() + '/' + rel; }

    // Makes a folder with the folders above it.
    void folder(const std::string& rel) const { std::filesystem::create_directories(path(rel)); }
    // Makes an empty file (and the folders above it).
    void file(const std::string& rel) const {
        const std::filesystem::path p = path(rel);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p.string()).put('F');
    }
    void link(const std::string& rel, const std::string& target) const {
        std::filesystem::create_symlink(target, path(rel));
    }
    // `count` empty files "name000000.swf"... in one folder, made quickly.
    void manyFiles(const std::string& rel, int count, const char* suffix = ".swf") const {
        folder(rel);
        const int dir = open(path(rel).c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(dir, 0);
        char name[64];
        for (int i = 0; i < count; ++i) {
            std::snprintf(name, sizeof name, "f%07d%s", i, suffix);
            const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            ASSERT_GE(fd, 0);
            close(fd);
        }
        close(dir);
    }

  private:
    QTemporaryDir dir_;
};

// Runs `body` in a child process and returns its exit status (-1 when it did not exit).
inline int inChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

} // namespace testsupport
