#include "bot/bot_skill.h"

#include "base/config.h"

bool parse_bot_skill(const std::string& text, BotSkill* skill) {
    if (text == "easy")
        *skill = BotSkill::Easy;
    else if (text == "normal")
        *skill = BotSkill::Normal;
    else if (text == "hard")
        *skill = BotSkill::Hard;
    else
        return false;
    return true;
}

const char* bot_skill_name(BotSkill skill) {
    switch (skill) {
    case BotSkill::Easy:
        return "easy";
    case BotSkill::Hard:
        return "hard";
    default:
        return "normal";
    }
}

SkillTraits traits_of(BotSkill skill) {
    switch (skill) {
    case BotSkill::Easy:
        // A beginner's opponent: late, wide of the mark, blind to motion and slow to fire;
        // BeginnerInput, a new player's crude play, wins about half its games.
        return {50, 0.25, 0.0, 50, 0.0};
    case BotSkill::Hard:
        return {4, 0.01, 1.0, 0, 1.0};
    default:
        return {12, 0.04, 0.7, 6, 1.0};
    }
}

BotSkill configured_bot_skill() {
    // In the order of the enumeration.
    static const char* const names[] = {"easy", "normal", "hard", nullptr};
    return static_cast<BotSkill>(config_choice("bot", "skill", names, 1));
}
