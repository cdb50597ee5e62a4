// The system's own word that a watched file changed: the part of the file watch that
// differs between hosts, built into the base layer like the clock's source
// (platform/inotify/ on Linux, platform/windows/ on Windows, platform/polling/ where the
// system has none). FileWatch (base/file_watch.h) is its only user.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zuzor {

struct FileEventSource;

struct FileEventSourceDeleter {
    void operator()(FileEventSource* source) const;
};
using FileEventSourcePtr = std::unique_ptr<FileEventSource, FileEventSourceDeleter>;

// A file a notification named since the last look.
struct FileEvent {
    size_t index = 0;   // in the watched paths
    bool done = false;  // its writer is known to be done: closed after writing, renamed in
};

// Notifications for the folders that hold `paths`; null where the system gives none (the
// watch then polls).
FileEventSourcePtr watchFolders(const std::vector<std::string>& paths);

// The files notifications named since the last call, without waiting.
void takeFileEvents(FileEventSource& source, std::vector<FileEvent>& out);

// Waits up to `timeoutMs` for a notification; true when one came.
bool waitFileEvents(FileEventSource& source, int timeoutMs);

enum class Writing { no, yes, unknown };

// Whether some program still has the file open for writing, where the system can tell.
Writing fileBeingWritten(const std::string& path);

}  // namespace zuzor
