// Where tests find the shared corpus, the program folder and the build tree.
#pragma once

#include <filesystem>
#include <string>

namespace testpaths {

inline std::filesystem::path corpusDir() {
    return std::filesystem::path(REELVISTA_SHARED_DIR) / "swf-corpus";
}
inline std::filesystem::path programDir() { return REELVISTA_PROGRAM_DIR; }
inline std::filesystem::path binaryDir() { return REELVISTA_BINARY_DIR; }

} // namespace testpaths
