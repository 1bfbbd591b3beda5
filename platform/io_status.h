// Outcome of a file operation that yields nothing but success or an error.
#pragma once

#include "swf/format/types.h"

#include <filesystem>
#include <string>
#include <variant>

namespace platform {

using Status = swf::Result<std::monostate>;

inline Status success() {
    return std::monostate{};
}

// An error naming the operation, the file and the system's reason (an errno value).
swf::Error systemError(const std::string& what, const std::filesystem::path& path, int err);

} // namespace platform
