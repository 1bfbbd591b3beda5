#include "swf/display/movie_cache.h"

namespace swf {

MovieCache& MovieCache::shared() {
    static MovieCache cache;
    return cache;
}

Result<MoviePtr> MovieCache::load(const std::filesystem::path& path) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(path, ec);
    const std::string key = (ec ? path : canonical).string();
    auto size = std::filesystem::file_size(path, ec);
    if (ec) return Error{"cannot open " + path.filename().string()};
    auto mtime = std::filesystem::last_write_time(path, ec);
    if (ec) return Error{"cannot open " + path.filename().string()};
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path == key && it->size == size && it->mtime == mtime) {
            entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().movie;
        }
    }
    ++parses_;
    auto loaded = loadMovieFile(path);
    if (auto* m = std::get_if<MoviePtr>(&loaded)) {
        // Drop an older version of the same file first.
        entries_.remove_if([&](const Entry& e) { return e.path == key; });
        entries_.push_front({key, size, mtime, *m});
        while (entries_.size() > capacity_) entries_.pop_back();
    }
    return loaded;
}

} // namespace swf
