#ifndef VORLIN_MAIN_OPTIONS_H
#define VORLIN_MAIN_OPTIONS_H

#include <string>
#include <vector>

#include "game/match_rules.h"

namespace net {
struct NetStart;
}

// The game's command line. Without arguments the game is played as always.
struct MainOptions {
    bool help = false;
    bool version = false;
    bool menu = false;   // --menu: the front end, alone

    std::string record;  // --record FILE: play and write the replay FILE
    std::string replay;  // --replay FILE: watch the replay FILE
    // A network game (net/net_driver.h): --host [PORT] waits for the other player,
    // --join HOST[:PORT] connects to one.
    bool host = false;
    std::string host_port;  // empty: the default port
    std::string join;
    // --lockstep, --delay N: how the host's game is played over the network, instead of
    // [network] of "vorlin.ini".
    bool lockstep = false;
    std::string delay;  // empty: the one of "vorlin.ini"
    // --bot [N], --bots: the players the computer plays from the start.
    std::vector<int> computer;
    std::string skill;  // --skill: easy, normal or hard; empty for the one of "vorlin.ini"
    // --kills N, --minutes M, --lives L, --rope: the match, instead of [match] of
    // "vorlin.ini".
    MatchRules rules;
    bool rules_given = false;
    // --level NAME: a level of levels/ (or a folder or level file by its path, or
    // "random"); empty for the default level.
    std::string level;
    // --echo-console: every line of the console also on standard error.
    bool echo_console = false;
};

extern const char* const kMainUsage;

// False with the reason for an unknown option, a missing or bad value or options that
// exclude each other.
bool parse_main_options(int argc, const char* const* argv, MainOptions* options,
                        std::string* why);

// The network game the options ask for; false when they ask for none.
bool network_start(const MainOptions& options, net::NetStart* start);

#endif
