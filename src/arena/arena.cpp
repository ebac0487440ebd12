#include "arena/arena.h"

#include <allegro.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/option_parser.h"
#include "game/game.h"
#include "game/match_report.h"
#include "game/version.h"
#include "base/assertion.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "replay/world_digest.h"
#include "level/level_choice.h"

const char* const kArenaUsage =
    "Usage: vorlin-arena --replay FILE [--verify] [--level NAME]\n"
    "       vorlin-arena --players A,B [--seconds S] [--seed N] [--skill S|S1,S2]\n"
    "                    [--kills N] [--minutes M] [--lives L] [--rope]\n"
    "                    [--level NAME] [--record FILE] [--stats] [--synctest N]\n"
    "Runs Vorlin games without a window, as fast as the machine allows.\n"
    "\n"
    "  --replay FILE   play the game recorded in FILE from its recorded start and print\n"
    "                  \"STEPS steps DIGEST\" (the steps played and the final world's digest)\n"
    "  --verify        with --replay: compare the world with every digest FILE holds and\n"
    "                  print \"ok STEPS steps DIGEST\", or the first step whose digest differs\n"
    "                  (exit status 1)\n"
    "  --players A,B   play a game between player 1 (A) and player 2 (B), each of them bot\n"
    "                  (the computer player), idle (no input), random (random keys) or\n"
    "                  beginner (a new player's crude play), and print\n"
    "                  \"player N kills K deaths D\" for each player\n"
    "  --seconds S     with --players: game seconds to play (default 300; for a match\n"
    "                  until it ends, at most 1800)\n"
    "  --seed N        with --players: the game's random seed (default 1)\n"
    "  --skill S       with --players: the bots' skill, easy, normal or hard (default\n"
    "                  normal); S1,S2 gives each player its own\n"
    "  --kills N, --minutes M, --lives L\n"
    "                  with --players: play a match, as vorlin does, and print\n"
    "                  \"winner player N at step S\", \"draw at step S\" or \"no winner after\n"
    "                  step S\" after the players' lines; kills then count kills of the other\n"
    "  --rope          with --players: every player carries a grappling rope, as with\n"
    "                  vorlin --rope (the players here leave it alone)\n"
    "  --record FILE   with --players: record the game into the replay FILE\n"
    "  --stats         with --players: add to each player's line the longest time it stood\n"
    "                  still and the longest it went without coming closer to the other\n"
    "                  player (beyond 80 pixels; \"far\"), and a match's figures, and print\n"
    "                  what the bots' decisions cost\n"
    "  --synctest N    with --players: at every step go back N steps (1 to 60) and play\n"
    "                  them again from the saved world, comparing every part of it; the\n"
    "                  first difference names the step and the part (exit status 1)\n"
    "  --level NAME    the level: a level of the levels/ folder, a level folder or file by\n"
    "                  its path (default data/map.lvl; a replay's own level)\n"
    "  --version       show the version\n"
    "  --help          show this text\n"
    "\n"
    "A game that cannot be played prints the reason; exit status 1.\n";

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

// The level file of --level (choose_level), built from its bitmaps when missing.
bool arena_level(const std::string& what, std::string* file, std::string* why,
                 std::string* name = nullptr) {
    LevelChoice choice;
    std::string notice;
    if (!choose_level(what, kLevelsFolder, 0, &choice, why) ||
        !prepare_level(&choice, &notice, why))
        return false;
    *file = choice.file;
    if (name) *name = choice.name;
    return true;
}

int play(const ArenaOptions& o) {
    ReplayReader replay;
    std::string why;
    if (!replay.Open(o.replay, &why)) return fail(o.replay + ": " + why);

    // Before any level is built from its bitmaps: a level file holds its pictures at the
    // depth it was built at, and a game at another depth finds no terrain in it.
    set_color_depth(replay.header().colour_depth);
    // Without --level the replay's own level: the default one, or the one it names.
    const std::string& named = replay.header().level_name;
    std::string level = o.level;
    if (o.level_given && !arena_level(o.level, &level, &why))
        return fail("no level " + o.level + ": " + why);
    if (!o.level_given && !named.empty() && !arena_level(named, &level, &why))
        return fail(o.replay + ": it was played on the level " + named + ": " + why);
    Game game(kScreenW, kScreenH);
    if (!start_replayed_game(game, replay.header(), level, &why))
        return fail(o.replay + ": " + why);
    const VerifyResult result = play_replay(replay, game, o.verify);
    if (!o.verify)
        std::printf("%llu steps %s\n", static_cast<unsigned long long>(result.steps),
                    digest_text(result.digest).c_str());
    else
        std::printf("%s\n", verify_line(result).c_str());
    // A recorded match tells how it ended, as it did when it was played.
    if (!game.rules.endless()) std::printf("%s\n", outcome_line(game).c_str());
    return !o.verify || result.same ? 0 : 1;
}

std::vector<std::string> split_at_commas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma - from));
        if (comma == std::string::npos) return parts;
        from = comma + 1;
    }
}

// The whole text as a number within [lo, hi].
bool parse_number(const std::string& text, double lo, double hi, double* out) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !(v >= lo && v <= hi)) return false;
    *out = v;
    return true;
}

bool parse_players(const std::string& text, MatchSetup* m, std::string* why) {
    m->players.clear();
    for (const std::string& name : split_at_commas(text)) {
        Contestant who;
        if (!parse_contestant(name, &who)) {
            *why = "no such player: " + name + " (bot, idle or random)";
            return false;
        }
        m->players.push_back(who);
    }
    if (m->players.size() != 2) {
        *why = "--players needs two players, A,B";
        return false;
    }
    return true;
}

