#include "bot/computer_seats.h"

#include <utility>

#include "bot/beginner_input.h"
#include "bot/bot_input.h"
#include "bot/random_input.h"
#include "input/scripted_input.h"

namespace {

// A player's own generator seed: different for every player and every game seed.
std::uint64_t seed_of(std::uint64_t game_seed, int number) {
    return (game_seed << 8) ^ (0xB07u * static_cast<unsigned>(number));
}

std::string computer_named(BotSkill skill) {
    return std::string("the computer (") + bot_skill_name(skill) + ")";
}

}  // namespace

bool parse_contestant(const std::string& text, Contestant* who) {
    if (text == "bot")
        *who = Contestant::Bot;
    else if (text == "idle")
        *who = Contestant::Idle;
    else if (text == "random")
        *who = Contestant::Random;
    else if (text == "beginner")
        *who = Contestant::Beginner;
    else
        return false;
    return true;
}

ComputerSeats::ComputerSeats(std::vector<Contestant> at_start, std::vector<BotSkill> skills,
                             BotSkill default_skill, std::uint64_t seed)
    : at_start_(std::move(at_start)),
      skills_(std::move(skills)),
      default_skill_(default_skill),
      seed_(seed) {}

Contestant ComputerSeats::at_start(int number) const {
    const std::size_t i = static_cast<std::size_t>(number - 1);
    return number >= 1 && i < at_start_.size() ? at_start_[i] : Contestant::Keys;
}

BotSkill ComputerSeats::SkillOf(int number) const {
    const std::size_t i = static_cast<std::size_t>(number - 1);
    return number >= 1 && i < skills_.size() ? skills_[i] : default_skill_;
}

std::unique_ptr<InputHandler> ComputerSeats::AtStart(int number, std::string* who) {
    switch (at_start(number)) {
    case Contestant::Bot:
        *who = computer_named(SkillOf(number));
        return std::make_unique<BotInput>(SkillOf(number), seed_of(seed_, number));
    case Contestant::Random:
        *who = "random keys";
        return std::make_unique<RandomInput>(seed_of(seed_, number) ^ 0x5EEDu);
    case Contestant::Beginner:
        *who = "a beginner";
        return std::make_unique<BeginnerInput>(seed_of(seed_, number) ^ 0xBE61u);
    case Contestant::Idle:
        *who = "nobody";
        return std::make_unique<ScriptedInput>(std::vector<int>());
    default:
        return nullptr;
    }
}

std::unique_ptr<InputHandler> ComputerSeats::HandOver(int number, const std::string& skill,
                                                      std::string* who) {
    BotSkill chosen = default_skill_;
    if (!skill.empty() && !parse_bot_skill(skill, &chosen)) {
        *who = "Unknown skill: " + skill + " (easy, normal or hard)";
        return nullptr;
    }
    *who = computer_named(chosen);
    ++handed_over_;
    return std::make_unique<BotInput>(chosen,
                                      seed_of(seed_, number) ^ (handed_over_ * 0x9E3779B97F4A7C15ull));
}
