// A long fight at four times the normal speed: two players with every weapon, driven by
// pseudo-random scripts, for VORLIN_SOAK_STEPS logic steps. After every step the world
// table must be consistent, and once the fight is under way neither the table nor the
// heap may keep growing.

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "base/random.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "level/level.h"
#include "particle/particle.h"
#include "support/game_support.h"
#include "support/test_support.h"

#ifndef VORLIN_SOAK_STEPS
#define VORLIN_SOAK_STEPS 200000
#endif

using testsupport::arm_fully;

namespace {

constexpr long kSteps = VORLIN_SOAK_STEPS;
// Four logic steps' worth of time in each step.
constexpr double kDt = 4 * testsupport::kStepDt;
// By then every weapon has been fired many times, players have died and respawned and
// the table has reached the size the fight needs.
constexpr long kWarmUp = std::min(2000L, kSteps / 4);

// Rolling ground with a few caves and an undiggable floor, so that shots dig and dirt
// piles up without the level ever running out of ground.
bool ground(int x, int y) {
    const double top = 150 + 25 * std::sin(x / 30.0) + 10 * std::sin(x / 7.0);
    const bool cave = (x % 120 - 60) * (x % 120 - 60) + (y - 205) * (y - 205) * 4 < 30 * 30;
    return y >= top && !cave;
}
bool floor_rows(int, int y) { return y >= 230; }

// A small generator of its own, so that the scripts do not disturb the game's random
// sequence.
struct Lcg {
    std::uint32_t state;
    std::uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

// Each player keeps firing, walks towards the other in bursts, aims, jumps, digs and
// switches weapons.
class Fighter {
public:
    Fighter(Player* self, Player* enemy, std::uint32_t seed) : self_(self), enemy_(enemy), rng_{seed} {}

    int operator()(std::size_t step) {
        if (step % 16 == 0) plan_ = rng_.next();
        int bits = ACT_FIRE;
        const bool towards = (plan_ & 3) != 0;
        const bool enemy_right = enemy_->x > self_->x;
        if (towards) bits |= enemy_right ? ACT_RIGHT : ACT_LEFT;
        else bits |= enemy_right ? ACT_LEFT : ACT_RIGHT;
        if (plan_ & 4) bits |= (plan_ & 8) ? ACT_UP : ACT_DOWN;
        if ((plan_ & 0x30) == 0x30) bits |= ACT_JUMP;
        if ((plan_ & 0x1C0) == 0x1C0) bits |= ACT_DIG;
        if (step % 37 == 0) bits |= ACT_WEAPON;
        return bits;
    }

private:
    Player* self_;
    Player* enemy_;
    Lcg rng_;
    std::uint32_t plan_ = 0;
};

// The world table after a step: empty string when consistent, else what is wrong.
std::string table_fault(const Game& game) {
    std::ostringstream fault;
    const std::vector<Particle*>& table = game.particles;
    Particle* const* const begin = table.data();
    Particle* const* const end = begin + table.size();

    std::set<const Particle*> objects;
    std::size_t nulls = 0;
    for (const Particle* p : table) {
        if (!p) {
            ++nulls;
            continue;
        }
        if (!objects.insert(p).second) fault << "an object is in the table twice; ";
    }

    std::set<Particle**> slots;
    for (Particle** slot : game.free_slots) {
        if (slot < begin || slot >= end) {
            fault << "a free slot lies outside the table; ";
            continue;
        }
        if (*slot) fault << "a free slot holds an object; ";
        if (!slots.insert(slot).second) fault << "a free slot is listed twice; ";
    }
    if (slots.size() != nulls) fault << nulls << " free entries but " << slots.size() << " free slots; ";

    for (const Player& p : game.players) {
        const auto count = std::count(table.begin(), table.end(), &p);
        if (count != 1) fault << "player " << p.number << " is in the table " << count << " times; ";
        for (const Inventory::Weapon* w : p.weapons)
            if (objects.count(w)) fault << "a held weapon is also in the table; ";
    }
    if (game.cur || game.other) fault << "the walk's cursors outlive the step; ";
    return fault.str();
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string file = dir_.file("map.lvl");
        testsupport::save_level_file(file, *testsupport::make_level(400, 240, ground, floor_rows));
        seed_random(20261207);
        ASSERT_TRUE(game_.Load(file, 2));
        ASSERT_EQ(game_.players.size(), 2u);
        Player& one = game_.players.front();
        Player& two = game_.players.back();
        one.SetPosition(150.0f, 20.0f);
        two.SetPosition(250.0f, 20.0f);
        for (Player* p : {&one, &two}) {
            Player* enemy = p == &one ? &two : &one;
            delete game_.inputs[p->number];
            game_.inputs[p->number] = new ScriptedInput(Fighter(p, enemy, 7u * p->number + 1));
            arm_fully(game_, *p);
        }
    }

