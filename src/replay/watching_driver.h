#ifndef VORLIN_REPLAY_WATCHING_DRIVER_H
#define VORLIN_REPLAY_WATCHING_DRIVER_H

#include <memory>

#include "game/command_router.h"
#include "game/step_driver.h"
#include "replay/replay_decoder.h"

class ReplayReader;

// vorlin --replay FILE: the recorded game at the recorded pace, one step a tick. P or
// Space pauses and resumes, F switches fast-forward (four steps a tick), Escape ends.
// The players' keys do nothing and console lines that would change the world are
// refused. When the replay ends the last frame stays until a key is pressed.
class WatchingDriver final : public StepDriver {
public:
    static constexpr int kFastForward = 4;

    // `replay` must stay alive while the game runs; prepare_replayed_start before Go.
    explicit WatchingDriver(const ReplayReader& replay);

    void Begin(Game& game) override;
    bool Tick(Game& game) override;
    void End(Game& game) override;

private:
    // A key that went down since the last tick.
    bool Pressed(int scancode);
    void Controls(const Game& game);
    // False when the replay has no step left.
    bool Advance(Game& game, bool* go_on);

    const ReplayReader& replay_;
    std::unique_ptr<ReplayDecoder> entries_;
    std::unique_ptr<ScopedCommandRouter> router_;
    bool paused_ = false;
    bool fast_ = false;
    bool ended_ = false;
    unsigned char held_[128] = {};
};

#endif
