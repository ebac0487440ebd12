#include <gtest/gtest.h>

#include <iterator>

#include "game/game.h"
#include "sound/sound_settings.h"
#include "sound/sound_stage.h"
#include "support/test_support.h"

namespace {

bool open_air(int, int) { return false; }

// Two players in a 2000 x 800 level of open air, seen in views of 320 x 480 on a 640-wide
// screen: player 1 at (400, 400), in the middle of the left view; player 2 at (1400, 400).
class StageTest : public ::testing::Test {
protected:
    StageTest() {
        auto built = testsupport::make_level(2000, 800, open_air);
        testsupport::adopt_level(game.level, *built);
        for (int n : {1, 2}) {
            game.players.emplace_back(&game, &game.level, n);
            game.players.back().SetPosition(n == 1 ? 400.0f : 1400.0f, 400.0f);
        }
    }

    Voice At(float x, float y, int count = 1, int master = 100) const {
        return SoundStage(game, 640, 480).Place(SoundEvent{SK_Hit, x, y, count}, master);
    }

    Game game{640, 480};
};

}  // namespace

TEST_F(StageTest, VolumeFallsWithTheDistanceToTheNearerPlayer) {
    EXPECT_EQ(At(400, 400).volume, 100);
    EXPECT_EQ(At(1400 - SoundStage::NearDistance, 400).volume, 100);
    int previous = 100;
    for (float d : {200.0f, 400.0f, 600.0f, 800.0f}) {
        const int volume = At(1400 + d, 400).volume;
        EXPECT_LT(volume, previous) << d;
        EXPECT_GT(volume, 0) << d;
        previous = volume;
    }
    EXPECT_EQ(At(400, 400 + SoundStage::FarDistance).volume, 0);
}

TEST_F(StageTest, PanFollowsWhereTheSoundShowsOnTheScreen) {
    struct Case {
        float x, y;
        int lo, hi;
        const char* where;
    } cases[] = {
        {400, 400, 60, 68, "player 1, centre of the left view (column 160)"},
        {1400, 400, 188, 196, "player 2, centre of the right view (column 481)"},
        {250, 400, 2, 5, "left of player 1, in sight (column 10)"},
        {100, 400, 0, 0, "far left of player 1, out of sight: the view's left edge"},
        {800, 400, 125, 127, "nearer player 1, beyond the right of his view: its right edge"},
        {1300, 100, 152, 160, "out of sight above player 2, nearer him: column 381"},
    };
    for (const Case& c : cases) {
        const int pan = At(c.x, c.y).pan;
        EXPECT_GE(pan, c.lo) << c.where;
        EXPECT_LE(pan, c.hi) << c.where;
    }
    // One player has the whole screen to himself.
    game.players.pop_back();
    EXPECT_GT(At(600, 400).pan, 200);
}

TEST_F(StageTest, ABurstPlaysLouderUpToTwiceAndMasterVolumeScalesEverything) {
    EXPECT_GT(At(400, 400, 2).volume, At(400, 400, 1).volume);
    EXPECT_GT(At(400, 400, 12).volume, At(400, 400, 2).volume);
    EXPECT_EQ(At(400, 400, 1000).volume, 200);
    EXPECT_EQ(At(400, 400, 12, 255).volume, 255);
    EXPECT_EQ(At(400, 400, 12, 0).volume, 0);
}

TEST(SoundSettings, BadValuesTakeTheDefaults) {
    struct Case {
        const char* ini;
        bool enabled;
        int volume;
    } cases[] = {
        {"", true, SoundSettings::DefaultVolume},
        {"[sound]\nvolume = 0\nenabled = no\n", false, 0},
        {"[sound]\nvolume = 255\nenabled =  Off \n", false, 255},
        {"[sound]\nvolume = 256\nenabled = 1\n", true, SoundSettings::DefaultVolume},
        {"[sound]\nvolume = -1\nenabled = maybe\n", true, SoundSettings::DefaultVolume},
        {"[sound]\nvolume = 12abc\nenabled = 0\n", false, SoundSettings::DefaultVolume},
    };
    for (const Case& c : cases) {
        testsupport::ScopedConfig config(c.ini);
        const SoundSettings s = read_sound_settings();
        EXPECT_EQ(s.enabled, c.enabled) << c.ini;
        EXPECT_EQ(s.volume, c.volume) << c.ini;
    }
}
