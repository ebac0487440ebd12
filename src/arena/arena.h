#ifndef VORLIN_ARENA_ARENA_H
#define VORLIN_ARENA_ARENA_H

#include <string>

#include "arena/match.h"

// vorlin-arena: games without a window, keyboard or timer, as fast as the machine allows:
// recorded games played again, and games between computer, idle and random players.

struct ArenaOptions {
    bool help = false;
    bool version = false;
    std::string replay;               // --replay FILE
    bool verify = false;              // --verify
    std::string level;                // --level NAME: a level file once resolved
    bool level_given = false;
    bool play = false;                // --players A,B: play a game of its own
    bool stats = false;               // --stats: how long each stood still, what bots cost
    MatchSetup match;                 // that game, its level and --record FILE included
};

// Reads the command line and checks its values and how the options combine. False with
// the reason.
bool parse_arena_options(int argc, const char* const* argv, ArenaOptions* options,
                         std::string* why);

extern const char* const kArenaUsage;

// The whole program: exit status 0 on success, 1 when the task failed (one line says
// why), 2 for a usage error.
int arena_main(int argc, const char* const* argv);

#endif
