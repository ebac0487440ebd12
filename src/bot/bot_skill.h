#ifndef VORLIN_BOT_BOT_SKILL_H
#define VORLIN_BOT_BOT_SKILL_H

#include <string>

// How well a computer player plays.
enum class BotSkill { Easy, Normal, Hard };

// What a skill level changes: how late the bot sees what its enemy does, how far off
// it aims, and how much of the enemy's motion it leads.
struct SkillTraits {
    int reaction_steps;   // logic steps between a move of the enemy and the bot seeing it
    double aim_error;     // radians: each shot's aim is off by up to this much either way
    double lead;          // 0 aims where the enemy is seen, 1 leads its motion fully
    int hesitation;       // logic steps the bot waits, aimed, before a shot
    double least_worth;   // the least a shot must be worth, as the bot rates weapons at a
                          // distance, for a round to be spent on it (rounds are few, and
                          // only weapons picked up bring more); 0 fires at anything
};

// "easy", "normal" or "hard"; false (and *skill untouched) for anything else.
bool parse_bot_skill(const std::string& text, BotSkill* skill);
const char* bot_skill_name(BotSkill skill);
SkillTraits traits_of(BotSkill skill);
// "skill" of section "bot" in "vorlin.ini"; normal when missing or none of the three.
BotSkill configured_bot_skill();

#endif
