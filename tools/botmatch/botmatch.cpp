// botmatch [--players A,B] [--skill S|S1,S2] [--seconds S] [--seeds N] [--first-seed N]
//          [--level FILE]
//
// Plays N headless games (seeds first-seed .. first-seed + N - 1) between two contestants
// (bot, idle or random) and prints one line per game and a summary: kills, deaths and
// the longest time each player stood still, and the cost of the computer players'
// decisions. The measuring tool behind the computer player's figures in BENCHMARKS.md.

#include <allegro.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bot/match.h"

namespace {

const char* const USAGE =
    "usage: botmatch [--players A,B] [--skill S|S1,S2] [--seconds S] [--seeds N]\n"
    "                [--first-seed N] [--level FILE]\n"
    "  A, B: bot, idle or random (default bot,bot); S: easy, normal or hard\n"
    "  (default normal); S: game seconds (default 300); N: games (default 10);\n"
    "  FILE: level file (default data/map.lvl)\n";

int usage_error() {
    std::fputs(USAGE, stderr);
    return 2;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma - from));
        if (comma == std::string::npos) return parts;
        from = comma + 1;
    }
}

bool parse_number(const char* text, double lo, double hi, double* out) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (!*text || *end || !(v >= lo && v <= hi)) return false;
    *out = v;
    return true;
}

struct Options {
    MatchSetup setup;
    int seeds = 10;
    unsigned first_seed = 1;
};

// 0: parsed; otherwise the exit status.
int parse(int argc, char** argv, Options* o) {
    std::string players = "bot,bot", skills = "normal";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(USAGE, stdout);
            return -1;
        }
        if (i + 1 >= argc) return usage_error();
        const char* value = argv[++i];
        double v = 0;
        if (arg == "--players") players = value;
        else if (arg == "--skill") skills = value;
        else if (arg == "--level") o->setup.level_file = value;
        else if (arg == "--seconds" && parse_number(value, 0.0, 1e6, &v)) o->setup.seconds = v;
        else if (arg == "--seeds" && parse_number(value, 1, 1e6, &v)) o->seeds = static_cast<int>(v);
        else if (arg == "--first-seed" && parse_number(value, 0, 4e9, &v)) o->first_seed = static_cast<unsigned>(v);
        else return usage_error();
    }
    o->setup.players.clear();
    for (const std::string& p : split(players)) {
        Contestant c;
        if (!parse_contestant(p, &c)) return usage_error();
        o->setup.players.push_back(c);
    }
    const std::vector<std::string> names = split(skills);
    if (names.size() != 1 && names.size() != o->setup.players.size()) return usage_error();
    for (std::size_t i = 0; i < o->setup.players.size(); ++i) {
        BotSkill s;
        if (!parse_bot_skill(names[names.size() == 1 ? 0 : i], &s)) return usage_error();
        o->setup.skills.push_back(s);
    }
    if (o->setup.players.size() < 2) return usage_error();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    const int parsed = parse(argc, argv, &o);
    if (parsed == -1) return 0;
    if (parsed != 0) return parsed;
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "botmatch: cannot start Allegro\n");
        return 1;
    }
    set_color_depth(32);

    const std::size_t n = o.setup.players.size();
    std::vector<int> kills(n), deaths(n), wins(n);
    double longest_still = 0, bot_seconds = 0, wall = 0;
    unsigned long decisions = 0;
    for (int g = 0; g < o.seeds; ++g) {
        o.setup.seed = o.first_seed + static_cast<unsigned>(g);
        const auto start = std::chrono::steady_clock::now();
        const MatchResult r = play_match(o.setup);
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!r.ok) {
            std::fprintf(stderr, "botmatch: %s\n", r.error.c_str());
            return 1;
        }
        wall += secs;
        bot_seconds += r.bot_seconds;
        decisions += r.bot_decisions;
        std::printf("seed %u:", o.setup.seed);
        int top = -1, top_kills = -1;
        bool tie = false;
        for (std::size_t i = 0; i < n; ++i) {
            const PlayerScore& p = r.players[i];
            std::printf("  player %zu kills %d deaths %d still %.1fs", i + 1, p.kills, p.deaths, p.longest_still);
            kills[i] += p.kills;
            deaths[i] += p.deaths;
            if (p.longest_still > longest_still) longest_still = p.longest_still;
            if (p.kills > top_kills) top = static_cast<int>(i), top_kills = p.kills, tie = false;
            else if (p.kills == top_kills) tie = true;
        }
        if (!tie) ++wins[static_cast<std::size_t>(top)];
        std::printf("  (%.2f s)\n", secs);
    }
    std::printf("total:");
    for (std::size_t i = 0; i < n; ++i)
        std::printf("  player %zu kills %d deaths %d more kills in %d games", i + 1, kills[i], deaths[i], wins[i]);
    std::printf("\nlongest still %.1f s; wall time per game %.2f s; bot decision %.3f ms per step\n",
                longest_still, wall / o.seeds, decisions ? bot_seconds * 1000.0 / decisions : 0.0);
    return 0;
}
