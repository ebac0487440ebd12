#include "replay/synctest.h"

#include <ostream>

#include "game/game.h"

SyncTest::SyncTest(Game& game, int depth)
    : game_(game), saver_(game), ring_(static_cast<std::size_t>(depth < 0 ? 0 : depth) + 1) {}

bool SyncTest::Step(const StepInput& input, double dt, std::string* why) {
    Past& now = At(steps_);
    saver_.Save(&now.before);
    now.input = input;
    game_.Step(input, dt);
    now.after = world_part_digests(game_);
    ++steps_;

    const unsigned long depth = ring_.size() - 1;
    if (depth == 0 || steps_ < depth) return true;
    const unsigned long first = steps_ - depth;
    saver_.Restore(At(first).before);
    for (unsigned long k = first; k < steps_; ++k)
        if (!PlayAgain(k, dt, why)) return false;
    // The oldest step the next rollback goes back to.
    saver_.Forget(At(first + 1 < steps_ ? first + 1 : first).before);
    return true;
}

bool SyncTest::PlayAgain(unsigned long step, double dt, std::string* why) {
    Past& past = At(step);
    // Saved again: the terrain journal's positions are those of the world played again.
    saver_.Save(&past.before);
    std::ostream nobody(nullptr);
    game_.WorldStep(past.input, dt, nobody);
    const auto again = world_part_digests(game_);
    for (std::size_t i = 0; i < kWorldParts; ++i) {
        if (again[i] == past.after[i]) continue;
        *why = "synctest: step " + std::to_string(step + 1) + " played again after a rollback of " +
               std::to_string(steps_ - step) + " steps differs in the " +
               world_part_name(static_cast<WorldPart>(i)) + " (first of the parts that differ)";
        return false;
    }
    return true;
}
