// The sound output, whatever plays it: one stream of a sound system at a time, or the silent
// clock. The stream's own timing says which frame is heard; when the stream fails or stops
// asking for sound, the silent clock carries the music on from the same position and the
// service step opens a stream again as background work until one opens. No thread here:
// the stream's audio thread is the sound system's, the openings are background work, and
// the rest runs when the main loop calls serviceOutput.
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
// After a stream stopped, a new one is tried this long after the last try ended.
constexpr double retryEveryMs = 500.0;

struct SoundOutput {
    OutputInfo info;
    OutputOptions options;
    // Shared with the openings under way, which may outlive the output.
    std::shared_ptr<MusicSource> music;
    std::unique_ptr<OutputStream> stream;  // while info.kind is device
    SilentClock silentClock;
    // The first opening while info.kind is closed; during a recovery, the job that closes
    // the stream that stopped or tries to open another.
    std::shared_ptr<StreamOpening> opening;
    bool recovering = false;
    std::string recoveryDriver;  // the stopped stream's sound system
    double nextTryMs = 0.0;
    // Keeps the clock from running backwards. Below frame 0 until the sound system says
    // the first frame leaves it, so the song's first row waits for it.
    int64_t lastHeard = -1;

    // A process that ends without closing the output (exit() from anywhere) still stops
    // the audio thread before the state it uses goes away.
    ~SoundOutput() { close(); }
    void close();
    void prepare(int rate, OutputFill fill, const OutputOptions& options);
    bool openSilently();
    void collectOpening(double nowMs);
    void useStream(std::unique_ptr<OutputStream> opened, double nowMs);
    void startSilentClock(int64_t heardFrom);
    const char* whyStopped(double nowMs);
    void fallToSilentClock(const char* why, double nowMs);
    void recover(double nowMs);
    int64_t deviceFrame(double nowMs) const;
};

SoundOutput output;

void SoundOutput::prepare(int rate, OutputFill fill, const OutputOptions& wanted) {
    options = wanted;
    info.rate = rate > 0 ? rate : mixRate;
    music = std::make_shared<MusicSource>();
    music->fill = fill;
    lastHeard = -1;
}

// The silent clock where the options ask for it; false where a device is to be tried.
bool SoundOutput::openSilently() {
    if (!options.mute && !options.deviceOff) return false;
    if (!options.mute) std::fputs("zuzor: ZUZOR_AUDIO=off; the music runs silently\n", stderr);
    startSilentClock(0);
    return true;
}

void SoundOutput::useStream(std::unique_ptr<OutputStream> opened, double nowMs) {
    stream = std::move(opened);
    stream->feed->expectRequestsFrom(nowMs);
    music->gate.handTo(stream->feed->id());
    info.kind = OutputKind::device;
    info.deviceBufferFrames = stream->backend->bufferFrames();
    info.latencyFrames = int(options.latencyMs * info.rate / 1000.0);
    info.driver = stream->backend->driver();
}

void SoundOutput::startSilentClock(int64_t heardFrom) {
    info.kind = OutputKind::silentClock;
    info.deviceBufferFrames = SilentClock::leadFrames;
    info.latencyFrames = 0;
    info.driver = "silent clock";
    silentClock.start(info.rate, music->fill, music->handed, heardFrom);
}

// The first opening's result: the stream, or the silent clock and the line that says why.
void SoundOutput::collectOpening(double nowMs) {
    std::string why;
    std::unique_ptr<OutputStream> opened = opening->take(why);
    opening.reset();
    if (opened) {
        useStream(std::move(opened), nowMs);
        return;
    }
    std::fprintf(stderr, "zuzor: %s; the music runs silently\n", why.c_str());
    startSilentClock(0);
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
                           leaving >= int64_t(music->handed.load(std::memory_order_acquire));
    return playedAll ? "it stopped asking for sound" : nullptr;
}

// The frame the stream's clock names for now, never past the frames handed over, less the
// trim.
int64_t SoundOutput::deviceFrame(double nowMs) const {
    int64_t frame = -1;
    if (!stream->feed->clock().frameAt(nowMs, info.rate, frame)) return -1;
    frame = std::min(frame, int64_t(music->handed.load(std::memory_order_acquire)));
    return frame - info.latencyFrames;
}

