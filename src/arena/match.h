#ifndef VORLIN_ARENA_MATCH_H
#define VORLIN_ARENA_MATCH_H

#include <string>
#include <vector>

#include "bot/bot_skill.h"
#include "bot/computer_seats.h"
#include "game/match_rules.h"

struct MatchSetup {
    std::string level_file = "data/map.lvl";
    std::string level_name;  // of a level of the levels folder, which a recording names
    // Who plays each player, player 1 first: bots, idle or random players.
    std::vector<Contestant> players{Contestant::Bot, Contestant::Bot};
    // One per player (the bots read theirs); missing entries are normal.
    std::vector<BotSkill> skills;
    double seconds = 300.0;  // game time; a match that ends sooner ends the game
    MatchRules rules;        // endless unless asked otherwise
    unsigned seed = 1;       // the world's generator; the players' own seeds derive from it
    // The step of the default speed: single-precision 1/60 s, as the game computes it.
    double step_dt = 1.0f / 60.0f;
    std::string record;  // a replay file to record the game into; empty for none
    // Steps gone back and played again at every step (SyncTest); 0 for none.
    int synctest = 0;
};

struct PlayerScore {
    int kills = 0;
    int deaths = 0;
    // Longest time, in game seconds, this player stood alive without a change of
    // place, aim or weapon.
    double longest_still = 0.0;
    // Longest time, in game seconds, this player went without coming closer to its
    // living opponent than it had been since either of them last came to life, while
    // further from it than a fight's distance.
    double longest_no_closer = 0.0;
    std::string figures;  // a match's further figures, "suicides 0 shots 31 ..."
};

struct MatchResult {
    bool ok = false;
    std::string error;  // why the game could not be played or recorded
    std::vector<PlayerScore> players;
    unsigned long steps = 0;
    std::string outcome;  // of a match: "winner player 2 at step 1234", ...
    // Wall time spent inside the computer players' decisions, and how many they made.
    double bot_seconds = 0.0;
    unsigned long bot_decisions = 0;
};

// Plays one game headless, as fast as the machine allows, on a level file. Needs
// Allegro installed (a platform driver is not needed). The world's generator is seeded
// from the setup, so the same setup plays the same game; recorded, it replays as any
// recorded game does.
MatchResult play_match(const MatchSetup& setup);

#endif