    testsupport::TempDir dir_;
    testsupport::ScopedConfig config_;
    Game game_{640, 480};
};

TEST_F(Soak, ALongFightKeepsTheTableConsistentAndTheMemoryFlat) {
    std::size_t table_after_warm_up = 0, heap_after_warm_up = 0, most_objects = 0;
    long deaths_before = 0, objects_seen = 0;
    std::size_t largest_table = 0;

    for (long step = 0; step < kSteps; ++step) {
        // Rearm now and then so that every weapon stays in the fight after deaths and
        // empty magazines.
        if (step % 300 == 0)
            for (Player& p : game_.players) arm_fully(game_, p);

        ASSERT_TRUE(game_.Logic(kDt));

        const std::string fault = table_fault(game_);
        ASSERT_EQ(fault, "") << "after step " << step;

        const std::size_t live = testsupport::live_count(game_);
        most_objects = std::max(most_objects, live);
        objects_seen += long(live);
        largest_table = std::max(largest_table, game_.particles.size());

        if (step == kWarmUp) {
            table_after_warm_up = game_.particles.size();
            heap_after_warm_up = testsupport::heap_in_use();
            for (const Player& p : game_.players) deaths_before += p.deaths;
        }
    }

    // The fight really happened: many objects flew, and players died and came back.
    long deaths = 0;
    for (const Player& p : game_.players) deaths += p.deaths;
    EXPECT_GT(deaths, deaths_before) << "nobody died after the warm-up";
    EXPECT_GT(most_objects, 20u);

    // The table only ever grows when every entry is taken, by 16 entries at a time: past
    // the warm-up it may only have grown for a real crowd, never with the length of the
    // fight.
    EXPECT_LE(largest_table, most_objects + 16) << "entries are not reused";
    EXPECT_LE(game_.particles.size(), table_after_warm_up + 64);

    // Live objects, the console and the level come and go; what the heap holds at the end
    // may differ from the warm-up by what a crowd of objects takes, not by anything that
    // grows with every step or shot (a leak of 16 bytes per step would exceed this bound
    // many times over in the normal run).
    const std::size_t heap_at_end = testsupport::heap_in_use();
    const long long growth = (long long)heap_at_end - (long long)heap_after_warm_up;
    std::printf("soak: %ld steps, up to %zu objects (%.1f on average), table %zu entries, "
                "heap %+lld bytes since the warm-up\n",
                kSteps, most_objects, double(objects_seen) / double(kSteps), game_.particles.size(),
                growth);
    EXPECT_LT(growth, 512 * 1024);
}

}  // namespace

namespace {

// The highest "speed" the configuration accepts.
double fastest_step() {
    testsupport::ScopedConfig config("[game]\nspeed = 1000\n");
    return Game::ConfiguredStepDt();
}

}  // namespace

TEST_F(Soak, TheFastestAcceptedSpeedKeepsEveryObjectInTheLevel) {
    // Each step then lasts a quarter of a minute: a shot crosses the level many times
    // over and a fall gains thousands of pixels per second. Positions must stay where an
    // int can hold them (every drawing and terrain test truncates them), and the table
    // must stay sound.
    const double dt = fastest_step();
    ASSERT_GT(dt, 16.0);
    for (long step = 0; step < std::min(kSteps / 20, 1000L); ++step) {
        if (step % 50 == 0)
            for (Player& p : game_.players) arm_fully(game_, p);
        ASSERT_TRUE(game_.Logic(dt));
        ASSERT_EQ(table_fault(game_), "") << "after step " << step;
        for (const Particle* p : game_.particles) {
            if (!p) continue;
            ASSERT_TRUE(std::isfinite(p->x) && std::isfinite(p->y)) << "after step " << step;
            ASSERT_GE(p->x, 0.0f);
            ASSERT_LE(p->x, float(game_.level.width));
            ASSERT_LE(p->y, float(game_.level.height) + 1.0f);
            ASSERT_GT(p->y, -1.0e7f) << "after step " << step;
        }
    }
}