void SoundOutput::fallToSilentClock(const char* why, double nowMs) {
    // The silent clock goes on from the frame last heard: the clock stood still since the
    // stream played its last frame, and the frames handed over but never played are
    // skipped (a buffer at most).
    const int64_t heardFrom = std::max(lastHeard, deviceFrame(nowMs));
    music->gate.handTo(0);
    std::fprintf(stderr, "zuzor: the sound output stopped (%s); the music runs silently\n", why);
    startSilentClock(std::max<int64_t>(heardFrom, 0));
    // Of the same sound system where it was one of the host's own: a restarting server
    // must not lose the output to another way to the same sink meanwhile.
    recoveryDriver = stream->backend ? stream->backend->driver() : "";
    StreamOpening::Request closing;
    closing.open = false;
    closing.stopped = std::move(stream);
    opening = StreamOpening::begin(std::move(closing));
    recovering = true;
    nextTryMs = nowMs + retryEveryMs;
}

// On the silent clock after a stream stopped: one try at a time, each retryEveryMs after the
// last one ended, until a stream opens; then it takes the music over.
void SoundOutput::recover(double nowMs) {
    if (opening) {
        if (!opening->done()) return;
        std::string why;
        std::unique_ptr<OutputStream> opened = opening->take(why);
        opening.reset();
        if (opened) {
            recovering = false;
            silentClock.stop();
            useStream(std::move(opened), nowMs);
            std::fprintf(stderr, "zuzor: sound output back (%s)\n", info.driver);
            return;
        }
        nextTryMs = std::max(nextTryMs, nowMs + retryEveryMs);
        return;
    }
    if (nowMs < nextTryMs) return;
    StreamOpening::Request request;
    request.music = music;
    request.rate = info.rate;
    request.driver = recoveryDriver;
    opening = StreamOpening::begin(std::move(request));
}

void SoundOutput::close() {
    if (opening) opening->abandon();
    opening.reset();
    recovering = false;
    if (music) music->gate.handTo(0);
    stream.reset();
    silentClock.stop();
    info = OutputInfo{};
}

}  // namespace

OutputOptions outputOptionsFromEnvironment() {
    OutputOptions options;
    const char* audio = std::getenv("ZUZOR_AUDIO");
    options.deviceOff = audio && std::strcmp(audio, "off") == 0;
    if (const char* latency = std::getenv("ZUZOR_AUDIO_LATENCY_MS"))
        options.latencyMs = std::strtod(latency, nullptr);
    return options;
}

OutputInfo openOutput(int rate, OutputFill fill, const OutputOptions& options) {
    SoundOutput& o = output;
    if (o.opening && o.info.kind == OutputKind::closed) o.close();  // opened here instead
    if (o.info.kind != OutputKind::closed) return o.info;
    o.prepare(rate, fill, options);
    if (o.openSilently()) return o.info;
    std::string why;
    std::unique_ptr<OutputStream> opened = openOutputStream(*o.music, o.info.rate, true, why);
    if (opened) {
        o.useStream(std::move(opened), monotonicMs());
        return o.info;
    }
    std::fprintf(stderr, "zuzor: %s; the music runs silently\n", why.c_str());
    o.startSilentClock(0);
    return o.info;
}

void beginOpeningOutput(int rate, OutputFill fill, const OutputOptions& options) {
    SoundOutput& o = output;
    if (o.info.kind != OutputKind::closed || o.opening) return;
    o.prepare(rate, fill, options);
    if (o.openSilently()) return;
    StreamOpening::Request request;
    request.music = o.music;
    request.rate = o.info.rate;
    request.playsAtOnce = true;
    o.opening = StreamOpening::begin(std::move(request));
}

bool outputOpening() {
    return output.info.kind == OutputKind::closed && output.opening;
}

void serviceOutput() {
    SoundOutput& o = output;
    const double now = monotonicMs();
    if (o.info.kind == OutputKind::closed) {
        if (o.opening && o.opening->done()) o.collectOpening(now);
        return;
    }
    if (o.info.kind == OutputKind::device) {
        if (const char* why = o.whyStopped(now)) o.fallToSilentClock(why, now);
    }
    if (o.info.kind == OutputKind::silentClock) {
        o.silentClock.advance();
        if (o.recovering) o.recover(now);
    }
}

void closeOutput() {
    output.close();
}

OutputInfo outputInfo() {
    return output.info;
}

uint64_t handedFrames() {
    const SoundOutput& o = output;
    return o.music ? o.music->handed.load(std::memory_order_acquire) : 0;
}

int64_t heardFrame() {
    SoundOutput& o = output;
    int64_t heard = -1;
    if (o.info.kind == OutputKind::device)
        heard = o.deviceFrame(monotonicMs());
    else if (o.info.kind == OutputKind::silentClock)
        heard = o.silentClock.heardFrame();
    o.lastHeard = std::max(o.lastHeard, heard);
    return o.lastHeard;
}

}  // namespace zuzor
