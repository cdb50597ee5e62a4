// Hosts without file notifications: the watch polls the files' stamps.
#include "base/file_events.h"

namespace zuzor {

struct FileEventSource {};

void FileEventSourceDeleter::operator()(FileEventSource* source) const {
    delete source;
}

FileEventSourcePtr watchFolders(const std::vector<std::string>&) {
    return nullptr;
}

void takeFileEvents(FileEventSource&, std::vector<FileEvent>&) {}

bool waitFileEvents(FileEventSource&, int) {
    return false;
}

Writing fileBeingWritten(const std::string&) {
    return Writing::unknown;
}

}  // namespace zuzor
