#ifndef VORLIN_REPLAY_SYNCTEST_H
#define VORLIN_REPLAY_SYNCTEST_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/step_input.h"
#include "replay/world_snapshot.h"

class Game;

// Plays a game while going back `depth` steps at every step and playing them again from
// the saved world with the same inputs, as a rollback of a network game would: every
// step played again must end in the world it ended in the first time, part for part.
class SyncTest {
public:
    SyncTest(Game& game, int depth);

    // One step of the game with `input`, then the rollback. False at the first world that
    // differs, with *why naming the step (1-based, as the replays count) and the first
    // differing part.
    bool Step(const StepInput& input, double dt, std::string* why);

private:
    struct Past {
        WorldSnapshot before;  // the world before the step
        StepInput input;
        std::array<std::uint64_t, kWorldParts> after{};  // the parts' digests after it
    };

    Game& game_;
    WorldSaver saver_;
    std::vector<Past> ring_;    // depth + 1 steps, step k at k % size
    unsigned long steps_ = 0;   // played so far

    Past& At(unsigned long step) { return ring_[step % ring_.size()]; }
    bool PlayAgain(unsigned long step, double dt, std::string* why);
};

#endif
