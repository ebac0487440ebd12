#ifndef VORLIN_ARENA_ARENA_H
#define VORLIN_ARENA_ARENA_H

#include <string>

// vorlin-arena: games without a window, keyboard or timer, as fast as the machine allows.
// Today it plays replays; computer opponents will add games of their own.

struct ArenaOptions {
    bool help = false;
    std::string replay;               // --replay FILE
    bool verify = false;              // --verify
    std::string level = "data/map.lvl";  // --level FILE
};

// Reads the command line and checks how the options combine. False with the reason.
bool parse_arena_options(int argc, const char* const* argv, ArenaOptions* options,
                         std::string* why);

extern const char* const kArenaUsage;

// The whole program: exit status 0 on success, 1 when the task failed (one line says
// why), 2 for a usage error.
int arena_main(int argc, const char* const* argv);

#endif