// One skill for both players or one each.
bool parse_skills(const std::string& text, MatchSetup* m, std::string* why) {
    const std::vector<std::string> names = split_at_commas(text.empty() ? "normal" : text);
    if (names.size() != 1 && names.size() != m->players.size()) {
        *why = "--skill needs one skill or one for each player";
        return false;
    }
    m->skills.clear();
    for (std::size_t i = 0; i < m->players.size(); ++i) {
        BotSkill skill;
        if (!parse_bot_skill(names[names.size() == 1 ? 0 : i], &skill)) {
            *why = "no such skill: " + text + " (easy, normal or hard)";
            return false;
        }
        m->skills.push_back(skill);
    }
    return true;
}

// A match without --seconds plays until it ends, with this cap of game time.
constexpr double kLongestMatch = 1800.0;

bool parse_match(const std::string& players, const std::string& seconds,
                 const std::string& seed, const std::string& skill, const MatchOptions& limits,
                 MatchSetup* m, std::string* why) {
    if (!parse_players(players, m, why) || !parse_skills(skill, m, why) ||
        !limits.Read(&m->rules, why))
        return false;
    if (!m->rules.endless() && seconds.empty()) m->seconds = kLongestMatch;
    double v = 0;
    if (!seconds.empty()) {
        if (!parse_number(seconds, 1e-3, 1e6, &v)) {
            *why = "--seconds needs a number of seconds, up to 1000000";
            return false;
        }
        m->seconds = v;
    }
    if (!seed.empty()) {
        if (!parse_number(seed, 0, 4294967295.0, &v) || v != std::floor(v)) {
            *why = "--seed needs a whole number from 0 to 4294967295";
            return false;
        }
        m->seed = static_cast<unsigned>(v);
    }
    return true;
}

bool parse_synctest(const std::string& text, MatchSetup* m, std::string* why) {
    if (text.empty()) return true;
    double v = 0;
    if (!parse_number(text, 1, 60, &v) || v != std::floor(v)) {
        *why = "--synctest needs a whole number of steps from 1 to 60";
        return false;
    }
    m->synctest = static_cast<int>(v);
    return true;
}

int play_game(ArenaOptions o) {
    // Before the level is built from its bitmaps, as for a replay.
    set_color_depth(32);
    std::string why;
    if (o.level_given && !arena_level(o.level, &o.match.level_file, &why, &o.match.level_name))
        return fail("no level " + o.level + ": " + why);
    const MatchResult r = play_match(o.match);
    if (!r.ok) return fail(r.error);
    for (std::size_t i = 0; i < r.players.size(); ++i) {
        const PlayerScore& p = r.players[i];
        std::printf("player %zu kills %d deaths %d", i + 1, p.kills, p.deaths);
        if (o.stats) std::printf(" still %.1f far %.1f", p.longest_still, p.longest_no_closer);
        if (o.stats && !p.figures.empty()) std::printf(" %s", p.figures.c_str());
        std::printf("\n");
    }
    if (!r.outcome.empty()) std::printf("%s\n", r.outcome.c_str());
    if (o.stats)
        std::printf("steps %lu bot decisions %lu at %.4f ms\n", r.steps, r.bot_decisions,
                    r.bot_decisions ? r.bot_seconds * 1e3 / static_cast<double>(r.bot_decisions)
                                    : 0.0);
    return 0;
}

}  // namespace

bool parse_arena_options(int argc, const char* const* argv, ArenaOptions* o, std::string* why) {
    std::string players, seconds, seed, skill, synctest;
    OptionParser parser;
    parser.Flag("help", &o->help);
    parser.Flag("version", &o->version);
    parser.Value("replay", &o->replay);
    parser.Flag("verify", &o->verify);
    parser.Value("level", &o->level);
    parser.Value("players", &players);
    parser.Value("seconds", &seconds);
    parser.Value("seed", &seed);
    parser.Value("skill", &skill);
    parser.Value("record", &o->match.record);
    parser.Flag("stats", &o->stats);
    parser.Value("synctest", &synctest);
    MatchOptions limits;
    limits.Declare(parser);
    if (!parser.Parse(argc, argv, why)) return false;
    o->level_given = !o->level.empty();
    if (!o->level_given) o->level = kDefaultLevelFile;
    const bool rules = limits.given();
    if (o->help || o->version) return true;
    o->play = !players.empty();
    o->match.level_file = o->level;
    if (!o->play && (!seconds.empty() || !seed.empty() || !skill.empty() ||
                     !o->match.record.empty() || o->stats || rules || !synctest.empty())) {
        *why = "--seconds, --seed, --skill, --kills, --minutes, --lives, --rope, --record, "
               "--stats and --synctest go with --players";
        return false;
    }
    if (o->play) {
        if (!o->replay.empty() || o->verify) {
            *why = "--players and --replay exclude each other";
            return false;
        }
        return parse_match(players, seconds, seed, skill, limits, &o->match, why) &&
               parse_synctest(synctest, &o->match, why);
    }
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
    if (options.version) {
        std::printf("vorlin-arena %s\n", kGameVersion);
        return 0;
    }
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0)
        return fail("cannot start the Allegro library");
    set_assertion_handler(report_and_exit);
    return options.play ? play_game(options) : play(options);
}
