// The module player: libopenmpt renders the song on the output's thread, and the song's
// Zxx script waits in a queue until the main thread pulls the events whose rows are heard.
// The player knows nothing of what the events mean.
//
// Every operation accepts a null song and then does nothing.
//
// The output's settings come from configureSoundOutput (platform/sound_output.h says what
// each means; outputOptionsFromEnvironment reads them from ZUZOR_AUDIO and
// ZUZOR_AUDIO_LATENCY_MS). SDL_AUDIODRIVER picks the sound system as SDL's would ("disk" is
// refused; platform/README.md says which stream plays for which).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/sound_output.h"

namespace zuzor {

struct Song;  // a loaded module with its script
class SongRenderer;

// Frees a song (stopping it first) when its owner lets it go.
struct SongRelease {
    void operator()(Song* song) const;
};
using SongHandle = std::unique_ptr<Song, SongRelease>;

// One sync event whose row has been heard, as the main thread receives it.
struct HeardEvent {
    uint8_t code;          // the Zxx parameter
    uint64_t outputFrame;  // the frame of the output at which the event's row starts
    uint64_t songFrame;    // the same counted from the start of the song
    double heardAtMs;      // when that frame was heard, on the run's clock
    double pulledAtMs;     // when it was handed over, on the same clock
};

// The settings the output opens with from now on (the defaults until called).
void configureSoundOutput(const OutputOptions& options);
// Opens stereo output at mixRate Hz. Without a device, songs play against a silent
// real-time clock instead; the result only says whether a device opened.
bool openSoundOutput(int mixRate);
// The same as background work, returning at once: the search for a device can take longer
// than opening the window and drawing the first frame, and must never hold up the main
// loop (Escape included). Does nothing while the output is open or opening.
void beginOpeningSoundOutput(int mixRate);
// Main loop: services the output and says whether the opening is still under way.
bool soundOutputOpening();
// Waits for an opening under way. Every call below that needs the output does, where the
// caller did not wait with soundOutputOpening (only on a platform with threads).
void awaitSoundOutput();
// The output's service step (platform/sound_output.h), for the main loop: often, also while
// no song plays. Polling events does it too.
void serviceSoundOutput();
// Loads an XM module. Null when the file is missing, unreadable or not a module.
// A '\\' in the path stands for the host's separator.
SongHandle loadSong(const char* path);
// The same from bytes in memory (copied).
SongHandle loadSongFromMemory(const uint8_t* data, size_t size);
// Starts playback at once, from the start; opens the sound output first if nobody did.
// A song already playing goes on. At its end the song starts again.
void playSong(Song* song);
// Starts playback where `positioned` stands: a renderer of the song's own module, playing
// it over and over, already rendered to some frame F (a fast-forward brought it there).
// The song's events before F are never queued; its later ones are heard at their frames.
// A song already playing is stopped first; the output stays open.
void playSongFrom(Song* song, std::unique_ptr<SongRenderer> positioned);
// The frame of the song heard now, counted from the song's start; false while the song is
// not playing or none of it has been handed to the output yet.
bool heardSongFrame(Song* song, uint64_t& frame);
// Stops playback; events not yet pulled are dropped.
void stopSong(Song* song);
void freeSong(Song* song);
// Closes the output at once; an opening under way is abandoned, not waited for.
void closeSoundOutput();

// Main thread: the oldest queued event whose row is heard by now, once. False when no
// event is due yet (or the song is not playing).
bool pollHeardEvent(Song* song, HeardEvent& event);

// Main thread: milliseconds until the oldest queued event is heard, 0 when it is due;
// a very large value when none is queued. An event is queued when its row is rendered,
// which is at least the output's buffer ahead of hearing it.
double msUntilNextEvent(Song* song);

}  // namespace zuzor
