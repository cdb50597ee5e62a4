// The demo's --watch: when the module or an image in Data/ has been saved, it is loaded again and
// the show is rebuilt from its start and fast-forwarded to the moment heard now. The window and the
// sound device stay open.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "base/file_watch.h"

namespace zuzor {

class Show;
struct JumpRedraw;
struct ShellHooks;

class DataReload {
  public:
    // `module`: the bytes of the module the show plays now (empty when none loaded).
    explicit DataReload(std::vector<uint8_t> module);

    // The idle body's part: looks at the files a notification named (or polls them, where
    // the system has no notifications); on a change reloads and jumps. A file that no longer loads
    // keeps the old one running and gives one line on stderr saying why.
    void poll(Show& show, ShellHooks& hooks, JumpRedraw& redraw);
    // The module the show plays now.
    const std::vector<uint8_t>& module() const { return module_; }

  private:
    void rebuild(Show& show, ShellHooks& hooks, JumpRedraw& redraw,
                 std::vector<uint8_t>& newModule);

    FileWatch watch_;
    std::vector<uint8_t> module_;
};

}  // namespace zuzor
