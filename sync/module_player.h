// The module player: libopenmpt renders the song, SDL2 plays it, and the song's Zxx
// script reaches the main thread in time with what is heard.
//
// Every operation accepts a null song and then does nothing.
//
// Environment: ZUZOR_AUDIO=off plays against the silent clock without trying a device;
// ZUZOR_AUDIO_LATENCY_MS (milliseconds, may be negative, default 0) is added to the
// device buffer when deciding which frame is heard, for outputs that hold more audio
// than SDL reports. SDL_AUDIODRIVER picks SDL's driver as usual ("disk" is refused).
#pragma once
#include <cstddef>
#include <cstdint>

struct Song;  // a loaded module with its script

// Called on the main thread, once per sync event, with the event's code (the Zxx byte).
using SyncHandler = void (*)(void* context, uint8_t code);

// Opens stereo output at mixRate Hz. Without a device, songs play against a silent
// real-time clock instead; the result only says whether a device opened.
bool openSoundOutput(int mixRate);
// Loads an XM module. Null when the file is missing, unreadable or not a module.
// A '\\' in the path stands for the host's separator.
Song* loadSong(const char* path);
// The same from bytes in memory (copied).
Song* loadSongFromMemory(const uint8_t* data, size_t size);
void setSyncHandler(Song* song, SyncHandler handler, void* context);
// Starts playback at once, from the start; opens the sound output first if nobody did.
// A song already playing goes on. At its end the song starts again.
void playSong(Song* song);
void stopSong(Song* song);
void freeSong(Song* song);
void closeSoundOutput();
// Main thread: hands each queued event whose row is now heard to the sync handler.
void deliverSyncEvents(Song* song);

// For measuring, inside a sync handler: the event being delivered.
struct SyncDelivery {
    uint64_t outputFrame;  // the frame of the output at which the event's row starts
    uint64_t songFrame;    // the same counted from the start of the song
    double heardAtMs;      // when that frame is heard, on the trace's clock
    double appliedAtMs;    // when the handler was called, on the same clock
    uint8_t code;
};
const SyncDelivery* currentSyncDelivery();
