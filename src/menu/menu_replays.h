#ifndef VORLIN_MENU_MENU_REPLAYS_H
#define VORLIN_MENU_MENU_REPLAYS_H

#include <string>
#include <vector>

// One recorded match of replays/, as the replays screen lists it.
struct ReplayListing {
    std::string path;
    std::string label;  // date and time, rules
    std::string about;  // level, players, or why the file cannot be played
    bool playable = false;
};

// The replays of `dir`, newest first.
std::vector<ReplayListing> list_replays(const std::string& dir, const std::string& level);

// Plays the replay headless against `level` and says how it ended and whether every
// digest matched, as vorlin-arena --replay FILE --verify does: one line.
std::string check_replay(const std::string& path, const std::string& level, bool* same);

#endif
