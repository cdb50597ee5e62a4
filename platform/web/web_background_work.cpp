// Background work in the browser, which gives the page one thread: each job is a callback
// of the page's event loop, run once the current one has returned.
#include <emscripten/emscripten.h>

#include <functional>
#include <memory>

#include "platform/background_work.h"

namespace zuzor {

namespace {

void runJob(void* argument) {
    std::unique_ptr<std::function<void()>> job(static_cast<std::function<void()>*>(argument));
    (*job)();
}

}  // namespace

void runInBackground(std::function<void()> job) {
    emscripten_async_call(runJob, new std::function<void()>(std::move(job)), 0);
}

}  // namespace zuzor
