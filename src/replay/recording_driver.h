#ifndef VORLIN_REPLAY_RECORDING_DRIVER_H
#define VORLIN_REPLAY_RECORDING_DRIVER_H

#include <memory>
#include <string>

#include "game/command_router.h"
#include "game/step_driver.h"
#include "replay/replay_recorder.h"

// vorlin --record FILE: the game plays as usual and every step's record goes to FILE as
// the step receives it. Console lines that change the world wait for the next step's
// record, so that watching the replay applies them at the same step.
class RecordingDriver final : public StepDriver {
public:
    // Before Game::Go: the header holds the random state of this moment and the rules the
    // game will be played by. False with the reason when FILE cannot be written.
    bool Open(const std::string& path, const std::string& level, int players,
              const MatchRules& rules, std::string* why);
    // The same for a level of the levels folder, which the replay names.
    bool Open(const std::string& path, const std::string& level, const std::string& level_name,
              int players, const MatchRules& rules, std::string* why);

    void Begin(Game& game) override;
    bool Tick(Game& game) override;
    void End(Game& game) override;

    // Empty while everything reached the file.
    const std::string& error() const { return recorder_.error(); }

private:
    void ReportFailure(Game& game);

    ReplayRecorder recorder_;
    double step_dt_ = 0.0;
    std::unique_ptr<ScopedCommandRouter> router_;
    bool failure_reported_ = false;
};

#endif
