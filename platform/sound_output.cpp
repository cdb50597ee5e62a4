// The sound output, whatever plays it: one stream of a sound system at a time, or the silent
// clock. The stream's own timing says which frame is heard; when the stream fails or stops
// asking for sound, the silent clock carries the music on from the same position and a
// thread of OutputRecovery brings the sound back when it can.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/clock.h"
#include "base/constants.h"
#include "platform/output_backend.h"
#include "platform/output_recovery.h"
#include "platform/silent_clock.h"
#include "platform/sound_output.h"

namespace zuzor {

namespace {

constexpr double startUpLimitMs = 2000.0;

struct SoundOutput {
    OutputInfo info;
    MusicSource music;
    std::unique_ptr<OutputStream> stream;  // while info.kind is device
    SilentClock silentClock;
    OutputRecovery recovery;
    // Main thread only: keeps the clock from running backwards. Below frame 0 until the
    // sound system says the first frame leaves it, so the song's first row waits for it.
    int64_t lastHeard = -1;
    bool silentWanted = false;

    // A process that ends without closing the output (exit() from anywhere) still stops
    // the audio threads before the state they use goes away.
    ~SoundOutput() { close(); }
    void close();
    void useStream(std::unique_ptr<OutputStream> opened, double nowMs);
    void startSilentClock(int64_t heardFrom);
    const char* whyStopped(double nowMs);
    void fallToSilentClock(const char* why, double nowMs);
    int64_t deviceFrame(double nowMs) const;
};

SoundOutput output;

int latencyFromEnvironment(int rate) {
    const char* text = std::getenv("ZUZOR_AUDIO_LATENCY_MS");
    if (!text || !*text) return 0;
    return int(std::strtod(text, nullptr) * rate / 1000.0);
}

void SoundOutput::useStream(std::unique_ptr<OutputStream> opened, double nowMs) {
    stream = std::move(opened);
    stream->feed->expectRequestsFrom(nowMs);
    music.gate.handTo(stream->feed->id());
    info.kind = OutputKind::device;
    info.deviceBufferFrames = stream->backend->bufferFrames();
    info.latencyFrames = latencyFromEnvironment(info.rate);
    info.driver = stream->backend->driver();
}

void SoundOutput::startSilentClock(int64_t heardFrom) {
    info.kind = OutputKind::silentClock;
    info.deviceBufferFrames = SilentClock::leadFrames;
    info.latencyFrames = 0;
    info.driver = "silent clock";
    silentClock.start(info.rate, music.fill, music.handed, heardFrom);
}

// Why the stream counts as stopped, or null while it plays. A stream that stops asking for
// sound has stopped once its clock has also played all it was given: an idle sink may
// hold a long stretch of sound before it asks again.
const char* SoundOutput::whyStopped(double nowMs) {
    if (const char* why = stream->feed->failure()) return why;
    if (const char* why = stream->backend->polledFailure()) return why;
    const DeviceClock& clock = stream->feed->clock();
    // Until the stream has taken more than its first buffer, a sound system may take its
    // time (an idle sink wakes up, a server adapts its latency): only a stream that
    // played on must keep asking.
    const bool playing = clock.posted() && stream->feed->framesAskedFor() >
                                               2 * uint64_t(stream->backend->bufferFrames());
    const double limitMs = playing ? stream->backend->stallLimitMs() : startUpLimitMs;
    if (nowMs - stream->feed->lastRequestMs() <= limitMs) return nullptr;
    int64_t leaving = 0;
    const bool playedAll = !clock.frameAt(nowMs, info.rate, leaving) ||
                           leaving >= int64_t(music.handed.load(std::memory_order_acquire));
    return playedAll ? "it stopped asking for sound" : nullptr;
}

// The frame the stream's clock names for now, never past the frames handed over, less the
// trim.
int64_t SoundOutput::deviceFrame(double nowMs) const {
    int64_t frame = -1;
    if (!stream->feed->clock().frameAt(nowMs, info.rate, frame)) return -1;
    frame = std::min(frame, int64_t(music.handed.load(std::memory_order_acquire)));
    return frame - info.latencyFrames;
}

void SoundOutput::fallToSilentClock(const char* why, double nowMs) {
    // The silent clock goes on from the frame last heard: the clock stood still since the
    // stream played its last frame, and the frames handed over but never played are
    // skipped (a buffer at most).
    const int64_t heardFrom = std::max(lastHeard, deviceFrame(nowMs));
    music.gate.handTo(0);
    std::fprintf(stderr, "zuzor: the sound output stopped (%s); the music runs silently\n", why);
    startSilentClock(std::max<int64_t>(heardFrom, 0));
    recovery.start(std::move(stream), music, info.rate);
}

void SoundOutput::close() {
    recovery.stop();
    music.gate.handTo(0);
    stream.reset();
    silentClock.stop();
    info = OutputInfo{};
}

}  // namespace

OutputInfo openOutput(int rate, OutputFill fill) {
    SoundOutput& o = output;
    if (o.info.kind != OutputKind::closed) return o.info;
    if (rate <= 0) rate = mixRate;
    o.info.rate = rate;
    o.music.fill = fill;
    o.music.handed.store(0);
    o.lastHeard = -1;
    if (o.silentWanted) {
        o.startSilentClock(0);
        return o.info;
    }
    std::string why;
    const char* wanted = std::getenv("ZUZOR_AUDIO");
    if (wanted && std::strcmp(wanted, "off") == 0) {
        why = "ZUZOR_AUDIO=off";
    } else {
        if (auto opened = openOutputStream(o.music, rate, true, why)) {
            o.useStream(std::move(opened), monotonicMs());
            return o.info;
        }
    }
    std::fprintf(stderr, "zuzor: %s; the music runs silently\n", why.c_str());
    o.startSilentClock(0);
    return o.info;
}

void keepOutputSilent() {
    output.silentWanted = true;
}

void closeOutput() {
    output.close();
}

OutputInfo outputInfo() {
    return output.info;
}

uint64_t handedFrames() {
    return output.music.handed.load(std::memory_order_acquire);
}

int64_t heardFrame() {
    SoundOutput& o = output;
    const double now = monotonicMs();
    if (o.info.kind == OutputKind::device) {
        if (const char* why = o.whyStopped(now)) o.fallToSilentClock(why, now);
    } else if (o.recovery.running()) {
        if (auto opened = o.recovery.takeOpened()) {
            o.recovery.stop();  // its thread has ended
            o.silentClock.stop();
            o.useStream(std::move(opened), now);
            std::fprintf(stderr, "zuzor: sound output back (%s)\n", o.info.driver);
        }
    }
    int64_t heard = -1;
    if (o.info.kind == OutputKind::device)
        heard = o.deviceFrame(now);
    else if (o.info.kind == OutputKind::silentClock)
        heard = o.silentClock.heardFrame();
    o.lastHeard = std::max(o.lastHeard, heard);
    return o.lastHeard;
}

}  // namespace zuzor
