// What the tick and frame bodies ask of the windowing toolkit. The demo answers with
// GLUT; tests, benchmarks and the offline capture answer with their own.
#pragma once

namespace zuzor {

struct ShellHooks {
    virtual void requestRedraw() = 0;
    // Ends the demo. The real one does not return.
    virtual void shutdown() = 0;

  protected:
    ~ShellHooks() = default;
};

}  // namespace zuzor
