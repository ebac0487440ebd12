#include "arena/match.h"

#include <allegro.h>

#include <chrono>
#include <cmath>
#include <iterator>
#include <memory>

#include "base/random.h"
#include "game/game.h"
#include "game/match_report.h"
#include "input/input_handler.h"
#include "player/player.h"
#include "replay/headless_play.h"
#include "replay/replay_game.h"
#include "replay/replay_recorder.h"
#include "replay/synctest.h"

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

// How long a player has gone without coming closer to its opponent (of two players).
class Approach {
public:
    void Watch(const Player& me, const Player& other, double dt, double* longest) {
        const bool both = me.action != PA_Dead && other.action != PA_Dead;
        const float d = std::hypot(other.x - me.x, other.y - me.y);
        if (!both || d < kFightDistance || d < best_ - kCloser) {
            best_ = both ? d : 1e9f;
            clock_ = 0.0;
            return;
        }
        clock_ += dt;
        if (clock_ > *longest) *longest = clock_;
    }

private:
    // Pixels that count as coming closer, and the distance at which the fight is on.
    static constexpr float kCloser = 8.0f;
    static constexpr float kFightDistance = 80.0f;
    float best_ = 1e9f;
    double clock_ = 0.0;
};

// Loads the level with the setup's players seated, recording when asked. False with the
// reason.
bool start(Game& game, const MatchSetup& setup, ReplayRecorder* recorder, std::string* why) {
    const int players = static_cast<int>(setup.players.size());
    if (!setup.record.empty())
        return start_recorded_game(game, setup.level_file, players, setup.step_dt, setup.record,
                                   recorder, why);
    if (!game.Load(setup.level_file, players)) {
        *why = "cannot load the level " + setup.level_file;
        return false;
    }
    game.step_dt = setup.step_dt;
    return true;
}

// Plays the game's steps and keeps the longest time each player stood still.
void play(Game& game, const MatchSetup& setup, ReplayRecorder* recorder, MatchResult* result) {
    result->players.resize(setup.players.size());
    std::vector<Pose> last;
    std::vector<double> still(setup.players.size(), 0.0);
    std::vector<Approach> approach(setup.players.size());
    for (Player& p : game.players) last.push_back(pose_of(p));
    const auto steps = static_cast<unsigned long>(std::ceil(setup.seconds / setup.step_dt));
    std::unique_ptr<SyncTest> sync;
    if (setup.synctest > 0) sync = std::make_unique<SyncTest>(game, setup.synctest);
    unsigned long s = 0;
    for (; s < steps && !game.outcome.over; ++s) {
        if (!sync) {
            play_headless(game, 1, recorder);
        } else {
            const StepInput input = game.GatherInput();
            if (recorder) recorder->Record(input);
            if (!sync->Step(input, game.step_dt, &result->error)) return;
            if (recorder) recorder->Checkpoint(game);
        }
        std::size_t i = 0;
        for (Player& p : game.players) {
            const Pose now = pose_of(p);
            still[i] = (p.action == PA_Dead || !(now == last[i])) ? 0.0 : still[i] + setup.step_dt;
            PlayerScore& score = result->players[i];
            if (still[i] > score.longest_still) score.longest_still = still[i];
            if (game.players.size() == 2)
                approach[i].Watch(p, &p == &game.players.front() ? game.players.back() : game.players.front(),
                                  setup.step_dt, &score.longest_no_closer);
            last[i] = now;
            ++i;
        }
    }
    const bool match = !game.rules.endless();
    std::size_t i = 0;
    for (Player& p : game.players) {
        PlayerScore& score = result->players[i++];
        score.kills = match ? match_kills(p) : p.kills;
        score.deaths = p.deaths;
        // Past the kills and deaths, which the line has already.
        if (match) score.figures = figures_text(p, 2);
    }
    result->steps = s;
    if (match) result->outcome = outcome_line(game);
}

}  // namespace

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
    ComputerSeats seats(setup.players, setup.skills, BotSkill::Normal, setup.seed);
    Game game(640, 480);
    game.computers = &seats;
    game.rules = setup.rules;
    game.level_name = setup.level_name;
    ReplayRecorder recorder;
    ReplayRecorder* recording = setup.record.empty() ? nullptr : &recorder;
    if (!start(game, setup, recording, &result.error)) return result;
    for (Player& p : game.players) {
        if (seats.at_start(p.number) != Contestant::Bot) continue;
        game.inputs[p.number] = new TimedInput(game.inputs[p.number], &result);
    }
    play(game, setup, recording, &result);
    if (!result.error.empty()) return result;  // a synctest's difference
    if (recording && !recorder.Finish(game)) {
        result.error = "cannot write " + setup.record + ": " + recorder.error();
        return result;
    }
    result.ok = true;
    return result;
}
