// ffmpeg runs as a child process with its arguments passed as they are (no shell), its
// input a pipe. The sound cannot share that pipe, and two pipes into one ffmpeg can stall
// each other, so the sound goes to a file and a second, quick ffmpeg run joins the two.
#include "capture/ffmpeg_encoder.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <vector>

extern char** environ;

namespace zuzor {

namespace {

// Starts `args` with stdin from a new pipe (when `input` is given) and stdout to
// /dev/null. Returns the child's id or -1.
pid_t spawn(const std::vector<std::string>& args, int* input) {
    int fds[2] = {-1, -1};
    if (input && pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input) {
        posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", 0, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (input) {
        close(fds[0]);
        if (failed) {
            close(fds[1]);
            return -1;
        }
        *input = fds[1];
    }
    return failed ? -1 : pid;
}

// The child's exit status, or -1 when it did not exit normally.
int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The parts of the capture under way, removed when the capture is interrupted, and the
// encoder writing one of them. Fixed buffers: the signal handler may only unlink what is
// already there.
char interruptedParts[2][4096];
volatile pid_t interruptedEncoder = -1;

void removePartsAndStop(int signal) {
    // The encoder goes first: it may open its output only now, after the unlink.
    if (interruptedEncoder > 0) {
        kill(interruptedEncoder, SIGKILL);
        waitpid(interruptedEncoder, nullptr, 0);
    }
    for (const char* part : interruptedParts)
        if (part[0]) unlink(part);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removePartsWhenInterrupted(const std::string& videoPart, const std::string& audioPart) {
    const std::string* parts[2] = {&videoPart, &audioPart};
    for (int i = 0; i < 2; ++i) {
        const size_t length = std::min(parts[i]->size(), sizeof interruptedParts[i] - 1);
        parts[i]->copy(interruptedParts[i], length);
        interruptedParts[i][length] = '\0';
    }
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, removePartsAndStop);
}

// Hidden names beside the video: a capture killed outright (where no handler runs) leaves
// nothing that looks like a finished file, and the next capture of the same video clears it.
std::string partName(const std::string& out, const char* suffix) {
    const size_t slash = out.rfind('/');
    const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    return out.substr(0, nameAt) + "." + out.substr(nameAt) + suffix;
}

}  // namespace

bool ffmpegAvailable() {
    const pid_t pid = spawn({"ffmpeg", "-hide_banner", "-loglevel", "quiet", "-version"}, nullptr);
    return pid > 0 && waitFor(pid) == 0;
}

FfmpegEncoder::~FfmpegEncoder() {
    abandon();
}

bool FfmpegEncoder::open(const std::string& out, int width, int height, int fps, int sampleRate,
                         std::string& error) {
    // A dead encoder must show as a failed write, not end the capture by a signal.
    std::signal(SIGPIPE, SIG_IGN);
    out_ = out;
    videoPart_ = partName(out, ".video-part.mkv");
    audioPart_ = partName(out, ".audio-part.wav");
    // Left by a capture that was killed: of no use, and not to be taken for output.
    for (const std::string& stale :
         {videoPart_, audioPart_, out + ".video-part.mkv", out + ".audio-part.wav"})
        std::remove(stale.c_str());
    removePartsWhenInterrupted(videoPart_, audioPart_);
    frameBytes_ = size_t(width) * size_t(height) * 3;
    if (!audio_.open(audioPart_, sampleRate)) {
        error = "cannot write " + audioPart_;
        return false;
    }
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    child_ = spawn({"ffmpeg",    "-hide_banner",
                    "-loglevel", "error",
                    "-nostdin",  "-y",
                    "-f",        "rawvideo",
                    "-pix_fmt",  "rgb24",
                    "-s",        size,
                    "-r",        std::to_string(fps),
                    "-i",        "-",
                    "-c:v",      "libx264",
                    "-preset",   "fast",
                    "-crf",      "18",
                    "-pix_fmt",  "yuv420p",
                    videoPart_},
                   &pipe_);
    if (child_ < 0) {
        error = "cannot start ffmpeg";
        abandon();
        return false;
    }
    interruptedEncoder = child_;
    return true;
}

bool FfmpegEncoder::writeFrame(const uint8_t* rgb) {
    return writeAll(pipe_, rgb, frameBytes_);
}

bool FfmpegEncoder::writeAudio(const float* stereo, size_t frames) {
    return audio_.write(stereo, frames);
}

bool FfmpegEncoder::finish(std::string& error) {
    close(pipe_);
    pipe_ = -1;
    interruptedEncoder = -1;
    const int encoded = waitFor(child_);
    child_ = -1;
    const bool audioOk = audio_.close();
    if (encoded != 0 || !audioOk) {
        error = encoded != 0 ? "ffmpeg could not encode the video" : "cannot write " + audioPart_;
        abandon();
        return false;
    }
    const pid_t mux = spawn({"ffmpeg", "-hide_banner", "-loglevel", "error",      "-nostdin", "-y",
                             "-i",     videoPart_,     "-i",        audioPart_,   "-map",     "0:v",
                             "-map",   "1:a",          "-c:v",      "copy",       "-c:a",     "aac",
                             "-b:a",   "192k",         "-movflags", "+faststart", out_},
                            nullptr);
    const bool muxed = mux > 0 && waitFor(mux) == 0;
    abandon();
    if (!muxed) {
        error = "ffmpeg could not write " + out_;
        std::remove(out_.c_str());
    }
    return muxed;
}

void FfmpegEncoder::abandon() {
    interruptedEncoder = -1;
    if (pipe_ >= 0) close(pipe_);
    pipe_ = -1;
    if (child_ > 0) waitFor(child_);
    child_ = -1;
    audio_.close();
    if (!videoPart_.empty()) std::remove(videoPart_.c_str());
    if (!audioPart_.empty()) std::remove(audioPart_.c_str());
    interruptedParts[0][0] = interruptedParts[1][0] = '\0';
}

}  // namespace zuzor
