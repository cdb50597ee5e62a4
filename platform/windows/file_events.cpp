// File notifications on Windows: a change notification on each folder that holds a watched
// file says when to look. Windows does not say when a writer is done, but a file still open
// for writing cannot be opened without sharing writes, so that open tells.
#include <windows.h>

#include "base/file_events.h"

namespace zuzor {

struct FileEventSource {
    std::vector<HANDLE> folders;       // one change notification per distinct folder
    std::vector<size_t> folderOfFile;  // index into folders, per watched file
    ~FileEventSource() {
        for (HANDLE h : folders) FindCloseChangeNotification(h);
    }
};

void FileEventSourceDeleter::operator()(FileEventSource* source) const {
    delete source;
}

FileEventSourcePtr watchFolders(const std::vector<std::string>& paths) {
    FileEventSourcePtr source(new FileEventSource);
    std::vector<std::string> names;
    for (const std::string& path : paths) {
        const size_t slash = path.find_last_of("/\\");
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
        size_t index = 0;
        while (index < names.size() && names[index] != folder) ++index;
        if (index == names.size()) {
            const HANDLE h = FindFirstChangeNotificationA(folder.c_str(), FALSE,
                                                          FILE_NOTIFY_CHANGE_FILE_NAME |
                                                              FILE_NOTIFY_CHANGE_SIZE |
                                                              FILE_NOTIFY_CHANGE_LAST_WRITE);
            if (h == INVALID_HANDLE_VALUE) return nullptr;
            names.push_back(folder);
            source->folders.push_back(h);
        }
        source->folderOfFile.push_back(index);
    }
    return source;
}

void takeFileEvents(FileEventSource& source, std::vector<FileEvent>& out) {
    for (size_t f = 0; f < source.folders.size(); ++f) {
        if (WaitForSingleObject(source.folders[f], 0) != WAIT_OBJECT_0) continue;
        FindNextChangeNotification(source.folders[f]);
        for (size_t i = 0; i < source.folderOfFile.size(); ++i)
            if (source.folderOfFile[i] == f) out.push_back({i, false});
    }
}

bool waitFileEvents(FileEventSource& source, int timeoutMs) {
    if (source.folders.empty()) return false;
    return WaitForMultipleObjects(DWORD(source.folders.size()), source.folders.data(), FALSE,
                                  DWORD(timeoutMs)) < WAIT_OBJECT_0 + source.folders.size();
}

Writing fileBeingWritten(const std::string& path) {
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? Writing::yes : Writing::unknown;
    CloseHandle(h);
    return Writing::no;
}

}  // namespace zuzor
