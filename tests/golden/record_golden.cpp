// Records the golden replays into DIR (tests/golden), on the level of the replay tests:
//
//   record_golden DIR
//   record_golden --level FILE   (only writes their level, for other builds to verify on)
//
// They pin the simulation down: the test suite verifies them step by step. Record them
// again (tools/rerecord-golden.sh) only when a change is meant to alter the game.
// Prints, for each, its steps, its size and what happened in it.

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "game/game.h"
#include "input/input_handler.h"
#include "particle/particle.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "support/busy_fighter.h"
#include "support/replay_support.h"
#include "support/test_support.h"

namespace {

// Digs in every direction while walking to and fro, jumps out of the holes, fires now
// and then: a game that is mostly craters and tunnels.
int digger(int player, std::size_t step) {
    const std::size_t phase = (step + 50 * player) % 300;
    int bits = ACT_DIG;
    if (phase < 60) bits |= ACT_DOWN;
    if (phase >= 120 && phase < 170) bits |= ACT_UP;
    if ((step / 80) % 2 == (player == 1 ? 0u : 1u)) bits |= ACT_RIGHT;
    else bits |= ACT_LEFT;
    if (step % 70 == 20) bits |= ACT_JUMP;
    if (step % 45 < 5) bits |= ACT_FIRE;
    return bits;
}

// Walks towards the other side, aims up and down, fires in bursts.
int shooter(int player, std::size_t step) {
    const std::size_t phase = (step + 37 * player) % 240;
    int bits = 0;
    if (phase < 60) bits |= player == 1 ? ACT_RIGHT : ACT_LEFT;
    if (phase >= 60 && phase < 90) bits |= ACT_UP;
    if (phase >= 150 && phase < 170) bits |= ACT_DOWN;
    if (step % 20 < 10) bits |= ACT_FIRE;
    if (step % 97 == 50) bits |= ACT_JUMP;
    return bits;
}

// Every world-changing command, some of them refused by the game itself.
std::vector<std::string> commands(std::uint64_t step) {
    static const std::map<std::uint64_t, std::vector<std::string>> lines = {
        {60, {"select 1"}},          {61, {"player health 20"}},
        {200, {"select 2", "player health 1"}},
        {400, {"select 3"}},         {401, {"player health 250"}},
        {700, {"select 1"}},         {701, {"player health -5"}},
        {900, {"player  health  x"}},
    };
    const auto found = lines.find(step);
    return found == lines.end() ? std::vector<std::string>() : found->second;
}

struct Golden {
    const char* file;
    unsigned seed;
    std::uint64_t steps;
    testsupport::HandlerFactory players;
    CommandScript commands;
};

// What the recorded game held: every kind of object seen, the kills.
void describe(const std::string& level, const std::string& path) {
    ReplayReader replay;
    std::string why;
    testsupport::ScopedConfig config;
    Game game(640, 480);
    if (!replay.Open(path, &why) || !start_replayed_game(game, replay.header(), level, &why)) {
        std::fprintf(stderr, "record_golden: %s: %s\n", path.c_str(), why.c_str());
        std::exit(1);
    }
    std::set<std::string> kinds;
    ReplayDecoder entries = replay.Entries();
    StepInput step;
    while (entries.NextStep(&step)) {
        game.Step(step, game.step_dt);
        for (const Particle* p : game.particles)
            if (p) kinds.insert(typeid(*p).name());
    }
    std::printf("%s: %llu steps, %llu bytes, kills", path.c_str(),
                static_cast<unsigned long long>(replay.steps()),
                static_cast<unsigned long long>(std::filesystem::file_size(path)));
    for (const Player& p : game.players) std::printf(" %d", p.kills);
    std::printf(", objects seen:");
    for (const std::string& k : kinds) std::printf(" %s", k.c_str());
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const bool level_only = argc == 3 && std::string(argv[1]) == "--level";
    if (argc != 2 && !level_only) {
        std::fprintf(stderr, "usage: record_golden DIR | --level FILE\n");
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 1;
    set_color_depth(32);
    if (level_only) {
        testsupport::write_replay_level(argv[2]);
        return 0;
    }
    testsupport::TempDir dir;
    const std::string level = dir.file("map.lvl");
    testsupport::write_replay_level(level);

    const std::vector<Golden> games = {
        {"every-weapon.rpl", 1207, 3 * 60 * 60,
         [](int) { return new testsupport::BusyFighter; }, nullptr},
        {"digging.rpl", 2, 60 * 60, testsupport::scripted(digger), nullptr},
        {"console.rpl", 3, 20 * 60, testsupport::scripted(shooter), commands},
    };
    for (const Golden& g : games) {
        const std::string path = std::string(argv[1]) + "/" + g.file;
        try {
            testsupport::record_game(level, path, g.seed, g.steps, g.players, g.commands);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "record_golden: %s\n", e.what());
            return 1;
        }
        describe(level, path);
    }
    return 0;
}
