#include "main/computer_setup.h"

#include <chrono>

std::unique_ptr<ComputerSeats> computer_setup(const MainOptions& options) {
    BotSkill skill = configured_bot_skill();
    if (!options.skill.empty()) parse_bot_skill(options.skill, &skill);
    std::vector<Contestant> at_start(2, Contestant::Keys);
    for (int n : options.computer) at_start[static_cast<std::size_t>(n - 1)] = Contestant::Bot;
    // The bots' own chances differ from game to game; what they press is what a
    // recording keeps, so their seed need not be known again.
    const auto seed = static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    return std::make_unique<ComputerSeats>(at_start, std::vector<BotSkill>(), skill, seed);
}
