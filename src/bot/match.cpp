#include "bot/match.h"

#include <allegro.h>

#include <chrono>
#include <cmath>
#include <iterator>
#include <memory>

#include "bot/bot_input.h"
#include "bot/random_input.h"
#include "game/game.h"
#include "base/random.h"
#include "input/scripted_input.h"
#include "player/player.h"

namespace {

// Counts the wall time of another handler's decisions.
class TimedInput final : public InputHandler {
public:
    TimedInput(InputHandler* inner, MatchResult* result) : inner_(inner), result_(result) {}
    int Handle(Player& player, Game& game, WeaponSlot& next_weapon) override {
        const auto start = std::chrono::steady_clock::now();
        const int bits = inner_->Handle(player, game, next_weapon);
        result_->bot_seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++result_->bot_decisions;
        return bits;
    }

private:
    std::unique_ptr<InputHandler> inner_;
    MatchResult* result_;
};

// What a watcher of one player sees change: place, aim and weapon in hand.
struct Pose {
    int x, y;
    float aim;
    long weapon;
    bool operator==(const Pose& o) const {
        return x == o.x && y == o.y && aim == o.aim && weapon == o.weapon;
    }
};

Pose pose_of(Player& p) {
    return {static_cast<int>(p.x), static_cast<int>(p.y), p.aim,
            static_cast<long>(std::distance(p.weapons.begin(), p.current_weapon))};
}

// A player's own generator seed: different for every player and every world seed.
std::uint64_t seed_of(unsigned world_seed, int number) {
    return (static_cast<std::uint64_t>(world_seed) << 8) ^ (0xB07u * static_cast<unsigned>(number));
}

InputHandler* handler_for(const MatchSetup& setup, int number, MatchResult* result) {
    const std::size_t i = static_cast<std::size_t>(number - 1);
    switch (setup.players[i]) {
    case Contestant::Bot: {
        const BotSkill skill = i < setup.skills.size() ? setup.skills[i] : BotSkill::Normal;
        return new TimedInput(new BotInput(skill, seed_of(setup.seed, number)), result);
    }
    case Contestant::Random:
        return new RandomInput(seed_of(setup.seed, number) ^ 0x5EEDu);
    default:
        return new ScriptedInput(std::vector<int>());
    }
}

}  // namespace

bool parse_contestant(const std::string& text, Contestant* who) {
    if (text == "bot")
        *who = Contestant::Bot;
    else if (text == "idle")
        *who = Contestant::Idle;
    else if (text == "random")
        *who = Contestant::Random;
    else
        return false;
    return true;
}

MatchResult play_match(const MatchSetup& setup) {
    MatchResult result;
    if (setup.players.empty()) {
        result.error = "no players";
        return result;
    }
    if (!exists(setup.level_file.c_str())) {
        result.error = "cannot read the level " + setup.level_file;
        return result;
    }
    seed_random(setup.seed);
    Game game(640, 480);
    if (!game.Load(setup.level_file, static_cast<int>(setup.players.size()))) {
        result.error = "cannot load the level " + setup.level_file;
        return result;
    }
    game.step_dt = setup.step_dt;
    for (Player& p : game.players) {
        delete game.inputs[p.number];
        game.inputs[p.number] = handler_for(setup, p.number, &result);
    }

    result.players.resize(setup.players.size());
    std::vector<Pose> last;
    std::vector<double> still(setup.players.size(), 0.0);
    for (Player& p : game.players) last.push_back(pose_of(p));
    const auto steps = static_cast<unsigned long>(std::ceil(setup.seconds / setup.step_dt));
    for (unsigned long s = 0; s < steps; ++s) {
        game.Logic(setup.step_dt);
        std::size_t i = 0;
        for (Player& p : game.players) {
            const Pose now = pose_of(p);
            still[i] = (p.action == PA_Dead || !(now == last[i])) ? 0.0 : still[i] + setup.step_dt;
            if (still[i] > result.players[i].longest_still) result.players[i].longest_still = still[i];
            last[i] = now;
            ++i;
        }
    }
    std::size_t i = 0;
    for (Player& p : game.players) {
        result.players[i].kills = p.kills;
        result.players[i].deaths = p.deaths;
        ++i;
    }
    result.steps = steps;
    result.ok = true;
    return result;
}
