// std::filesystem for the stamps; a file that cannot be examined counts as missing.
#include "base/file_watch.h"

#include <filesystem>

namespace zuzor {

FileWatch::FileWatch(std::vector<std::string> paths) : paths_(std::move(paths)) {
    for (const std::string& path : paths_) lastPoll_.push_back(stampOf(path));
    reported_ = lastPoll_;
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
    std::vector<size_t> changed;
    for (size_t i = 0; i < paths_.size(); ++i) {
        const Stamp now = stampOf(paths_[i]);
        const bool settled = now == lastPoll_[i];
        lastPoll_[i] = now;
        if (settled && !(now == reported_[i])) {
            reported_[i] = now;
            changed.push_back(i);
        }
    }
    return changed;
}

}  // namespace zuzor
