// The file operations the program's commands perform on single files: look a file up,
// copy it, move it, delete it. Commands take the interface so tests can replace it;
// LocalFileSystem does the work on the local disk.
#pragma once

#include "platform/io_status.h"

#include <QString>

#include <filesystem>

namespace platform {

// A file that GetFile found; the other operations act on it.
struct FileRef {
    QString path;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Fails unless `path` names an existing file (not a folder).
    virtual swf::Result<FileRef> GetFile(const QString& path) = 0;
    // A destination ending in "/" names a folder: the file keeps its own name there.
    // With `overwrite`, an existing destination file is replaced whole; copying a file
    // onto itself and replacing a read-only file fail without changing anything.
    virtual Status Copy(const FileRef& file, const QString& destination, bool overwrite) = 0;
    // Fails, changing nothing, when the destination already exists.
    virtual Status Move(const FileRef& file, const QString& destination) = 0;
    // Without `force`, a read-only file is refused and stays in place.
    virtual Status Delete(const FileRef& file, bool force) = 0;
};

// Read-only here means: no write permission bit at all, or none for this process.
class LocalFileSystem final : public FileSystem {
  public:
    swf::Result<FileRef> GetFile(const QString& path) override;
    Status Copy(const FileRef& file, const QString& destination, bool overwrite) override;
    Status Move(const FileRef& file, const QString& destination) override;
    Status Delete(const FileRef& file, bool force) override;
};

// The local file name for a path held as text.
std::filesystem::path toFsPath(const QString& path);

} // namespace platform
