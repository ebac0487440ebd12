#include <gtest/gtest.h>

#include <string>

#include "game/game.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "support/replay_support.h"
#include "support/test_support.h"

namespace {

// Whole recorded games (tests/golden, made by record_golden) played again step by step:
// a change to the simulation shows as the first step whose world differs. When the
// change is meant, record them again with tools/rerecord-golden.sh.
TEST(GoldenReplay, EveryRecordedGameReplaysToItsRecordedWorlds) {
    testsupport::TempDir dir;
    const std::string level = dir.file("map.lvl");
    testsupport::write_replay_level(level);
    for (const char* name : {"every-weapon.rpl", "digging.rpl", "console.rpl"}) {
        SCOPED_TRACE(name);
        ReplayReader replay;
        std::string why;
        ASSERT_TRUE(replay.Open(std::string(VORLIN_GOLDEN_DIR) + "/" + name, &why)) << why;
        EXPECT_TRUE(replay.complete());
        testsupport::ScopedConfig config;
        Game game(640, 480);
        ASSERT_TRUE(start_replayed_game(game, replay.header(), level, &why)) << why;
        const VerifyResult result = play_replay(replay, game, true);
        EXPECT_TRUE(result.same) << verify_line(result);
        EXPECT_EQ(replay.steps(), result.steps);
    }
}

}  // namespace
