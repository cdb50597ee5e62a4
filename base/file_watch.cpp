// std::filesystem for the stamps; a file that cannot be examined counts as missing.
#include "base/file_watch.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/clock.h"

namespace zuzor {

FileWatch::FileWatch(std::vector<std::string> paths)
    : paths_(std::move(paths)), pending_(paths_.size()), events_(watchFolders(paths_)) {
    for (const std::string& path : paths_) lastSeen_.push_back(stampOf(path));
    reported_ = lastSeen_;
}

FileWatch::Stamp FileWatch::stampOf(const std::string& path) {
    std::error_code error;
    Stamp stamp;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) return stamp;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return stamp;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error) return stamp;
    stamp.exists = true;
    stamp.size = size;
    stamp.writeTime = int64_t(time.time_since_epoch().count());
    return stamp;
}

std::vector<size_t> FileWatch::poll() {
    const double now = monotonicMs();
    return events_ ? pollNotified(now) : pollStamps(now);
}

// Without notifications: a change is reported once the file looked the same on two polls
// in a row.
std::vector<size_t> FileWatch::pollStamps(double nowMs) {
    std::vector<size_t> changed;
    if (nowMs - lastPollMs_ < fileWatchPollMs) return changed;
    lastPollMs_ = nowMs;
    for (size_t i = 0; i < paths_.size(); ++i) {
        const Stamp now = stampOf(paths_[i]);
        const bool settled = now == lastSeen_[i];
        lastSeen_[i] = now;
        if (settled && !(now == reported_[i])) {
            reported_[i] = now;
            changed.push_back(i);
        }
    }
    return changed;
}

// With notifications only the files they named are examined. A file whose writer is
// known to be done is reported at once; one that changed while nothing says so (a writer
// that keeps it open, a system that cannot tell) once it has held still for the poll
// interval. A file deleted (a save that replaces it goes through a delete on some
// editors) waits the same, so the save that follows is the one read.
std::vector<size_t> FileWatch::pollNotified(double nowMs) {
    takeFileEvents(*events_, taken_);
    for (const FileEvent& event : taken_) {
        Pending& p = pending_[event.index];
        p.waiting = true;
        p.done = p.done || event.done;
        p.sinceMs = nowMs;
    }
    taken_.clear();
    std::vector<size_t> changed;
    for (size_t i = 0; i < paths_.size(); ++i) {
        Pending& p = pending_[i];
        if (!p.waiting) continue;
        const Stamp now = stampOf(paths_[i]);
        if (!(now == lastSeen_[i])) {
            lastSeen_[i] = now;
            p.sinceMs = nowMs;
        }
        const bool still = nowMs - p.sinceMs >= fileWatchPollMs;
        bool complete = still;
        if (now.exists && !complete) {
            const Writing writing = fileBeingWritten(paths_[i]);
            complete = writing == Writing::no || (p.done && writing == Writing::unknown);
        }
        if (!complete) continue;
        p = Pending{};
        if (!(now == reported_[i])) {
            reported_[i] = now;
            changed.push_back(i);
        }
    }
    return changed;
}

void FileWatch::wait(int timeoutMs) {
    bool settling = false;
    for (const Pending& p : pending_) settling = settling || p.waiting;
    if (!events_) {
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min(timeoutMs, fileWatchPollMs)));
        return;
    }
    // A file waiting to hold still is looked at again within a tenth of the interval.
    waitFileEvents(*events_, settling ? std::min(timeoutMs, fileWatchPollMs / 10) : timeoutMs);
}

}  // namespace zuzor
