// Rendering in short chunks and reading the mixer's order and row after each one: the
// row reached is how the script advances, whatever jumps, breaks, loops or restarts
// brought playback there.
#include "sync/song_renderer.h"

#include <libopenmpt/libopenmpt.h>
#include <libopenmpt/libopenmpt_ext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace zuzor {

namespace {

openmpt_module_ext* openMixer(const std::vector<uint8_t>& mixerCopy, bool repeat,
                              std::string& error) {
    int openError = 0;
    const char* openMessage = nullptr;
    openmpt_module_ext* mixer = openmpt_module_ext_create_from_memory(
        mixerCopy.data(), mixerCopy.size(), openmpt_log_func_silent, nullptr,
        openmpt_error_func_ignore, nullptr, &openError, &openMessage, nullptr);
    if (!mixer) {
        error = openMessage && *openMessage ? openMessage : "the mixer cannot play this module";
        if (openMessage) openmpt_free_string(openMessage);
        return nullptr;
    }
    if (openMessage) openmpt_free_string(openMessage);
    openmpt_module* module = openmpt_module_ext_get_module(mixer);
    openmpt_module_set_repeat_count(module, repeat ? -1 : 0);
    // Played once, the song ends at its last frame, not after a fade-out tail: a read
    // that comes back short has reached the end.
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    // A renderer placed in the middle of the song (audibleCopy) hears the notes that were
    // sounding there.
    openmpt_module_ctl_set_boolean(module, "seek.sync_samples", 1);
    return mixer;
}

}  // namespace

std::unique_ptr<SongRenderer> SongRenderer::create(const uint8_t* data, size_t size, int sampleRate,
                                                   bool repeat, std::string& error) {
    ScriptedModule scripted;
    if (!readScriptedModule(data, size, scripted, error)) return nullptr;
    openmpt_module_ext* mixer = openMixer(scripted.mixerCopy, repeat, error);
    if (!mixer) return nullptr;
    std::unique_ptr<SongRenderer> renderer(new SongRenderer());
    renderer->mixer_ = mixer;
    renderer->module_ = openmpt_module_ext_get_module(mixer);
    renderer->mixerCopy_ = std::move(scripted.mixerCopy);
    renderer->script_ = std::move(scripted.script);
    renderer->sampleRate_ = sampleRate;
    renderer->repeat_ = repeat;
    return renderer;
}

SongRenderer::~SongRenderer() {
    if (mixer_) openmpt_module_ext_destroy(mixer_);
}

// Muted channels cost the mixer next to nothing, while the patterns are read as always:
// rows, tempo and script advance exactly as when the song is heard.
void SongRenderer::silence() {
    openmpt_module_ext_interface_interactive interactive{};
    if (!openmpt_module_ext_get_interface(mixer_, LIBOPENMPT_EXT_C_INTERFACE_INTERACTIVE,
                                          &interactive, sizeof interactive))
        return;
    const int channels = openmpt_module_get_num_channels(module_);
    for (int channel = 0; channel < channels; ++channel)
        interactive.set_channel_mute_status(mixer_, channel, 1);
    silent_ = true;
}

// A muted channel does not keep its notes going, so sound cannot simply be switched back on:
// a second mixer is placed at the start of the current row by time (the mixer follows the
// song's course there, loops and jumps included, and with seek.sync_samples picks up the
// notes sounding), checked against the row, then rendered on to the frame reached. The
// script's state is taken over as it stands.
std::unique_ptr<SongRenderer> SongRenderer::audibleCopy() const {
    if (ended_ || rowStart_ == noRow || rowStart_ != rowLatest_ || framesRendered_ < rowStart_)
        return nullptr;
    std::string error;
    openmpt_module_ext* mixer = openMixer(mixerCopy_, repeat_, error);
    if (!mixer) return nullptr;
    std::unique_ptr<SongRenderer> copy(new SongRenderer());
    copy->mixer_ = mixer;
    copy->module_ = openmpt_module_ext_get_module(mixer);
    copy->mixerCopy_ = mixerCopy_;
    copy->sampleRate_ = sampleRate_;
    copy->repeat_ = repeat_;
    // The mixer seeks to the first row that starts at or after the time asked. It counts
    // time in ticks of 2.5 s / tempo where it plays whole frames, so its time of a row may
    // run a little late against the frames: the row is the check, the time only tells one
    // visit of a looped row from another.
    const double asked = (double(rowStart_) - 0.5) / sampleRate_;
    const double placed = openmpt_module_set_position_seconds(copy->module_, asked);
    const int order = openmpt_module_get_current_order(copy->module_);
    const int row = openmpt_module_get_current_row(copy->module_);
    if (order != lastOrder_ || row != lastRow_ ||
        std::abs(placed * sampleRate_ - double(rowStart_)) > double(rowLength()) / 2)
        return nullptr;
    for (uint64_t left = framesRendered_ - rowStart_; left > 0;) {
        const size_t step = size_t(std::min<uint64_t>(left, chunkFrames));
        openmpt_module_read_interleaved_float_stereo(copy->module_, sampleRate_, step,
                                                     copy->scratch_);
        left -= step;
    }
    copy->script_ = script_;
    copy->framesRendered_ = framesRendered_;
    copy->lastOrder_ = lastOrder_;
    copy->lastRow_ = lastRow_;
    copy->rowStart_ = rowStart_;
    copy->rowLatest_ = rowLatest_;
    copy->lastSpeed_ = lastSpeed_;
    copy->lastTempo_ = lastTempo_;
    return copy;
}

