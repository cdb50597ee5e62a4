// The first picture after a jump (--from, a reload, the maker's keys): the fast-forward draws
// its frames hidden but the last two ticks' in full, and the frame it stands on is drawn
// again. That picture is, byte for byte, the frame a full run shows at the same moment, in
// the warp scene too. (With every frame hidden, the picture at the third moment below
// differs.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/constants.h"
#include "demo/show.h"
#include "demo/show_seek.h"
#include "demo/sync_codes.h"
#include "sync/song_renderer.h"
#include "tests/support/gl_context.h"
#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

constexpr uint64_t rowFrames = 5292;  // speed 6 at 125 BPM

std::vector<uint8_t> scriptedModule() {
    TestModuleShape shape;
    shape.orders = 3;
    XmModule module = makeTestModule(shape);
    const std::pair<int, uint8_t> script[] = {
        {2, Z14}, {4, Z02}, {6, Z04}, {9, Z15}, {12, Z18}, {16, Z03}, {18, Z1A}, {22, Z0F},
    };
    for (const auto& [row, code] : script) putScriptEvent(module, row / 16, row % 16, 1, code);
    return testModuleBytes(module);
}

std::unique_ptr<SongRenderer> renderer(const std::vector<uint8_t>& module) {
    std::string error;
    auto song = SongRenderer::create(module.data(), module.size(), mixRate, true, error);
    EXPECT_TRUE(song) << error;
    return song;
}

// The picture at `moment`, from a fresh show in a context of its own: every frame drawn in
// full, or fast-forwarded as a jump does and its last frame drawn again.
std::vector<uint8_t> pictureAt(const std::vector<uint8_t>& module, uint64_t moment, bool jump) {
    OffscreenGl gl(320, 240);
    if (!gl.ok()) return {};
    Show show;
    SceneStart start;
    start.onSongClock = true;
    start.warmUp = false;
    start.viewportWidth = gl.width();
    start.viewportHeight = gl.height();
    start.music = false;
    show.begin(start);
    auto song = renderer(module);
    if (!song) return {};
    if (jump) song->silence();
    SoundClockShow run(show, std::move(song));
    run.draw(jump);
    if (jump) {
        EXPECT_TRUE(run.fastForward(moment));
        run.redrawLast();
    } else {
        while (run.clock() < moment) {
            if (run.clock() == run.chunkEnd()) run.renderChunk();
            const SoundClockShow::Step step = run.advance();
            if (step.quit) break;
            if (step.redraw) run.draw(false);
        }
    }
    return gl.readPixels();
}

TEST(JumpPicture, TheFirstPictureAfterAJumpIsTheFullRunsFrame) {
    const std::vector<uint8_t> module = scriptedModule();
    // Moments in three scenes of the script, the first in the warp scene.
    for (uint64_t moment : {8 * rowFrames + 1234, 14 * rowFrames + 5, 24 * rowFrames + 3000}) {
        const std::vector<uint8_t> full = pictureAt(module, moment, false);
        if (full.empty()) GTEST_SKIP() << "no offscreen OpenGL context here";
        size_t unlike = 0;  // a picture, not a cleared screen
        for (size_t p = 4; p < full.size(); p += 4) unlike += full[p] != full[0];
        EXPECT_GT(unlike, full.size() / 400) << "at frame " << moment;
        ASSERT_TRUE(full == pictureAt(module, moment, true)) << "at frame " << moment;
    }
}

}  // namespace
