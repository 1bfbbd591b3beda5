#include "app/tools/search_run.h"

#include "platform/dir_walk.h"

#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tools {

namespace {
// Hits gathered in the walk's thread before they are handed over.
constexpr size_t kBatch = 512;
// Hits waiting for the user-interface thread beyond which the walk waits for it.
constexpr size_t kMaxWaiting = 1 << 16;
} // namespace

struct SearchRunShared {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable drained;
    HitStore waiting;
    std::string folder;
    bool ended = false;
    bool notifyQueued = false;
    SearchRun* receiver = nullptr; // null once the run's object is gone

    // Under the lock: lets the user-interface thread know, once until it looks.
    void notifyLocked() {
        if (!receiver || notifyQueued) return;
        notifyQueued = true;
        SearchRun* r = receiver;
        QMetaObject::invokeMethod(
            r, [r] { r->onNotified(); }, Qt::QueuedConnection);
    }
};

namespace {

class HandingSink final : public platform::WalkSink {
  public:
    explicit HandingSink(SearchRunShared& shared) : shared_(shared) {}

    bool folder(std::string_view path) override {
        if (shared_.stop.load(std::memory_order_relaxed)) return false;
        hand();
        std::lock_guard lock(shared_.mutex);
        shared_.folder.assign(path);
        return true;
    }
    bool hit(std::string_view folder, std::string_view name) override {
        if (shared_.stop.load(std::memory_order_relaxed)) return false;
        batch_.add(folder, name);
        if (batch_.size() >= kBatch) hand();
        return true;
    }
    bool stopRequested() override { return shared_.stop.load(std::memory_order_relaxed); }

    // Hands the batch over, waiting while too many hits wait already.
    void hand() {
        if (batch_.empty()) return;
        std::unique_lock lock(shared_.mutex);
        shared_.drained.wait(lock, [&] {
            return shared_.waiting.size() < kMaxWaiting || shared_.stop.load() || !shared_.receiver;
        });
        if (shared_.stop.load()) {
            batch_.clear();
            return;
        }
        shared_.waiting.addAll(batch_);
        batch_.clear();
        shared_.notifyLocked();
    }

  private:
    SearchRunShared& shared_;
    HitStore batch_;
};

} // namespace

SearchRun::SearchRun(SearchScope scope, MountSource mounts)
    : scope_(std::move(scope)), mounts_(std::move(mounts)),
      shared_(std::make_shared<SearchRunShared>()) {
    shared_->receiver = this;
}

SearchRun::~SearchRun() {
    std::lock_guard lock(shared_->mutex);
    shared_->stop = true;
    shared_->receiver = nullptr;
    shared_->drained.notify_all();
}

void SearchRun::start() {
    if (started_) return;
    started_ = true;
    std::thread([shared = shared_, scope = scope_, mounts = mounts_] {
        platform::MountTable table = mounts ? mounts() : platform::MountTable::current();
        platform::DirWalk walk(std::move(table), scope.drives,
                               platform::WildcardPattern(scope.pattern));
        HandingSink sink(*shared);
        for (const std::string& root : scope.roots)
            if (shared->stop.load() || !walk.walk(root, sink)) break;
        sink.hand();
        std::lock_guard lock(shared->mutex);
        shared->ended = true;
        shared->notifyLocked();
    }).detach();
}

void SearchRun::requestStop() {
    std::lock_guard lock(shared_->mutex);
    shared_->stop = true;
    shared_->waiting.clear();
    shared_->drained.notify_all();
}

bool SearchRun::stopRequested() const {
    return shared_->stop.load();
}

HitStore SearchRun::takeHits() {
    HitStore out;
    std::lock_guard lock(shared_->mutex);
    if (shared_->stop.load()) return out;
    std::swap(out, shared_->waiting);
    shared_->drained.notify_all();
    return out;
}

QString SearchRun::currentFolder() const {
    std::lock_guard lock(shared_->mutex);
    return QString::fromUtf8(shared_->folder.data(),
                             static_cast<qsizetype>(shared_->folder.size()));
}

bool SearchRun::walkEnded() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->ended;
}

void SearchRun::onNotified() {
    bool walkDone;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->notifyQueued = false;
        walkDone = shared_->ended;
    }
    emit hitsWaiting();
    if (walkDone && !endedSignalled_) {
        endedSignalled_ = true;
        emit ended();
    }
}

} // namespace tools
