// How long the default level's width takes to cross: on foot, and with the rope rule by a
// player who plays the rope well. Both are scripted players that see the world (as a
// player sees the screen) and press keys, nothing else: they aim with up and down, one
// aim step a logic step, and the rope's presses and reeling are the keys'. The figures
// are game seconds, which do not depend on the machine.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "bench_world.h"
#include "game/game.h"
#include "input/input_handler.h"
#include "input/scripted_input.h"
#include "level/level.h"
#include "player/player.h"
#include "player/rope.h"

namespace {

constexpr double kAimStep = PI / 100;      // what one step of up or down turns the aim
constexpr double kHighestAim = PI / 3;     // the aim's limits, facing right
constexpr double kLongestCrossing = 60.0;  // seconds; a player still on his way has failed
constexpr float kEdge = 12.0f;             // the disc's centre at the left edge, in pixels

// The player's centre just above the ground of column x.
float standing_y(const Level& level, int x) {
    int y = 0;
    while (y < level.height && !level.IsSolid(x, y)) ++y;
    return static_cast<float>(y - 11);
}

// Walks right; where he makes no headway he jumps, and after a while digs ahead between
// jumps (a dig starts an action that a jump has to wait for).
class Walker {
public:
    int Bits(const Player& p) {
        // Headway is a new farthest point: rocking on the spot is none.
        stuck_ = p.x > farthest_ ? 0 : stuck_ + 1;
        if (p.x > farthest_) farthest_ = p.x;
        if (stuck_ > 40 && stuck_ / 20 % 2 == 0) return ACT_RIGHT | ACT_DIG;
        if (stuck_ > 0 && p.action == PA_Idle) return ACT_RIGHT | ACT_JUMP;
        return ACT_RIGHT;
    }

private:
    float farthest_ = 0;
    int stuck_ = 0;
};

// Where a hook fired now along `aim` would stick; false when it would be lost. The
// player's eye: it takes him to stay where he is while the hook flies.
bool hook_lands_at(Player& p, const Level& level, float aim, float* hx, float* hy) {
    Rope hook;
    hook.Fire(p, aim);
    for (int i = 0; i < 120 && hook.state == RS_Flying; ++i) hook.Update(p, level, bench::kStepDt);
    *hx = hook.hx;
    *hy = hook.hy;
    return hook.Attached();
}

// How a rope runner plays: how far ahead a hook must stick to be worth firing, how many
// pixels before the hook he lets go when flung at it, and whether he jumps before he
// fires from the ground (a line from the ground often runs into it and pulls nothing).
struct RunnerStyle {
    float least_ahead;
    float lead;
    bool jumps;
};

// The rope: aims at the hook point ahead that is farthest and highest, fires once the
// aim is there, reels in while it holds, lets go near the hook or past it, and fires
// again in flight. Where no hook is worth it, or the line holds him still, he walks,
// jumps and digs as the walker does.
class RopeRunner {
public:
    explicit RopeRunner(RunnerStyle style) : style_(style) {}

    int Bits(Player& p, const Level& level) {
        if (p.rope.Attached()) return Holding(p);
        if (p.rope.state != RS_None) return 0;
        int bits = style_.jumps && p.state == PS_Normal && p.action == PA_Idle ? ACT_JUMP : 0;
        float target = 0;
        if (!BestAim(p, level, &target)) return walker_.Bits(p);
        if (std::fabs(p.aim - target) <= kAimStep / 2) return ACT_ROPE;
        return bits | (target > p.aim ? ACT_UP : ACT_DOWN);
    }

private:
    int Holding(const Player& p) {
        const float d = std::hypot(p.rope.hx - p.x, p.rope.hy - p.y);
        const bool flung = std::hypot(p.vx, p.vy) > 200;
        still_ = std::hypot(p.vx, p.vy) < 1 ? still_ + 1 : 0;
        // Held still far from the hook: a jump gets the line pulling again.
        if (still_ > 6 && still_ < 40 && d > 60) return ACT_UP | ACT_JUMP;
        if ((flung && d < style_.lead) || d < 25 || still_ > 6 || p.x > p.rope.hx)
            return ACT_ROPE;
        return ACT_UP;
    }

