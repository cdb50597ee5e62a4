// Files watched for changes, for the makers' loop (the demo's --watch, zuzor-compose
// --watch). The system's notifications say when to look, so a save is seen as it
// completes; size and write-time stamps say whether a file really changed. A file is read
// only once its writer is done with it: closed after writing or renamed into place where
// the system says so, otherwise once it has held still for a quarter second. Where the
// system gives no notifications the files are polled four times a second.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/file_events.h"

namespace zuzor {

// How long a file must hold still when nothing says its writer is done, and how often
// files are polled without notifications.
inline constexpr int fileWatchPollMs = 250;

class FileWatch {
  public:
    // The files as they are now count as already seen.
    explicit FileWatch(std::vector<std::string> paths);

    // The indices of the files that changed (written, deleted or made again) and are
    // complete. Cheap enough to call on every pass of a main loop.
    std::vector<size_t> poll();

    // Waits up to `timeoutMs` for a change worth a poll (for tools with nothing else to do).
    void wait(int timeoutMs);

  private:
    struct Stamp {
        bool exists = false;
        uintmax_t size = 0;
        int64_t writeTime = 0;
        bool operator==(const Stamp&) const = default;
    };
    // A file a notification named, not reported yet.
    struct Pending {
        bool waiting = false;
        bool done = false;
        double sinceMs = 0.0;  // the last notification or change seen
    };
    static Stamp stampOf(const std::string& path);
    std::vector<size_t> pollStamps(double nowMs);
    std::vector<size_t> pollNotified(double nowMs);

    std::vector<std::string> paths_;
    std::vector<Stamp> lastSeen_;
    std::vector<Stamp> reported_;
    std::vector<Pending> pending_;
    FileEventSourcePtr events_;
    std::vector<FileEvent> taken_;
    double lastPollMs_ = -1e300;
};

}  // namespace zuzor
