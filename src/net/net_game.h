#ifndef VORLIN_NET_NET_GAME_H
#define VORLIN_NET_NET_GAME_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/command_router.h"
#include "game/step_input.h"
#include "particle/sound_events.h"
#include "replay/world_snapshot.h"

class Game;
class ReplayRecorder;

namespace net {

class Link;

// What rollback cost one side so far.
struct RollbackCount {
    std::uint64_t rollbacks = 0;    // times the world went back
    std::uint64_t steps_again = 0;  // steps played again, over all of them
    std::uint32_t deepest = 0;      // the most steps one rollback played again
    std::uint64_t slowed = 0;       // ticks left out to let the other side catch up
    std::uint64_t waited = 0;  // ticks without a step: the guesses went as far as they may
};

// Drives one machine's Game over a Link that finished its handshake. The game must have
// been loaded after seeding the world's generator with the agreed seed, with both
// players. The local player's input handler is asked through Game::GatherInput (the other
// player's handler is asked too and ignored); world-changing console lines are held for
// the local record, so that both worlds apply them at the same step.
//
// In lockstep a step runs once both records are known. With rollback the step runs at
// once on a guess of the other side's record; the world before each step not yet
// confirmed is kept, and a wrong guess takes the world back and plays the steps again
// before the frame is drawn. What a step makes heard or answers on the console, its
// record in the replay and its digest for the other side are handed on once, when the
// step is confirmed, as it finally ran.
class NetGame {
public:
    enum class Outcome { Waiting, Stepped, Ended };

    // With a recorder, every step's record goes to it before the step and the world's
    // digest after, as a recorded game's do; the recorder is not finished here.
    NetGame(Game& game, Link& link, ReplayRecorder* recorder = nullptr);
    ~NetGame();
    NetGame(const NetGame&) = delete;
    NetGame& operator=(const NetGame&) = delete;

    // What one due tick becomes: the local record when one is due, then the step when
    // its records are known or may be guessed (Stepped), or nothing yet (Waiting). Ended
    // when the link ended, or the step ended the game (then the other side is told).
    // game.sounds holds what the steps confirmed in this tick made heard. Without
    // `may_step` no new step runs, but what arrives is taken in (and, with rollback,
    // wrong guesses are played again): a game held at a step, as the tests hold theirs.
    Outcome Tick(std::int64_t now_ms, bool may_step = true);

    // Every step run is confirmed (always so in lockstep).
    bool Settled() const;
    // Takes the world back to its last confirmed step, where the replay ends; for the end
    // of the game.
    void Settle();
    const RollbackCount& rollback() const { return count_; }

private:
    // The world before one step not yet confirmed, and what the step made of it.
    struct Played {
        WorldSnapshot before;
        StepInput input;
        SoundEvents sounds;
        std::string replies;     // its console lines
        std::uint64_t digest = 0;  // of the world after it, when one is due there
    };

    Outcome TickInLockstep(std::int64_t now_ms, bool may_step);
    Outcome TickWithRollback(std::int64_t now_ms, bool may_step);
    void GiveLocalRecord();
    bool RunStep();
    void PlayAgainFromWrongGuess();
    bool RunGuessedStep();
    void Play(Played& step, std::uint32_t number);
    void HandOnConfirmed();
    bool SlowDownForTheOtherSide();
    bool DigestDueAfter(std::uint32_t number) const;
    Played& At(std::uint32_t step) { return ring_[step % ring_.size()]; }

    Game& game_;
    Link& link_;
    ReplayRecorder* recorder_;  // not owned; may be null
    ScopedCommandRouter router_;
    std::vector<std::string> typed_;  // world-changing lines not yet in a record
    // With rollback only.
    std::unique_ptr<WorldSaver> saver_;
    std::vector<Played> ring_;
    std::uint32_t handed_on_ = 0;  // confirmed steps whose results went out
    int ticks_since_slowed_ = 0;
    RollbackCount count_;
};

}  // namespace net

#endif
