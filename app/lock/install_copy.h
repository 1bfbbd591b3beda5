// Install to Win's copy of the screen saver program: the source's bytes, whole, to the
// chosen path, with the source's permission bits (so the copy stays executable). The copy
// is written beside the destination and renamed over it, so an existing file (longer or
// not) is replaced whole or left as it was.
#pragma once

#include "platform/io_status.h"

#include <QString>

namespace lock {

platform::Status installCopy(const QString& source, const QString& destination);

} // namespace lock
