#include "arena/arena.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/option_parser.h"
#include "game/game.h"
#include "base/assertion.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "replay/world_digest.h"

const char* const kArenaUsage =
    "Usage: vorlin-arena --replay FILE [--verify] [--level FILE]\n"
    "Runs Vorlin games without a window, as fast as the machine allows.\n"
    "\n"
    "  --replay FILE  play the game recorded in FILE from its recorded start and print\n"
    "                 \"STEPS steps DIGEST\" (the steps played and the final world's digest)\n"
    "  --verify       with --replay: compare the world with every digest FILE holds and\n"
    "                 print \"ok STEPS steps DIGEST\", or the first step whose digest differs\n"
    "                 (exit status 1)\n"
    "  --level FILE   the level file the game was played on (default data/map.lvl)\n"
    "  --help         show this text\n"
    "\n"
    "A replay that cannot be played prints the reason; exit status 1.\n";

namespace {

// The console of a game without a screen is sized as for the smallest window.
constexpr int kScreenW = 640;
constexpr int kScreenH = 480;

// A fatal check in the game (an unreadable level, say) ends the run with one line
// instead of an alert nobody can see.
[[noreturn]] void report_and_exit(const char* file, int line, const char* function,
                                  const char* expression) {
    std::printf("fatal: %s failed at %s:%d in %s\n", expression, file, line, function);
    std::fflush(stdout);
    std::_Exit(1);
}

int fail(const std::string& line) {
    std::printf("%s\n", line.c_str());
    return 1;
}

int play(const ArenaOptions& o) {
    ReplayReader replay;
    std::string why;
    if (!replay.Open(o.replay, &why)) return fail(o.replay + ": " + why);

    set_color_depth(replay.header().colour_depth);
    Game game(kScreenW, kScreenH);
    if (!start_replayed_game(game, replay.header(), o.level, &why))
        return fail(o.replay + ": " + why);
    const VerifyResult result = play_replay(replay, game, o.verify);
    if (!o.verify) {
        std::printf("%llu steps %s\n", static_cast<unsigned long long>(result.steps),
                    digest_text(result.digest).c_str());
        return 0;
    }
    std::printf("%s\n", verify_line(result).c_str());
    return result.same ? 0 : 1;
}

}  // namespace

bool parse_arena_options(int argc, const char* const* argv, ArenaOptions* o, std::string* why) {
    OptionParser parser;
    parser.Flag("help", &o->help);
    parser.Value("replay", &o->replay);
    parser.Flag("verify", &o->verify);
    parser.Value("level", &o->level);
    if (!parser.Parse(argc, argv, why)) return false;
    if (o->help) return true;
    if (o->replay.empty()) {
        *why = o->verify ? "--verify needs --replay" : "nothing to do";
        return false;
    }
    return true;
}

int arena_main(int argc, const char* const* argv) {
    ArenaOptions options;
    std::string why;
    if (!parse_arena_options(argc, argv, &options, &why)) {
        std::fprintf(stderr, "vorlin-arena: %s\n%s", why.c_str(), kArenaUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kArenaUsage, stdout);
        return 0;
    }
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0)
        return fail("cannot start the Allegro library");
    set_assertion_handler(report_and_exit);
    return play(options);
}
