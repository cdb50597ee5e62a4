// The event table through onSyncEvent: the cycles, toggles, clears and draws where a
// slip would show on screen, and the redraw requests that go with them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demo/demo_state.h"
#include "demo/shell_hooks.h"
#include "demo/sync_codes.h"
#include "demo/sync_events.h"

using namespace zuzor;

namespace {

struct CountingHooks final : ShellHooks {
    int redraws = 0;
    int shutdowns = 0;
    void requestRedraw() override { ++redraws; }
    void shutdown() override { ++shutdowns; }
};

class SyncEvents : public ::testing::Test {
  protected:
    // DemoState is large; a fresh zeroed one per test, like the global at start-up.
    std::unique_ptr<DemoState> owned = std::make_unique<DemoState>();
    DemoState& s = *owned;
    CountingHooks hooks;
    void fire(uint8_t code) { onSyncEvent(s, hooks, code); }
};

TEST_F(SyncEvents, TowerCopiesCycleOneToSevenFromZero) {
    EXPECT_EQ(s.towerCopies, 0);
    std::vector<int> seen;
    for (int i = 0; i < 15; ++i) {
        fire(Z18);
        seen.push_back(s.towerCopies);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 1}));
    s.towerCopies = 40;  // whatever got there, the next step starts the cycle again
    fire(Z18);
    EXPECT_EQ(s.towerCopies, 1);
    EXPECT_EQ(hooks.redraws, 0);
}

TEST_F(SyncEvents, TowerOffClearsEveryFlashWithoutARedraw) {
    s.showTower = true;
    s.showGrid = true;
    for (float& p : s.flashPanels.pulse) p = 0.7f;
    fire(Z0C);
    EXPECT_FALSE(s.showTower);
    EXPECT_TRUE(s.showGrid);
    for (float p : s.flashPanels.pulse) EXPECT_EQ(p, 0.0f);
    EXPECT_EQ(hooks.redraws, 0);
}

TEST_F(SyncEvents, SwitchingOnRedrawsEvenWhenAlreadyOn) {
    const uint8_t on[] = {Z02, Z03, Z04, Z05};
    for (uint8_t code : on) fire(code);
    EXPECT_TRUE(s.showTower && s.showGrid && s.showWarp && s.showVoxels);
    EXPECT_EQ(hooks.redraws, 4);
    fire(Z02);
    EXPECT_EQ(hooks.redraws, 5);
    const uint8_t off[] = {Z0D, Z0E, Z0F};
    for (uint8_t code : off) fire(code);
    EXPECT_TRUE(s.showTower);
    EXPECT_FALSE(s.showGrid || s.showWarp || s.showVoxels);
    EXPECT_EQ(hooks.redraws, 5);
}

TEST_F(SyncEvents, FlashesLightTheirOwnQuarter) {
    const std::pair<uint8_t, int> flashes[] = {{20, 1}, {21, 0}, {22, 3}, {23, 2}};
    for (auto [code, panel] : flashes) {
        for (float& p : s.flashPanels.pulse) p = 0.0f;
        fire(code);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(s.flashPanels.pulse[i], i == panel ? 1.0f : 0.0f) << int(code);
    }
}

TEST_F(SyncEvents, TogglesFlipAndFlipBack) {
    fire(Z1E);
    fire(Z1F);
    fire(Z20);
    EXPECT_TRUE(s.towerFlash && s.flashPanels.fastDecay && s.towerCameraAlt);
    fire(Z1E);
    fire(Z1F);
    fire(Z20);
    EXPECT_FALSE(s.towerFlash || s.flashPanels.fastDecay || s.towerCameraAlt);
}

TEST_F(SyncEvents, PulsesRestartWhateverTheirValue) {
    s.ringTower.pulse = 3.5f;
    s.warpScene.pulse = 0.5f;
    s.warpScene.depth = 250.0f;
    fire(Z19);
    fire(Z1C);
    fire(Z1D);
    EXPECT_EQ(s.ringTower.pulse, 20.0f);
    EXPECT_EQ(s.warpScene.pulse, 2.0f);
    EXPECT_EQ(s.warpScene.depth, -100.0f);
}

TEST_F(SyncEvents, ReseedDrawsFourNumbersInOrder) {
    // The same draws from the show's sequence, by hand: centre1 x, y, then centre2 x, y.
    RandomSequence byHand = s.random;
    float expected[4];
    for (float& v : expected) v = float(byHand.next() % 50);
    fire(Z1A);
    EXPECT_EQ(s.blobGrid.centre1[0], expected[0]);
    EXPECT_EQ(s.blobGrid.centre1[1], expected[1]);
    EXPECT_EQ(s.blobGrid.centre2[0], expected[2]);
    EXPECT_EQ(s.blobGrid.centre2[1], expected[3]);
    EXPECT_EQ(s.random.state(), byHand.state());  // exactly four draws
}

TEST_F(SyncEvents, OneWayFlagsAndUnknownCodes) {
    fire(Z2E);
    fire(Z64);
    EXPECT_TRUE(s.logoVisible);
    EXPECT_TRUE(s.quitRequested);
    EXPECT_EQ(hooks.shutdowns, 0);  // the tick acts on it, never the event

    auto fresh = std::make_unique<DemoState>();
    fresh->showVoxels = true;
    auto bytes = [](const DemoState& d) {
        const auto* p = reinterpret_cast<const unsigned char*>(&d);
        return std::vector<unsigned char>(p, p + sizeof d);
    };
    // The random sequence too.
    const std::vector<unsigned char> before = bytes(*fresh);
    for (int code = 0; code < 256; ++code) {
        if (describeSyncEvent(uint8_t(code))) continue;
        onSyncEvent(*fresh, hooks, uint8_t(code));
    }
    EXPECT_TRUE(before == bytes(*fresh));
    EXPECT_EQ(hooks.redraws, 0);
    EXPECT_EQ(describeSyncEvent(27), nullptr);
    EXPECT_EQ(describeSyncEvent(0), nullptr);
    EXPECT_EQ(describeSyncEvent(101), nullptr);
}

}  // namespace
