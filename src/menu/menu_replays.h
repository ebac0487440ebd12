#ifndef VORLIN_MENU_MENU_REPLAYS_H
#define VORLIN_MENU_MENU_REPLAYS_H

#include <cstdint>
#include <string>
#include <vector>

// One recorded match of replays/, as the replays screen lists it.
struct ReplayListing {
    std::string path;
    std::string label;   // date and time
    std::string result;  // "P2 won", "draw", "no winner", "endless"; "?" when not played
    std::string about;   // rules, level, players, length, or why the file cannot be played
};

// The replays of `dir`, newest first. The result of each is found by playing it headless
// on `level` when it is at most `steps_played` steps long.
std::vector<ReplayListing> list_replays(const std::string& dir, const std::string& level,
                                        std::uint64_t steps_played);

// Plays the replay headless on `level`, comparing its digests when `verify`: the line
// vorlin-arena --replay FILE --verify prints (with how the match ended), or why it cannot
// be played; *result as in ReplayListing.
std::string play_replay_headless(const std::string& path, const std::string& level,
                                 bool verify, std::string* result);

#endif
