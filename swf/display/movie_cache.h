// Keeps recently loaded movies so a movie shown again is not read again. A file
// is the same when its path, size and modification time are.
#pragma once

#include "swf/display/movie.h"

#include <filesystem>
#include <list>
#include <string>

namespace swf {

class MovieCache {
public:
    explicit MovieCache(size_t capacity = 48) : capacity_(capacity) {}

    Result<MoviePtr> load(const std::filesystem::path& path);
    size_t size() const { return entries_.size(); }
    // Loads that actually parsed a file (for tests and benchmarks).
    size_t parses() const { return parses_; }
    void clear() { entries_.clear(); }

    static MovieCache& shared();

private:
    struct Entry {
        std::string path;
        uintmax_t size;
        std::filesystem::file_time_type mtime;
        MoviePtr movie;
    };
    size_t capacity_;
    size_t parses_ = 0;
    std::list<Entry> entries_; // most recent first
};

} // namespace swf
