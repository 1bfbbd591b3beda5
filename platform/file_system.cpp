#include "platform/file_system.h"

#include "platform/replacing_file.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

std::filesystem::path toFsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

namespace {

std::filesystem::path destinationFor(const FileRef& file, const QString& destination) {
    std::filesystem::path target = toFsPath(destination);
    if (destination.endsWith(QLatin1Char('/'))) target /= toFsPath(file.path).filename();
    return target;
}

bool isReadOnly(const std::filesystem::path& path, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

swf::Error alreadyExists(const std::filesystem::path& path) {
    return swf::Error{"already exists: " + path.string()};
}

// Copies `source` to a new file `target` on another file system, then removes the source.
// Should the removal fail, both files remain and the failure is reported.
Status moveAcrossFileSystems(const std::filesystem::path& source,
                             const std::filesystem::path& target) {
    auto input = InputFile::open(source);
    if (auto* e = std::get_if<swf::Error>(&input)) return *e;
    const InputFile& in = std::get<InputFile>(input);
    auto output = ReplacingFile::create(target, in.permissions());
    if (auto* e = std::get_if<swf::Error>(&output)) return *e;
    ReplacingFile& out = std::get<ReplacingFile>(output);
    if (auto copied = out.append(in, 0, in.size()); !swf::ok(copied)) return copied;
    if (auto committed = out.commit(ReplacingFile::Commit::KeepExisting); !swf::ok(committed))
        return committed;
    if (::unlink(source.c_str()) != 0) return systemError("cannot remove", source, errno);
    return success();
}

} // namespace

swf::Result<FileRef> LocalFileSystem::GetFile(const QString& path) {
    std::filesystem::path name = toFsPath(path);
    struct stat st {};
    if (path.isEmpty() || ::stat(name.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return swf::Error{"file not found: " + name.string()};
    return FileRef{path};
}

Status LocalFileSystem::Copy(const FileRef& file, const QString& destination, bool overwrite) {
    std::filesystem::path target = destinationFor(file, destination);
    auto input = InputFile::open(toFsPath(file.path));
    if (auto* e = std::get_if<swf::Error>(&input)) return *e;
    const InputFile& in = std::get<InputFile>(input);

    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!overwrite) return alreadyExists(target);
        if (S_ISDIR(st.st_mode)) return swf::Error{"a folder has that name: " + target.string()};
        if (in.isSameFile(st.st_dev, st.st_ino))
            return swf::Error{"cannot copy a file onto itself: " + target.string()};
        if (isReadOnly(target, st)) return swf::Error{"read-only: " + target.string()};
    }
    auto output = ReplacingFile::create(target, in.permissions());
    if (auto* e = std::get_if<swf::Error>(&output)) return *e;
    ReplacingFile& out = std::get<ReplacingFile>(output);
    if (auto copied = out.append(in, 0, in.size()); !swf::ok(copied)) return copied;
    return out.commit(ReplacingFile::Commit::Replace);
}

Status LocalFileSystem::Move(const FileRef& file, const QString& destination) {
    std::filesystem::path source = toFsPath(file.path);
    std::filesystem::path target = destinationFor(file, destination);
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) return alreadyExists(target);

    int err = renameWithoutReplacing(source, target);
    if (err == 0) return success();
    if (err == EXDEV) return moveAcrossFileSystems(source, target);
    if (err == EEXIST) return alreadyExists(target);
    return systemError("cannot move " + source.string() + " to", target, err);
}

Status LocalFileSystem::Delete(const FileRef& file, bool force) {
    std::filesystem::path name = toFsPath(file.path);
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) return systemError("cannot find", name, errno);
    if (!force && isReadOnly(name, st)) return swf::Error{"read-only: " + name.string()};
    if (::unlink(name.c_str()) != 0) return systemError("cannot delete", name, errno);
    return success();
}

} // namespace platform