size_t SongRenderer::render(float* out, size_t frames, SyncEventSink& sink) {
    size_t done = 0;
    while (done < frames && !ended_) {
        const size_t want = std::min(chunkLength(), frames - done);
        float* target = out ? out + done * 2 : scratch_;
        const size_t got =
            openmpt_module_read_interleaved_float_stereo(module_, sampleRate_, want, target);
        // A short read ends the one pass; the row it shows is already the restart row.
        if (got < want)
            ended_ = true;
        else
            noteRow(framesRendered_, got, sink);
        framesRendered_ += got;
        done += got;
    }
    if (out && done < frames) std::memset(out + done * 2, 0, (frames - done) * 2 * sizeof(float));
    return done;
}

// The mixer moves to a new row only at the first frame of a tick, so a row seen for the
// first time after a chunk began inside that chunk. Where it began exactly follows from
// the row before: its speed times the tick length at its tempo (rowLength, exactly as the
// mixer counts it). A row's start is kept as a range, [rowStart_, rowLatest_]: one frame
// wherever the length was known, the frames of the chunk where it was not (the song's
// first row after a length of 0, a module the mixer times otherwise). The stamp is the
// range's first frame inside the chunk.
//
// A row still current once its end has certainly passed (the latest start plus its length
// lies inside what has been rendered) is played again in place: a pattern delay EEx, a loop
// of one row E6x. Its cells are raised again, stamped where the replay began. A row that
// simply lasts until its end is never taken for a replay, since its end is the frame the
// mixer reads the next row at, and that frame is rendered only in the chunk that shows the
// next row. Both rules depend on the frames alone, never on how the rendering was cut into
// chunks: the player's device callbacks, the capture and the timeline see the same events
// at the same frames.
void SongRenderer::noteRow(uint64_t chunkStart, size_t chunkLength, SyncEventSink& sink) {
    const int order = openmpt_module_get_current_order(module_);
    const int row = openmpt_module_get_current_row(module_);
    const uint64_t chunkLast = chunkStart + chunkLength - 1;
    const uint64_t length = rowLength();
    const bool known = rowStart_ != noRow && length > 0;
    const bool sameRow = order == lastOrder_ && row == lastRow_;
    if (sameRow && !(known && rowLatest_ + length <= chunkLast)) return;

    // The range the new row (or the replay) began in, cut to this chunk.
    uint64_t earliest = chunkStart;
    uint64_t latest = chunkLast;
    if (known) {
        earliest = std::max(earliest, rowStart_ + length);
        latest = std::min(latest, rowLatest_ + length);
        if (earliest > latest) {
            // The row before ran other than its length says: only the chunk is certain.
            earliest = chunkStart;
            latest = chunkLast;
        }
    } else if (chunkStart == 0) {
        latest = 0;  // the song's first row starts with its first frame
    }
    lastOrder_ = order;
    lastRow_ = row;
    rowStart_ = earliest;
    rowLatest_ = latest;
    lastSpeed_ = openmpt_module_get_current_speed(module_);
    lastTempo_ = openmpt_module_get_current_tempo(module_);

    const int pattern = openmpt_module_get_current_pattern(module_);
    const ScriptCell* end = script_.rowEnd(pattern, row);
    for (const ScriptCell* cell = script_.rowBegin(pattern, row); cell && cell != end; ++cell) {
        sink.onEvent(
            {earliest, uint16_t(order), cell->pattern, cell->row, cell->channel, cell->code});
    }
}

// libopenmpt counts a tick of the classic tempo mode as 2.5 s / tempo in whole frames,
// the fraction dropped (at 44.1 kHz, tempo 120: 918 frames, not 918.75 rounded to 919).
// The tests hold this against the rows the mixer plays at every tempo.
uint64_t SongRenderer::rowLength() const {
    if (lastSpeed_ <= 0 || lastTempo_ <= 0) return 0;
    const uint64_t tick = uint64_t(sampleRate_) * 5 / (2 * uint64_t(lastTempo_));
    return uint64_t(lastSpeed_) * tick;
}

}  // namespace zuzor
