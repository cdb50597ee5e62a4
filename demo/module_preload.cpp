// One load at a time. A process that ends while the loader runs (the window cannot open)
// waits for it before its statics go.
#include "demo/module_preload.h"

#include <thread>

#include "base/constants.h"

namespace zuzor {

namespace {

struct Preload {
    std::thread loader;
    SongHandle song;

    ~Preload() {
        if (loader.joinable()) loader.join();
    }
};

Preload preload;

}  // namespace

void beginLoadingModule() {
    if (preload.loader.joinable()) return;
    preload.loader = std::thread([] { preload.song = loadSong(moduleFile); });
}

SongHandle takeLoadedModule() {
    if (!preload.loader.joinable()) return loadSong(moduleFile);
    preload.loader.join();
    return std::move(preload.song);
}

}  // namespace zuzor
