// Module player (to be filled in): for now no module loads.
#include "sync/module_player.h"

bool openSoundOutput(int) { return false; }
Song* loadSong(const char*) { return nullptr; }
void setSyncHandler(Song*, SyncHandler, void*) {}
void playSong(Song*) {}
void stopSong(Song*) {}
void freeSong(Song*) {}
void closeSoundOutput() {}
void deliverSyncEvents(Song*) {}
