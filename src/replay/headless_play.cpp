#include "replay/headless_play.h"

#include "game/game.h"
#include "replay/replay_recorder.h"

void play_headless(Game& game, std::uint64_t steps, ReplayRecorder* recorder,
                   const CommandScript& commands) {
    for (std::uint64_t i = 0; i < steps; ++i) {
        StepInput input = game.GatherInput();
        if (commands) input.commands = commands(i);
        if (recorder) recorder->Record(input);
        game.Step(input, game.step_dt);
        if (recorder) recorder->Checkpoint(game);
    }
}
