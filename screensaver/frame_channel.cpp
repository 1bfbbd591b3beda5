#include "screensaver/frame_channel.h"

#include <QPainter>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace locker {

namespace {

constexpr std::uint32_t kMagic = 0x52564652; // "RVFR"
constexpr std::uint32_t kNoFrame = ~0u;
constexpr std::size_t kHeaderBytes = 4096;

} // namespace

struct FrameChannel::Header {
    std::uint32_t magic;
    std::uint32_t width;
    std::uint32_t height;
    std::atomic<std::uint32_t> latest;
    std::atomic<std::uint32_t> published;
    std::atomic<std::uint32_t> heartbeat;
    std::atomic<std::uint32_t> playRequests;
    std::atomic<std::uint32_t> sequence[2];
    std::atomic<std::uint32_t> soundOn;
};
static_assert(sizeof(std::atomic<std::uint32_t>) == 4 &&
              std::atomic<std::uint32_t>::is_always_lock_free);

namespace {

bool sizeUsable(QSize size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= FrameChannel::kMaxSide &&
           size.height() <= FrameChannel::kMaxSide;
}

std::size_t lengthFor(QSize size) {
    return kHeaderBytes + 2 * std::size_t(size.width()) * std::size_t(size.height()) * 4;
}

} // namespace

swf::Result<FrameChannel> FrameChannel::create(QSize size) {
    if (!sizeUsable(size)) return swf::Error{"unusable frame size"};
    platform::UniqueFd fd(::memfd_create("reelvista-frames", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (fd.get() < 0) return platform::systemError("cannot make", "frame memory", errno);
    const std::size_t length = lengthFor(size);
    if (::ftruncate(fd.get(), off_t(length)) != 0)
        return platform::systemError("cannot size", "frame memory", errno);
    if (::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0)
        return platform::systemError("cannot seal", "frame memory", errno);
    void* memory = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
    if (memory == MAP_FAILED) return platform::systemError("cannot map", "frame memory", errno);
    FrameChannel channel(std::move(fd), size, memory, length);
    Header& h = channel.header();
    new (&h) Header{};
    h.magic = kMagic;
    h.width = std::uint32_t(size.width());
    h.height = std::uint32_t(size.height());
    h.latest.store(kNoFrame);
    return channel;
}

swf::Result<FrameChannel> FrameChannel::attach(int rawFd, QSize size) {
    platform::UniqueFd fd(rawFd);
    if (!sizeUsable(size)) return swf::Error{"unusable frame size"};
    struct stat st {};
    const std::size_t length = lengthFor(size);
    if (::fstat(fd.get(), &st) != 0 || std::size_t(st.st_size) != length)
        return swf::Error{"the frame memory does not fit the frame size"};
    void* memory = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
    if (memory == MAP_FAILED) return platform::systemError("cannot map", "frame memory", errno);
    FrameChannel channel(std::move(fd), size, memory, length);
    const Header& h = channel.header();
    if (h.magic != kMagic || h.width != std::uint32_t(size.width()) ||
        h.height != std::uint32_t(size.height()))
        return swf::Error{"the frame memory holds no frames of this size"};
    return channel;
}

FrameChannel::FrameChannel(platform::UniqueFd fd, QSize size, void* memory, std::size_t length)
    : fd_(std::move(fd)), size_(size), memory_(memory), length_(length) {}

FrameChannel::FrameChannel(FrameChannel&& o) noexcept
    : fd_(std::move(o.fd_)), size_(o.size_), memory_(std::exchange(o.memory_, nullptr)),
      length_(std::exchange(o.length_, 0)) {}

FrameChannel& FrameChannel::operator=(FrameChannel&& o) noexcept {
    if (this != &o) {
        if (memory_) ::munmap(memory_, length_);
        fd_ = std::move(o.fd_);
        size_ = o.size_;
        memory_ = std::exchange(o.memory_, nullptr);
        length_ = std::exchange(o.length_, 0);
    }
    return *this;
}

FrameChannel::~FrameChannel() {
    if (memory_) ::munmap(memory_, length_);
}

FrameChannel::Header& FrameChannel::header() const {
    return *static_cast<Header*>(memory_);
}

std::size_t FrameChannel::frameBytes() const {
    return std::size_t(size_.width()) * std::size_t(size_.height()) * 4;
}

std::uint8_t* FrameChannel::buffer(int index) const {
    return static_cast<std::uint8_t*>(memory_) + kHeaderBytes + std::size_t(index) * frameBytes();
}

void FrameChannel::publish(const QImage& frame) {
    Header& h = header();
    const int index = h.latest.load(std::memory_order_relaxed) == 0 ? 1 : 0;
    const std::uint32_t seq = h.sequence[index].load(std::memory_order_relaxed) | 1u;
    h.sequence[index].store(seq, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    QImage target(buffer(index), size_.width(), size_.height(), size_.width() * 4,
                  QImage::Format_ARGB32_Premultiplied);
    if (frame.size() == size_ && frame.format() == QImage::Format_ARGB32_Premultiplied) {
        for (int y = 0; y < size_.height(); ++y)
            std::memcpy(target.scanLine(y), frame.constScanLine(y), std::size_t(size_.width()) * 4);
    } else {
        target.fill(Qt::black);
        QPainter p(&target);
        p.drawImage(0, 0, frame);
    }
    h.sequence[index].store(seq + 1, std::memory_order_release);
    h.latest.store(std::uint32_t(index), std::memory_order_release);
    h.published.fetch_add(1, std::memory_order_release);
}

bool FrameChannel::takeLatest(QImage& into, std::uint32_t& seen) const {
    const Header& h = header();
    const std::uint32_t published = h.published.load(std::memory_order_acquire);
    if (published == seen) return false;
    const std::uint32_t index = h.latest.load(std::memory_order_acquire);
    if (index > 1) return false;
    const std::uint32_t before = h.sequence[index].load(std::memory_order_acquire);
    if (before & 1u) return false;
    if (into.size() != size_ || into.format() != QImage::Format_ARGB32_Premultiplied)
        into = QImage(size_, QImage::Format_ARGB32_Premultiplied);
    const std::uint8_t* source = buffer(int(index));
    const std::size_t row = std::size_t(size_.width()) * 4;
    for (int y = 0; y < size_.height(); ++y)
        std::memcpy(into.scanLine(y), source + std::size_t(y) * row, row);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (h.sequence[index].load(std::memory_order_relaxed) != before) return false; // torn
    seen = published;
    return true;
}

void FrameChannel::reset() {
    Header& h = header();
    h.latest.store(kNoFrame);
    h.published.store(0);
    h.heartbeat.store(0);
    h.playRequests.store(0);
    h.sequence[0].store(0);
    h.sequence[1].store(0);
    h.soundOn.store(0);
}

std::uint32_t FrameChannel::heartbeat() const {
    return header().heartbeat.load(std::memory_order_relaxed);
}
void FrameChannel::beat() {
    header().heartbeat.fetch_add(1, std::memory_order_relaxed);
}
std::uint32_t FrameChannel::playRequests() const {
    return header().playRequests.load(std::memory_order_relaxed);
}
void FrameChannel::requestPlay() {
    header().playRequests.fetch_add(1, std::memory_order_relaxed);
}

} // namespace locker

namespace locker {

bool FrameChannel::soundOn() const {
    return header().soundOn.load(std::memory_order_relaxed) != 0;
}
void FrameChannel::setSoundOn(bool on) {
    header().soundOn.store(on ? 1 : 0, std::memory_order_relaxed);
}

} // namespace locker
