// The script's event table: what each Zxx code does to the demo.
#pragma once
#include <cstdint>

namespace zuzor {

struct DemoState;
struct ShellHooks;

// Applies one sync event on the main thread. Codes without an action are ignored.
void onSyncEvent(DemoState& state, ShellHooks& hooks, uint8_t code);

// A short description of what a code does, for listings; null for codes without an action.
const char* describeSyncEvent(uint8_t code);

}  // namespace zuzor
