// Windows smoke program for the cross-built libraries: a freeglut window (game mode, or an
// 800x600 window when that fails) cleared to a colour, an SDL2 audio device in callback
// mode, and a second of a tiny XM module rendered through libopenmpt on a std::thread.
// Prints one line and exits 0 on Escape or after --seconds N (default 3).
// `--newline-probe text|binary` only writes the demo's start-up line in that stdout mode.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <SDL.h>
#include <fcntl.h>
#include <io.h>
#include <libopenmpt/libopenmpt.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tiny_module.h"

namespace {

constexpr int kRate = 44100;

struct Rendered {
    std::vector<float> frames;  // interleaved stereo
    float peak = 0.0f;
    std::string error;
};

// One second of the tiny module, as the demo's player would render it.
Rendered renderModule() {
    Rendered out;
    const std::vector<std::uint8_t> bytes = smoke::makeTinyModule();
    int error = 0;
    openmpt_module* module = openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr, &error, nullptr, nullptr);
    if (!module) {
        out.error = "module_error_" + std::to_string(error);
        return out;
    }
    out.frames.resize(2 * kRate);
    std::size_t done = 0;
    while (done < kRate) {
        const std::size_t n = openmpt_module_read_interleaved_float_stereo(
            module, kRate, std::min<std::size_t>(1024, kRate - done), &out.frames[2 * done]);
        if (n == 0) break;
        done += n;
    }
    openmpt_module_destroy(module);
    out.frames.resize(2 * done);
    for (float s : out.frames) out.peak = std::max(out.peak, std::fabs(s));
    return out;
}

struct Audio {
    SDL_AudioDeviceID device = 0;
    std::string driver = "none";  // the back end SDL initialised, even if no device opened
    std::string error;            // why no device opened
    std::atomic<int> callbacks{0};
    std::atomic<const Rendered*> sound{nullptr};
    std::size_t played = 0;  // in floats; touched by the audio thread only
};

Audio g_audio;

void SDLCALL fillAudio(void*, Uint8* stream, int length) {
    g_audio.callbacks.fetch_add(1, std::memory_order_relaxed);
    float* out = reinterpret_cast<float*>(stream);
    const std::size_t wanted = static_cast<std::size_t>(length) / sizeof(float);
    std::fill(out, out + wanted, 0.0f);
    const Rendered* sound = g_audio.sound.load(std::memory_order_acquire);
    if (!sound || g_audio.played >= sound->frames.size()) return;
    const std::size_t n = std::min(wanted, sound->frames.size() - g_audio.played);
    std::memcpy(out, &sound->frames[g_audio.played], n * sizeof(float));
    g_audio.played += n;
}

void openAudio() {
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        g_audio.error = SDL_GetError();
        return;
    }
    if (const char* driver = SDL_GetCurrentAudioDriver()) g_audio.driver = driver;
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = fillAudio;
    SDL_AudioSpec have{};
    g_audio.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (g_audio.device == 0) {
        g_audio.error = SDL_GetError();
        return;
    }
    SDL_PauseAudioDevice(g_audio.device, 0);
}

struct Run {
    int seconds = 3;
    DWORD started = 0;
    bool gameMode = false;
    int width = 0, height = 0;
    std::string renderer;
};

Run g_run;

void display() {
    glClearColor(0.1f, 0.5f, 0.8f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 0.0, 1.0);  // GLU linked and working
    glColor3f(1.0f, 0.8f, 0.1f);
    glBegin(GL_TRIANGLES);
    glVertex2f(0.2f, 0.2f);
    glVertex2f(0.8f, 0.2f);
    glVertex2f(0.5f, 0.8f);
    glEnd();
    glutSwapBuffers();
    if (g_run.renderer.empty()) {
        const GLubyte* name = glGetString(GL_RENDERER);
        g_run.renderer = name ? reinterpret_cast<const char*>(name) : "unknown";
    }
    GLint viewport[4] = {};  // what GL draws into: the window after its last reshape
    glGetIntegerv(GL_VIEWPORT, viewport);
    g_run.width = viewport[2];
    g_run.height = viewport[3];
}

void keyboard(unsigned char key, int, int) {
    if (key == 27) glutLeaveMainLoop();
}

void tick(int) {
    glutPostRedisplay();
    if (GetTickCount() - g_run.started >= static_cast<DWORD>(g_run.seconds) * 1000) {
        glutLeaveMainLoop();
        return;
    }
    glutTimerFunc(50, tick, 0);
}

void openWindow() {
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
    glutGameModeString("800x600:32@60");
    if (glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) && glutEnterGameMode() != 0 &&
        glutGameModeGet(GLUT_GAME_MODE_ACTIVE)) {
        g_run.gameMode = true;
    } else {
        glutInitWindowSize(800, 600);
        glutCreateWindow("zuzor smoke");
    }
    glutDisplayFunc(display);
    glutKeyboardFunc(keyboard);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
}

// The demo's start-up line through the C library, in the given stdout mode.
int newlineProbe(const char* mode) {
    if (std::strcmp(mode, "binary") == 0) {
        _setmode(_fileno(stdout), _O_BINARY);
    } else if (std::strcmp(mode, "text") != 0) {
        std::fprintf(stderr, "smoke: --newline-probe takes text or binary, not '%s'\n", mode);
        return 2;
    }
    std::fputs("inizializzazione fatta\n", stdout);
    return 0;
}

bool parseSeconds(const char* text, int& seconds) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 3600) return false;
    seconds = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--newline-probe") == 0) return newlineProbe(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--seconds") == 0) {
        if (!parseSeconds(argv[2], g_run.seconds)) {
            std::fprintf(stderr, "smoke: --seconds takes a whole number from 1 to 3600\n");
            return 2;
        }
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: smoke [--seconds N | --newline-probe text|binary]\n");
        return 2;
    }

    Rendered sound;
    std::thread renderer([&sound] { sound = renderModule(); });
    openAudio();
    glutInit(&argc, argv);
    openWindow();
    renderer.join();
    g_audio.sound.store(&sound, std::memory_order_release);

    g_run.started = GetTickCount();
    glutTimerFunc(50, tick, 0);
    glutMainLoop();

    if (g_audio.device != 0) SDL_CloseAudioDevice(g_audio.device);
    SDL_Quit();
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    std::printf(
        "smoke: mode=%s size=%dx%d renderer=\"%s\" audio_driver=%s audio_device=%s "
        "audio_error=\"%s\" callbacks=%d module=%s peak=%.3f qpf=%lld\n",
        g_run.gameMode ? "game" : "window", g_run.width, g_run.height, g_run.renderer.c_str(),
        g_audio.driver.c_str(), g_audio.device != 0 ? "open" : "none", g_audio.error.c_str(),
        g_audio.callbacks.load(), sound.error.empty() ? "ok" : sound.error.c_str(),
        static_cast<double>(sound.peak), static_cast<long long>(frequency.QuadPart));
    return sound.error.empty() && sound.peak > 0.01f ? 0 : 1;
}
