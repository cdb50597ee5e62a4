// Files watched by polling their size and last write time: portable, and cheap at a few
// polls a second. A change is reported once the file has looked the same on two polls in a
// row, so a file that an editor is still writing is not read half-way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zuzor {

// How often the tools that watch files poll them.
inline constexpr int fileWatchPollMs = 250;

class FileWatch {
  public:
    // The files as they are now count as already seen.
    explicit FileWatch(std::vector<std::string> paths);

    // The indices of the files that changed (written, deleted or made again) and have held
    // still since the poll before.
    std::vector<size_t> poll();

  private:
    struct Stamp {
        bool exists = false;
        uintmax_t size = 0;
        int64_t writeTime = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const std::string& path);

    std::vector<std::string> paths_;
    std::vector<Stamp> lastPoll_;
    std::vector<Stamp> reported_;
};

}  // namespace zuzor
