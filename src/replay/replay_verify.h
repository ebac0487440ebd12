#ifndef VORLIN_REPLAY_REPLAY_VERIFY_H
#define VORLIN_REPLAY_REPLAY_VERIFY_H

#include <cstdint>
#include <string>

class Game;
class ReplayReader;

struct VerifyResult {
    bool same = true;          // every stored digest matched
    std::uint64_t steps = 0;   // steps played
    std::uint64_t digest = 0;  // of the world after them
    // When a digest differed: after how many steps, and the two values.
    std::uint64_t recorded = 0;
    std::uint64_t replayed = 0;
};

// Plays the replay on a game started with start_replayed_game, as fast as it goes, and
// compares every stored digest; with `compare` false it only plays. Stops at the first
// digest that differs.
VerifyResult play_replay(const ReplayReader& replay, Game& game, bool compare);

// "ok 3600 steps 0123456789abcdef", or where and how the worlds parted.
std::string verify_line(const VerifyResult& result);

#endif
