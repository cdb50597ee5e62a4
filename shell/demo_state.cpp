// The demo's global state record.
#include "shell/demo_state.h"

DemoState demo;
