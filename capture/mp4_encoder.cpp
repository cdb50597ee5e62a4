// libx264 and ffmpeg's own AAC encoder through libavcodec, the MP4 through libavformat.
// The MP4's length is where the latest picture ends (its moment plus its packet's
// duration), and a picture's duration is only known once the next picture (or the end) is:
// so the encoder's packets wait, in their order, until the moment after theirs is known.
#include "capture/mp4_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

namespace zuzor {

namespace {

constexpr int64_t soundBitRate = 192000;

// The part file under way, removed when the capture is interrupted. A fixed buffer: the
// signal handler may only unlink what is already there.
char interruptedPart[4096];

void removePartAndStop(int signal) {
    if (interruptedPart[0]) unlink(interruptedPart);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removePartWhenInterrupted(const std::string& part) {
    const size_t length = std::min(part.size(), sizeof interruptedPart - 1);
    part.copy(interruptedPart, length);
    interruptedPart[length] = '\0';
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, removePartAndStop);
}

// A hidden name beside the video: a capture killed outright (where no handler runs) leaves
// nothing that looks like a finished file, and the next capture of the same video clears it.
std::string partName(const std::string& out) {
    const size_t slash = out.rfind('/');
    const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    return out.substr(0, nameAt) + "." + out.substr(nameAt) + ".part";
}

std::string describe(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace

struct Mp4Encoder::State {
    Mp4Format format;
    std::string path;
    std::string partPath;
    AVFormatContext* file = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* sound = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* soundStream = nullptr;
    SwsContext* toYuv = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* soundFrame = nullptr;
    AVPacket* packet = nullptr;
    std::vector<int64_t> moments;   // of every picture sent, in the video's time base
    std::deque<AVPacket*> waiting;  // video packets whose duration is not yet known
    bool headerWritten = false;
    bool finished = false;
    std::vector<uint8_t> onScreen;  // the last picture encoded
    bool anyPicture = false;
    uint64_t encoded = 0;
    int soundFill = 0;  // samples waiting in soundFrame
    int64_t soundPts = 0;
    std::string failure;

    ~State() {
        avcodec_free_context(&video);
        avcodec_free_context(&sound);
        sws_freeContext(toYuv);
        av_frame_free(&picture);
        av_frame_free(&soundFrame);
        av_packet_free(&packet);
        for (AVPacket* p : waiting) av_packet_free(&p);
        if (file) {
            if (file->pb) avio_closep(&file->pb);
            avformat_free_context(file);
        }
        if (!finished && !partPath.empty()) std::remove(partPath.c_str());
        interruptedPart[0] = '\0';
    }

    bool fail(const std::string& what, int code) {
        if (failure.empty()) failure = what + (code < 0 ? ": " + describe(code) : "");
        return false;
    }

    bool openVideo() {
        const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
        if (!codec) return fail("this ffmpeg has no H.264 encoder (libx264)", 0);
        video = avcodec_alloc_context3(codec);
        if (!video) return fail("cannot set up the H.264 encoder", 0);
        video->width = format.width;
        video->height = format.height;
        video->pix_fmt = AV_PIX_FMT_YUV420P;
        video->time_base = AVRational{1, format.ticksPerSecond};
        // Without B-frames every picture is decoded in the order it is shown, so each MP4
        // sample lasts exactly until the next picture and the last one until the end; with
        // them the MP4 cannot hold the last pictures' durations. On this show it also gave
        // a smaller file of higher quality (BENCHMARKS.md).
        video->max_b_frames = 0;
        if (file->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* options = nullptr;
        av_dict_set(&options, "preset", format.preset, 0);
        av_dict_set(&options, "crf", std::to_string(format.crf).c_str(), 0);
        const int opened = avcodec_open2(video, codec, &options);
        av_dict_free(&options);
        if (opened < 0) return fail("cannot open the H.264 encoder", opened);
        videoStream = avformat_new_stream(file, nullptr);
        if (!videoStream) return fail("cannot add the video stream", 0);
        videoStream->time_base = video->time_base;
        avcodec_parameters_from_context(videoStream->codecpar, video);

        // The conversion the ffmpeg program applies by default: bicubic, limited range.
        toYuv = sws_getContext(format.width, format.height, AV_PIX_FMT_RGB24, format.width,
                               format.height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr,
                               nullptr);
        picture = av_frame_alloc();
        if (!toYuv || !picture) return fail("cannot set up the colour conversion", 0);
        picture->format = AV_PIX_FMT_YUV420P;
        picture->width = format.width;
        picture->height = format.height;
        const int got = av_frame_get_buffer(picture, 0);
        if (got < 0) return fail("cannot set up the colour conversion", got);
        return true;
    }

    bool openSound() {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!codec) return fail("this ffmpeg has no AAC encoder", 0);
        sound = avcodec_alloc_context3(codec);
        if (!sound) return fail("cannot set up the AAC encoder", 0);
        sound->sample_fmt = AV_SAMPLE_FMT_FLTP;
        sound->sample_rate = format.sampleRate;
        av_channel_layout_default(&sound->ch_layout, 2);
        sound->bit_rate = soundBitRate;
        sound->time_base = AVRational{1, format.sampleRate};
        if (file->oformat->flags & AVFMT_GLOBALHEADER) sound->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int opened = avcodec_open2(sound, codec, nullptr);
        if (opened < 0) return fail("cannot open the AAC encoder", opened);
        soundStream = avformat_new_stream(file, nullptr);
        if (!soundStream) return fail("cannot add the sound stream", 0);
        soundStream->time_base = sound->time_base;
        avcodec_parameters_from_context(soundStream->codecpar, sound);

        soundFrame = av_frame_alloc();
        if (!soundFrame) return fail("cannot set up the AAC encoder", 0);
        soundFrame->format = AV_SAMPLE_FMT_FLTP;
        soundFrame->sample_rate = format.sampleRate;
        av_channel_layout_copy(&soundFrame->ch_layout, &sound->ch_layout);
        soundFrame->nb_samples = sound->frame_size;
        const int got = av_frame_get_buffer(soundFrame, 0);
        if (got < 0) return fail("cannot set up the AAC encoder", got);
        return true;
    }

    // Writes the waiting video packets whose pictures' ends are known; with `end` (in the
    // encoder's time base) all of them, the last picture ending there.
    bool writeWaiting(const int64_t* end) {
        while (!waiting.empty()) {
            AVPacket* p = waiting.front();
            auto next = std::upper_bound(moments.begin(), moments.end(), p->pts);
            if (next == moments.end() && !end) return true;
            const int64_t until = next == moments.end() ? *end : *next;
            p->duration = until - p->pts;
            av_packet_rescale_ts(p, video->time_base, videoStream->time_base);
            waiting.pop_front();
            const int written = av_interleaved_write_frame(file, p);
            av_packet_free(&p);
            if (written < 0) return fail("cannot write " + path, written);
        }
        return true;
    }

    // Takes the encoder's packets.
    bool drain(AVCodecContext* codec, AVStream* stream) {
        for (;;) {
            const int got = avcodec_receive_packet(codec, packet);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) break;
            if (got < 0) return fail("the encoder failed", got);
            packet->stream_index = stream->index;
            if (stream == videoStream) {
                waiting.push_back(av_packet_clone(packet));
                av_packet_unref(packet);
                if (!waiting.back()) return fail("out of memory", 0);
                continue;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            const int written = av_interleaved_write_frame(file, packet);
            if (written < 0) return fail("cannot write " + path, written);
        }
        return stream != videoStream || writeWaiting(nullptr);
    }

    bool encodeSoundFrame(int samples) {
        soundFrame->nb_samples = samples;
        soundFrame->pts = soundPts;
        soundPts += samples;
        soundFill = 0;
        const int sent = avcodec_send_frame(sound, soundFrame);
        if (sent < 0) return fail("the AAC encoder failed", sent);
        return drain(sound, soundStream);
    }
};

bool mp4EncodersPresent() {
    return avcodec_find_encoder_by_name("libx264") && avcodec_find_encoder(AV_CODEC_ID_AAC);
}

Mp4Encoder::Mp4Encoder() = default;
Mp4Encoder::~Mp4Encoder() = default;

bool Mp4Encoder::open(const std::string& path, const Mp4Format& format, std::string& error) {
    // As quiet as the ffmpeg program with -loglevel error: the libraries' own reports of
    // what they did would bury the capture's progress bar.
    av_log_set_level(AV_LOG_ERROR);
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.format = format;
    s.path = path;
    s.partPath = partName(path);
    std::remove(s.partPath.c_str());  // left by a capture that was killed
    removePartWhenInterrupted(s.partPath);
    s.packet = av_packet_alloc();
    bool ok = s.packet != nullptr;
    if (ok) {
        const int made =
            avformat_alloc_output_context2(&s.file, nullptr, "mp4", s.partPath.c_str());
        ok = made >= 0 || s.fail("cannot set up the MP4 writer", made);
    }
    ok = ok && s.openVideo() && s.openSound();
    if (ok) {
        const int opened = avio_open(&s.file->pb, s.partPath.c_str(), AVIO_FLAG_WRITE);
        ok = opened >= 0 || s.fail("cannot write " + s.path, opened);
    }
    if (ok) {
        AVDictionary* options = nullptr;
        av_dict_set(&options, "movflags", "+faststart", 0);
        const int written = avformat_write_header(s.file, &options);
        av_dict_free(&options);
        ok = written >= 0 || s.fail("cannot write " + s.path, written);
        s.headerWritten = ok;
    }
    if (!ok) {
        error = s.failure;
        state_.reset();
    }
    return ok;
}

bool Mp4Encoder::writePicture(const uint8_t* rgb, int64_t at) {
    State& s = *state_;
    if (!s.failure.empty()) return false;
    const size_t bytes = size_t(s.format.width) * s.format.height * 3;
    if (s.anyPicture && std::memcmp(s.onScreen.data(), rgb, bytes) == 0) return true;
    s.onScreen.assign(rgb, rgb + bytes);
    s.anyPicture = true;

    const int writable = av_frame_make_writable(s.picture);
    if (writable < 0) return s.fail("cannot convert a picture", writable);
    const int stride = s.format.width * 3;
    sws_scale(s.toYuv, &rgb, &stride, 0, s.format.height, s.picture->data, s.picture->linesize);
    s.picture->pts = at;
    s.moments.push_back(at);
    const int sent = avcodec_send_frame(s.video, s.picture);
    if (sent < 0) return s.fail("the H.264 encoder failed", sent);
    ++s.encoded;
    return s.drain(s.video, s.videoStream);
}

bool Mp4Encoder::writeSound(const float* stereo, size_t frames) {
    State& s = *state_;
    if (!s.failure.empty()) return false;
    const int frameSize = s.sound->frame_size;
    while (frames > 0) {
        auto* left = reinterpret_cast<float*>(s.soundFrame->data[0]);
        auto* right = reinterpret_cast<float*>(s.soundFrame->data[1]);
        if (s.soundFill == 0) {
            const int writable = av_frame_make_writable(s.soundFrame);
            if (writable < 0) return s.fail("the AAC encoder failed", writable);
            left = reinterpret_cast<float*>(s.soundFrame->data[0]);
            right = reinterpret_cast<float*>(s.soundFrame->data[1]);
        }
        const size_t take = std::min(frames, size_t(frameSize - s.soundFill));
        for (size_t i = 0; i < take; ++i) {
            left[s.soundFill + i] = stereo[2 * i];
            right[s.soundFill + i] = stereo[2 * i + 1];
        }
        s.soundFill += int(take);
        stereo += take * 2;
        frames -= take;
        if (s.soundFill == frameSize && !s.encodeSoundFrame(frameSize)) return false;
    }
    return true;
}

bool Mp4Encoder::finish(int64_t end, std::string& error) {
    State& s = *state_;
    bool ok = s.failure.empty();
    if (ok && s.soundFill > 0) ok = s.encodeSoundFrame(s.soundFill);
    if (ok) {
        avcodec_send_frame(s.sound, nullptr);
        ok = s.drain(s.sound, s.soundStream);
    }
    if (ok) {
        avcodec_send_frame(s.video, nullptr);
        ok = s.drain(s.video, s.videoStream) && s.writeWaiting(&end);
    }
    if (ok) {
        const int written = av_write_trailer(s.file);
        ok = written >= 0 || s.fail("cannot write " + s.path, written);
    }
    if (ok) {
        const int closed = avio_closep(&s.file->pb);
        ok = closed >= 0 || s.fail("cannot write " + s.path, closed);
    }
    if (ok && std::rename(s.partPath.c_str(), s.path.c_str()) != 0)
        ok = s.fail("cannot write " + s.path, 0);
    s.finished = ok;
    if (!ok) error = s.failure;
    return ok;
}

uint64_t Mp4Encoder::picturesEncoded() const {
    return state_ ? state_->encoded : 0;
}

std::string Mp4Encoder::failure() const {
    return state_ ? state_->failure : std::string();
}

}  // namespace zuzor
