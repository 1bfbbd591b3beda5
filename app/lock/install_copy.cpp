#include "app/lock/install_copy.h"

#include "platform/file_system.h"
#include "platform/posix_file.h"
#include "platform/replacing_file.h"

namespace lock {

platform::Status installCopy(const QString& source, const QString& destination) {
    auto opened = platform::InputFile::open(platform::toFsPath(source));
    if (auto* e = std::get_if<swf::Error>(&opened)) return *e;
    const platform::InputFile& in = std::get<platform::InputFile>(opened);
    auto created = platform::ReplacingFile::create(platform::toFsPath(destination),
                                                   in.permissions() & 0777);
    if (auto* e = std::get_if<swf::Error>(&created)) return *e;
    platform::ReplacingFile& out = std::get<platform::ReplacingFile>(created);
    auto copied = out.append(in, 0, in.size());
    if (!swf::ok(copied)) return copied;
    return out.commit();
}

} // namespace lock
