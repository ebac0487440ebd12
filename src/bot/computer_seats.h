#ifndef VORLIN_BOT_COMPUTER_SEATS_H
#define VORLIN_BOT_COMPUTER_SEATS_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bot/bot_skill.h"
#include "game/computer_players.h"

// Who plays one player.
enum class Contestant {
    Keys,    // its own keys (and pad): a person
    Bot,     // the computer player
    Idle,    // no input at all
    Random,  // random keys, changed a few times a second
    Beginner,  // a new player's crude play (BeginnerInput)
};

// "bot", "idle", "random" or "beginner"; false (and *who untouched) for anything else.
bool parse_contestant(const std::string& text, Contestant* who);

// The computer players of one game: who plays each player from the start, at which
// skill, and the bots the console hands players to. Every handler it makes draws from
// its own generator, seeded from `seed`, the player and how many were handed over before.
class ComputerSeats final : public ComputerPlayers {
public:
    // at_start[i] and skills[i] are player i + 1's; players beyond at_start keep their
    // keys, bots beyond skills play at `default_skill`, as do the console's hand-overs
    // that name no skill.
    ComputerSeats(std::vector<Contestant> at_start, std::vector<BotSkill> skills,
                  BotSkill default_skill, std::uint64_t seed);

    std::unique_ptr<InputHandler> AtStart(int number, std::string* who) override;
    std::unique_ptr<InputHandler> HandOver(int number, const std::string& skill,
                                           std::string* who) override;

    Contestant at_start(int number) const;

private:
    BotSkill SkillOf(int number) const;

    std::vector<Contestant> at_start_;
    std::vector<BotSkill> skills_;
    BotSkill default_skill_;
    std::uint64_t seed_;
    std::uint64_t handed_over_ = 0;
};

#endif
