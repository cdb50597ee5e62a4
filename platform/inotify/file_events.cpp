// File notifications on Linux: inotify on the folders that hold the watched files, so a
// file renamed into place is seen as well as one written in place. A writer's close after
// writing and a rename into place say the file is complete.
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>

#include "base/file_events.h"

namespace zuzor {

struct FileEventSource {
    int fd = -1;
    struct Watched {
        int folder;  // the watch descriptor of its folder
        std::string name;
    };
    std::vector<Watched> files;
    ~FileEventSource() {
        if (fd >= 0) close(fd);
    }
};

void FileEventSourceDeleter::operator()(FileEventSource* source) const {
    delete source;
}

FileEventSourcePtr watchFolders(const std::vector<std::string>& paths) {
    FileEventSourcePtr source(new FileEventSource);
    source->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (source->fd < 0) return nullptr;
    constexpr uint32_t mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MODIFY | IN_CREATE | IN_DELETE |
                              IN_MOVED_FROM | IN_ATTRIB;
    for (const std::string& path : paths) {
        const size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        const int wd = inotify_add_watch(source->fd, folder.c_str(), mask);
        if (wd < 0) return nullptr;  // no folder yet: polling finds the files when they come
        source->files.push_back({wd, slash == std::string::npos ? path : path.substr(slash + 1)});
    }
    return source;
}

void takeFileEvents(FileEventSource& source, std::vector<FileEvent>& out) {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(source.fd, buffer, sizeof buffer);
        if (got <= 0) return;
        for (ssize_t at = 0; at < got;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            at += ssize_t(sizeof event + event.len);
            if (event.len == 0) continue;
            for (size_t i = 0; i < source.files.size(); ++i) {
                if (source.files[i].folder != event.wd || source.files[i].name != name) continue;
                out.push_back({i, (event.mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0});
            }
        }
    }
}

bool waitFileEvents(FileEventSource& source, int timeoutMs) {
    pollfd entry{source.fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

Writing fileBeingWritten(const std::string&) {
    return Writing::unknown;
}

}  // namespace zuzor