    // Of the aims the keys reach from this one (a step at a time, as the player turns),
    // the one whose hook sticks farthest ahead and highest; false when none sticks at
    // least `least_ahead` pixels ahead.
    bool BestAim(Player& p, const Level& level, float* best) const {
        std::vector<float> aims;
        for (float a = p.aim; a >= -kHighestAim; a = static_cast<float>(a - kAimStep))
            aims.push_back(a);
        for (float a = static_cast<float>(p.aim + kAimStep); a <= kHighestAim;
             a = static_cast<float>(a + kAimStep))
            aims.push_back(a);
        bool found = false;
        float best_score = 0;
        for (float aim : aims) {
            float hx, hy;
            if (!hook_lands_at(p, level, aim, &hx, &hy) || hx < p.x + style_.least_ahead) continue;
            const float score = hx + (p.y - hy);
            if (!found || score > best_score) {
                found = true;
                best_score = score;
                *best = aim;
            }
        }
        return found;
    }

    RunnerStyle style_;
    Walker walker_;
    int still_ = 0;
};

// Player 1 from `start` pixels off the left edge to the right edge, by `script`; player 2
// waits far below. Game seconds, or the longest crossing when he never gets there.
template <class Script>
double crossing_seconds(bool rope, float start, Script script) {
    std::unique_ptr<Game> game = bench::load_game(1);
    if (rope) game->rules.flags = MatchRules::kFlagRope;
    Player& p = game->players.front();
    Player& other = game->players.back();
    const Level& level = game->level;
    const float x0 = kEdge + start;
    p.SetPosition(x0, standing_y(level, static_cast<int>(x0)));
    p.aim = 0.0f;
    other.SetPosition(static_cast<float>(level.width / 2),
                      standing_y(level, level.width / 2) + static_cast<float>(level.height / 2));
    delete game->inputs[p.number];
    game->inputs[p.number] = new ScriptedInput([&](std::size_t) { return script(p, level); });
    const double goal = level.width - kEdge - 1;
    double t = 0;
    while (p.x < goal && t < kLongestCrossing) {
        game->Logic(bench::kStepDt);
        t += bench::kStepDt;
    }
    return t;
}

// Scenario: walking, jumping and digging right across the default level.
void BM_CrossingOnFoot(benchmark::State& state) {
    double seconds = 0;
    for (auto _ : state) {
        Walker walker;
        seconds = crossing_seconds(false, 0, [&](Player& p, const Level&) { return walker.Bits(p); });
    }
    state.counters["game_s"] = seconds;
}
BENCHMARK(BM_CrossingOnFoot)->Unit(benchmark::kMillisecond)->Iterations(1);

// Scenario: the rope rule, by rope runners of every style, from three starting points
// (0, 20 and 40 pixels off the edge): the arguments are the start, least_ahead, lead
// and jumps. Small differences send a crossing another way, so the figure of the rope
// is the spread of all 72 crossings.
void BM_CrossingByRope(benchmark::State& state) {
    const RunnerStyle style{static_cast<float>(state.range(1)), static_cast<float>(state.range(2)),
                            state.range(3) != 0};
    double seconds = 0;
    for (auto _ : state) {
        RopeRunner runner(style);
        seconds = crossing_seconds(true, static_cast<float>(state.range(0)),
                                   [&](Player& p, const Level& level) { return runner.Bits(p, level); });
    }
    state.counters["game_s"] = seconds;
}
BENCHMARK(BM_CrossingByRope)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->ArgsProduct({{0, 20, 40}, {60, 150, 250}, {0, 40, 80, 120}, {0, 1}});

}  // namespace
