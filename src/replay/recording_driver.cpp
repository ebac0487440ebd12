#include "replay/recording_driver.h"

#include <filesystem>

#include "game/game.h"
#include "replay/replay_game.h"

bool RecordingDriver::Open(const std::string& path, const std::string& level, int players,
                           const MatchRules& rules, std::string* why) {
    return Open(path, level, "", players, rules, why);
}

bool RecordingDriver::Open(const std::string& path, const std::string& level,
                           const std::string& level_name, int players, const MatchRules& rules,
                           std::string* why) {
    std::error_code ec;
    if (std::filesystem::equivalent(path, level, ec)) {
        *why = "Unable to record " + path + ": it is the level file";
        return false;
    }
    ReplayHeader header;
    step_dt_ = Game::ConfiguredStepDt();
    return replay_header_for(level, level_name, players, step_dt_, rules, &header, why) &&
           recorder_.Open(path, header, why);
}

void RecordingDriver::Begin(Game& game) {
    // The step length the header holds (Go read it from the same setting).
    game.step_dt = step_dt_;
    router_ = std::make_unique<ScopedCommandRouter>(game, CommandRouter::Mode::Hold);
    recorder_.Checkpoint(game);
}

bool RecordingDriver::Tick(Game& game) {
    StepInput input = game.GatherInput();
    input.commands = router_->router().TakeHeld();
    recorder_.Record(input);
    const bool go_on = game.Step(input, game.step_dt);
    recorder_.Checkpoint(game);
    ReportFailure(game);
    return go_on;
}

void RecordingDriver::End(Game& game) {
    recorder_.Finish(game);
    ReportFailure(game);
    router_.reset();
}

// The game goes on without its recording; the console says so once.
void RecordingDriver::ReportFailure(Game& game) {
    if (error().empty() || failure_reported_) return;
    failure_reported_ = true;
    game.console << "Recording stopped: " << error() << std::endl;
}
