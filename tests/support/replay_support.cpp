#include "support/replay_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "game/game.h"
#include "base/random.h"
#include "input/scripted_input.h"
#include "level/level.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "replay/replay_recorder.h"
#include "replay/world_digest.h"
#include "support/test_support.h"

namespace testsupport {

void write_replay_level(const std::string& path) {
    auto level = make_level(
        640, 400,
        [](int x, int y) {
            const double ground = 220 + 35 * std::sin(x / 50.0) + 12 * std::cos(x / 17.0);
            const bool cave = (x - 400) * (x - 400) / 6 + (y - 310) * (y - 310) < 45 * 45;
            return y >= ground && !cave;
        },
        [](int, int y) { return y >= 385; });
    PACKFILE* pf = pack_fopen(path.c_str(), "wp");
    if (!pf) throw std::runtime_error("cannot write " + path);
    const bool saved = level->Save(pf);
    if (pack_fclose(pf) != 0 || !saved) throw std::runtime_error("cannot write " + path);
}

HandlerFactory scripted(const ActionScript& script) {
    return [script](int n) {
        return new ScriptedInput([n, script](std::size_t step) { return script(n, step); });
    };
}

std::uint64_t record_game(const std::string& level, const std::string& replay, unsigned seed,
                          std::uint64_t steps, const HandlerFactory& players,
                          const CommandScript& commands, ComputerPlayers* computers,
                          const MatchRules& rules, const std::string& level_name) {
    ScopedConfig config;
    seed_random(seed);
    Game game(640, 480);
    game.computers = computers;
    game.rules = rules;
    game.level_name = level_name;
    ReplayRecorder recorder;
    std::string why;
    if (!start_recorded_game(game, level, 2, Game::ConfiguredStepDt(), replay, &recorder, &why))
        throw std::runtime_error(why);
    for (Player& p : game.players) {
        delete game.inputs[p.number];
        game.inputs[p.number] = players(p.number);
    }
    play_headless(game, steps, &recorder, commands);
    if (!recorder.Finish(game)) throw std::runtime_error(recorder.error());
    return world_digest(game);
}

VerifyResult verify_recorded(const std::string& replay, const std::string& level, Game& game,
                             ReplayHeader* header) {
    ReplayReader reader;
    std::string why;
    EXPECT_TRUE(reader.Open(replay, &why)) << why;
    if (header) *header = reader.header();
    EXPECT_TRUE(start_replayed_game(game, reader.header(), level, &why)) << why;
    return play_replay(reader, game, true);
}

}  // namespace testsupport
