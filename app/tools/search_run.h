// One search run: the walk over the chosen drives in a thread of its own, so that no
// file-system call (a dead network mount can block one for minutes) holds up the user
// interface. The hits come to the user-interface thread in the walk's order, a batch at a
// time; the folder being searched can be read at any moment.
//
// A stop request takes effect at once on this side: no hit is handed over after it. The
// walk itself ends at its next folder or hit; nobody waits for it, so a walk stuck in a
// system call ends on its own when the call returns.
#pragma once

#include "app/tools/search_hits.h"
#include "platform/mount_table.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tools {

struct SearchScope {
    std::vector<std::string> roots;  // the drives to walk, in order
    std::vector<std::string> drives; // every drive's mount point (the walk leaves them alone)
    std::string pattern = "*.swf";
};

// What the run and its walk's thread share; the thread keeps it alive until it ends.
struct SearchRunShared;

// The mount table the walk goes by; read in the walk's thread.
using MountSource = std::function<platform::MountTable()>;

class SearchRun final : public QObject {
    Q_OBJECT
  public:
    // `mounts` empty: this process's mount table.
    explicit SearchRun(SearchScope scope, MountSource mounts = {});
    // Asks the walk to stop and lets it end by itself.
    ~SearchRun() override;

    void start();
    void requestStop();
    bool stopRequested() const;

    // The hits found since the last call, in the walk's order (none after a stop).
    HitStore takeHits();
    // The folder the walk is in, ending in "/"; empty before the first.
    QString currentFolder() const;
    // Whether the walk's thread has finished.
    bool walkEnded() const;

  signals:
    // Hits wait to be taken.
    void hitsWaiting();
    // The walk has finished or stopped (after the last hitsWaiting).
    void ended();

  private:
    friend struct SearchRunShared;
    void onNotified();

    SearchScope scope_;
    MountSource mounts_;
    std::shared_ptr<SearchRunShared> shared_;
    bool started_ = false;
    bool endedSignalled_ = false;
};

} // namespace tools
