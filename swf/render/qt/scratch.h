// Working memory lent from a per-thread pool. Large buffers freshly taken from the
// system cost a page fault per page on first touch, which dominated drawing filtered
// layers frame after frame; buffers handed back are kept for the next frame.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace swf {

template <typename T> class Scratch {
public:
    // n elements; their contents are whatever the last user left.
    explicit Scratch(size_t n) {
        // The smallest kept buffer that holds n, else the largest (it grows).
        auto& pool = freeList();
        size_t pick = pool.size();
        for (size_t i = 0; i < pool.size(); ++i) {
            const size_t c = pool[i].capacity();
            if (pick == pool.size()) {
                pick = i;
                continue;
            }
            const size_t best = pool[pick].capacity();
            if ((c >= n && (best < n || c < best)) || (best < n && c > best)) pick = i;
        }
        if (pick < pool.size()) {
            buf_ = std::move(pool[pick]);
            pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(pick));
        }
        buf_.resize(n);
    }
    ~Scratch() {
        auto& pool = freeList();
        if (pool.size() < kKept) pool.push_back(std::move(buf_));
    }
    Scratch(Scratch&& o) noexcept : buf_(std::move(o.buf_)) {}
    Scratch& operator=(Scratch&&) = delete;
    Scratch(const Scratch&) = delete;

    T* data() { return buf_.data(); }
    const T* data() const { return buf_.data(); }
    size_t size() const { return buf_.size(); }
    T& operator[](size_t i) { return buf_[i]; }
    const T& operator[](size_t i) const { return buf_[i]; }

private:
    static constexpr size_t kKept = 6;
    static std::vector<std::vector<T>>& freeList() {
        thread_local std::vector<std::vector<T>> pool;
        return pool;
    }
    std::vector<T> buf_;
};

} // namespace swf
