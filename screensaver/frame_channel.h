// Frames of the playing movie, handed from the movie process to the locker through shared
// memory: a header page, then two frame buffers of 32-bit premultiplied ARGB pixels. The
// movie process fills the buffer not shown last and then names it the latest; each buffer
// carries a sequence number that is odd while it is being written, so the locker can tell a
// torn copy and drop it. The locker makes the memory (a sealed memfd: the movie process can
// write pixels and counters but neither shrink nor grow it) and trusts nothing it reads
// there but pixels: sizes are its own, buffer numbers are checked.
#pragma once

#include "platform/io_status.h"
#include "platform/posix_file.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <cstdint>

namespace locker {

class FrameChannel {
  public:
    // Frames larger than this on either side are refused.
    static constexpr int kMaxSide = 16384;

    // The locker's side: new shared memory for frames of `size`.
    static swf::Result<FrameChannel> create(QSize size);
    // The movie process's side: the memory behind `fd`, which must hold frames of `size`.
    static swf::Result<FrameChannel> attach(int fd, QSize size);

    FrameChannel(FrameChannel&& o) noexcept;
    FrameChannel& operator=(FrameChannel&& o) noexcept;
    FrameChannel(const FrameChannel&) = delete;
    FrameChannel& operator=(const FrameChannel&) = delete;
    ~FrameChannel();

    int fd() const { return fd_.get(); }
    QSize size() const { return size_; }
    std::size_t bytes() const { return length_; }

    // Movie process: copies `frame` (converted and cut or padded to the channel's size) into
    // the free buffer and makes it the latest.
    void publish(const QImage& frame);
    // Locker: the latest whole frame, when one newer than `seen` (a count of frames
    // published) is there; `seen` moves on.
    bool takeLatest(QImage& into, std::uint32_t& seen) const;
    // Starts again with no frame published (for a new movie process).
    void reset();

    // Counters the two sides keep for each other: the movie process's heartbeat, and the
    // locker's requests to keep the movie playing.
    std::uint32_t heartbeat() const;
    void beat();
    std::uint32_t playRequests() const;
    void requestPlay();
    // Whether the movie's sounds may be heard.
    bool soundOn() const;
    void setSoundOn(bool on);

  private:
    struct Header;
    FrameChannel(platform::UniqueFd fd, QSize size, void* memory, std::size_t length);
    Header& header() const;
    std::uint8_t* buffer(int index) const;
    std::size_t frameBytes() const;

    platform::UniqueFd fd_;
    QSize size_;
    void* memory_ = nullptr;
    std::size_t length_ = 0;
};

} // namespace locker
