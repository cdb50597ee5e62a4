// The makers' file watch on the host's notifications: a save is reported as soon as its
// writer is done and never while a writer still has the file open, and a file renamed into
// place is reported at once.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/clock.h"
#include "base/file_watch.h"

using namespace zuzor;

namespace {

struct Folder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zuzor-watch-" + std::to_string(monotonicNs()));
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string file(const char* name) const { return (path / name).string(); }
};

void writeFile(const std::string& path, const char* text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Polls until something is reported or `limitMs` passed.
std::vector<size_t> pollFor(FileWatch& watch, double limitMs) {
    const double until = monotonicMs() + limitMs;
    std::vector<size_t> changed;
    while ((changed = watch.poll()).empty() && monotonicMs() < until) watch.wait(5);
    return changed;
}

TEST(FileWatch, ASaveIsReportedOnceItsWriterIsDone) {
    Folder folder;
    const std::string a = folder.file("a.xm"), b = folder.file("b.tga");
    writeFile(a, "old");
    writeFile(b, "old");
    FileWatch watch({a, b});
    EXPECT_TRUE(watch.poll().empty());

    // Half written, still open: not reported while the writer may go on (as long as the
    // file has not held still for the poll interval, which a loaded machine may exceed).
    std::FILE* writer = std::fopen(b.c_str(), "wb");
    ASSERT_TRUE(writer);
    std::fputs("half of it", writer);
    std::fflush(writer);
    const double wroteMs = monotonicMs();
    const std::vector<size_t> early = pollFor(watch, 100);
    if (monotonicMs() - wroteMs < fileWatchPollMs * 0.9) {
        EXPECT_TRUE(early.empty());
    }
    std::fputs(" and the rest", writer);
    std::fclose(writer);
    const double closedMs = monotonicMs();
    EXPECT_EQ(pollFor(watch, 2000), std::vector<size_t>{1});
    // Reported on the close where the system says so, not a poll interval later.
    RecordProperty("close_to_report_ms", int(monotonicMs() - closedMs));

    // Written beside and renamed into place, as zuzor-compose and most editors save.
    writeFile(folder.file("a.xm.part"), "new module");
    std::filesystem::rename(folder.file("a.xm.part"), a);
    EXPECT_EQ(pollFor(watch, 2000), std::vector<size_t>{0});
    EXPECT_TRUE(pollFor(watch, 50).empty());  // once
}

}  // namespace
