#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "ammunition/ammunition.h"
#include "collision/clgo.h"
#include "game/game.h"
#include "game/pair_pass.h"
#include "base/random.h"
#include "input/player_input.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "level/level.h"
#include "particle/particle.h"
#include "support/game_support.h"
#include "support/test_support.h"

namespace {

// A world object that records what the world table does with it.
class Probe : public Particle {
public:
    using Hook = std::function<void(Probe&)>;

    Probe(Game* game, std::vector<std::string>* log, std::string name, float x = 0,
          float radius = 1)
        : Particle(game, &game->level, PC_Normal, radius, x, 0), log(log), name(std::move(name)) {}
    ~Probe() override {
        if (log) log->push_back("~" + name);
    }

    bool Update(double) override {
        ++updates;
        if (log) log->push_back("update " + name);
        if (on_update) on_update(*this);
        return changes_terrain;
    }
    void Draw(BITMAP* target, int ox, int oy) const override {
        const int sx = static_cast<int>(x) - ox, sy = static_cast<int>(y) - oy;
        rectfill(target, sx - 10, sy - 10, sx + 10, sy + 10, makecol(255, 255, 0));
    }
    void OnCollision(Particle* other) override {
        auto* o = static_cast<Probe*>(other);
        if (log) log->push_back(name + " hits " + (o ? o->name : "terrain"));
        if (on_collision) on_collision(*this);
    }

    std::vector<std::string>* log;
    std::string name;
    int updates = 0;
    bool changes_terrain = false;
    Hook on_update;
    Hook on_collision;
};

class GameTable : public ::testing::Test {
protected:
    std::vector<std::string> log;  // outlives the game, whose objects write to it
    Game game{640, 480};

    Probe* add(const std::string& name, float x = 0) {
        auto* p = new Probe(&game, &log, name, x);
        game.AddParticle(p);
        return p;
    }
    std::ptrdiff_t index_of(Particle* p) const {
        for (std::size_t i = 0; i < game.particles.size(); ++i)
            if (game.particles[i] == p) return static_cast<std::ptrdiff_t>(i);
        return -1;
    }
};

TEST_F(GameTable, GrowsBySixteenAndReusesTheNewestFreeEntryFirst) {
    std::vector<Probe*> probes;
    for (int i = 0; i < 16; ++i) probes.push_back(add("p" + std::to_string(i), i * 100.f));
    ASSERT_EQ(16u, game.particles.size());
    EXPECT_EQ(15, index_of(probes[0]));   // the first object takes the last new entry
    EXPECT_EQ(14, index_of(probes[1]));   // then n + 14 ...
    EXPECT_EQ(0, index_of(probes[15]));   // ... down to n
    EXPECT_TRUE(game.free_slots.empty());

    Probe* seventeenth = add("p16");
    EXPECT_EQ(32u, game.particles.size());
    EXPECT_EQ(31, index_of(seventeenth));
    EXPECT_EQ(15u, game.free_slots.size());
    EXPECT_EQ(game.particles.data() + 30, game.free_slots.back());
}

TEST_F(GameTable, ObjectsAddedDuringTheWalkAreVisitedOnceAndThePositionsSurviveGrowth) {
    // Far apart so that no pair collides.
    std::vector<Probe*> probes;
    for (int i = 0; i < 16; ++i) probes.push_back(add("p" + std::to_string(i), i * 30.f));
    std::vector<Probe*> spawned;
    // The object at entry 0 is walked first; it fills the table past its storage.
    probes[15]->on_update = [&](Probe&) {
        if (!spawned.empty()) return;
        for (int i = 0; i < 40; ++i) {
            auto* p = new Probe(&game, nullptr, "s", 1000.f + i * 30);
            spawned.push_back(p);
            game.AddParticle(p);
        }
    };
    ASSERT_EQ(0, index_of(probes[15]));
    game.Logic(0.01);
    EXPECT_EQ(64u, game.particles.size());
    for (Probe* p : probes) EXPECT_EQ(1, p->updates) << p->name;
    for (Probe* p : spawned) EXPECT_EQ(1, p->updates);  // appended: same step
    EXPECT_EQ(nullptr, game.cur);
}

TEST_F(GameTable, AnObjectReusingAnEarlierEntryWaitsForTheNextStep) {
    Probe* a = add("a", 0);    // entry 15
    Probe* b = add("b", 100);  // entry 14
    Probe* c = add("c", 200);  // entry 13
    Probe* late = nullptr;
    c->on_update = [&](Probe& self) { self.dead = true; };  // frees entry 13
    a->on_update = [&](Probe&) {
        if (late) return;
        late = new Probe(&game, &log, "late", 300);
        game.AddParticle(late);  // reuses entry 13, before `a` at 15
    };
    (void)b;
    game.Logic(0.01);
    ASSERT_NE(nullptr, late);
    EXPECT_EQ(13, index_of(late));
    EXPECT_EQ(0, late->updates);
    game.Logic(0.01);
    EXPECT_EQ(1, late->updates);
}

TEST_F(GameTable, RemovalHappensAtTheEndOfTheObjectsOwnTurn) {
    Probe* first = add("first", 0);     // entry 15: walked last
    Probe* second = add("second", 100); // entry 14
    Probe* third = add("third", 200);   // entry 13: walked first
    // third flags second, whose turn is still ahead: second is updated, then deleted.
    third->on_update = [&](Probe&) { second->dead = true; };
    // first flags third, whose turn has passed: third stays until the next step.
    first->on_update = [&](Probe&) { third->dead = true; };
    game.Logic(0.01);
    EXPECT_EQ(nullptr, game.particles[14]);
    EXPECT_EQ(third, game.particles[13]);
    EXPECT_EQ(std::vector<std::string>({"update third", "update second", "~second",
                                        "update first"}),
              log);
    log.clear();
    third->on_update = nullptr;
    first->on_update = nullptr;
    game.Logic(0.01);
    EXPECT_EQ(std::vector<std::string>({"update third", "~third", "update first"}), log);
    EXPECT_EQ(13u + 2u, game.free_slots.size());
}

TEST_F(GameTable, ADetachedObjectLeavesTheTableAlive) {
    Probe* kept = add("kept");
    kept->detached = true;
    game.Logic(0.01);
    EXPECT_EQ(-1, index_of(kept));
    EXPECT_EQ(std::vector<std::string>({"update kept"}), log);
    delete kept;  // its new owner's business
}

TEST_F(GameTable, EachTouchingPairReactsOnceEarlierObjectFirst) {
    Probe* a = add("a", 50);  // entry 15
    Probe* b = add("b", 50);  // entry 14: earlier in the table
    (void)a;
    (void)b;
    game.Logic(0.01);
    EXPECT_EQ(std::vector<std::string>({"update b", "b hits a", "a hits b", "update a"}), log);
}

TEST_F(GameTable, TerrainChangesAreCollectedFromUpdates) {
    Probe* a = add("a");
    a->changes_terrain = true;
    game.Logic(0.01);
    EXPECT_TRUE(game.terrain_changed);
    a->changes_terrain = false;
    game.Logic(0.01);
    EXPECT_FALSE(game.terrain_changed);
}

TEST_F(GameTable, DestroyingTheGameDeletesWhatTheTableOwns) {
    std::vector<std::string> outer;
    {
        Game g(640, 480);
        g.AddParticle(new Probe(&g, &outer, "x"));
        g.AddParticle(new Probe(&g, &outer, "y"));
    }
    EXPECT_EQ(2u, outer.size());
}

TEST(GameTiming, TheLogicPartOfTheTimingLine) {
    Game game(640, 480);
    game.show_timing = true;
    game.Logic(testsupport::kStepDt);
    const std::string line = game.stats.str();
    EXPECT_EQ(0u, line.find("dt: 0.0166667 slowdown 1 / 1 Logic: ")) << line;
    EXPECT_EQ("ms ", line.substr(line.size() - 3));

    game.missed_ticks = 3;
    game.Logic(0.5);
    EXPECT_EQ(0u, game.stats.str().find("dt:   0.5 slowdown 1 / 4 Logic: "))
        << game.stats.str();
    EXPECT_EQ(0, game.missed_ticks);
}

TEST(GameTiming, MissedTicksAreKeptWhileTheLineIsOff) {
    Game game(640, 480);
    game.missed_ticks = 5;
    game.Logic(0.01);
    EXPECT_EQ(5, game.missed_ticks);
    EXPECT_TRUE(game.stats.str().empty());
}

TEST(GameLoop, ATickDuringAStepIsOnlyCounted) {
    Game game(640, 480);
    auto* ticker = new Probe(&game, nullptr, "ticker");
    ticker->on_update = [&](Probe&) { TimerTick(&game); };
    game.AddParticle(ticker);
    BITMAP* buffer = create_bitmap(64, 48);

    game.tick_pending = true;
    game.redraw = false;
    EXPECT_TRUE(game.Pass(buffer));
    EXPECT_EQ(1u, game.steps_taken);
    EXPECT_EQ(1, game.missed_ticks);
    EXPECT_FALSE(game.tick_pending);  // the tick that came during the step is gone
    EXPECT_FALSE(game.redraw);        // the step's frame was drawn

    // A tick between steps is simply pending: one step, nothing missed.
    ticker->on_update = nullptr;
    TimerTick(&game);
    EXPECT_EQ(1, game.missed_ticks);
    TimerTick(&game);  // a second tick before the loop came round
    EXPECT_EQ(2, game.missed_ticks);
    EXPECT_TRUE(game.Pass(buffer));
    EXPECT_EQ(2u, game.steps_taken);  // at most one step per pass: no catching up
    destroy_bitmap(buffer);
}

TEST(GameLoop, HeldEscapeEndsTheGameWithoutDrawingThatStep) {
    Game game(640, 480);
    BITMAP* buffer = create_bitmap(64, 48);
    clear_to_color(buffer, makecol(1, 2, 3));
    game.tick_pending = true;
    key[KEY_ESC] = 1;
    EXPECT_FALSE(game.Pass(buffer));
    key[KEY_ESC] = 0;
    EXPECT_TRUE(game.redraw);  // set by the step, never consumed by a frame
    destroy_bitmap(buffer);
}

TEST(GameConsoleKey, OnePressTogglesOnceHowLongItIsHeld) {
    Game game(640, 480);
    game.console_key = KEY_TILDE;
    key[KEY_TILDE] = 1;
    for (int i = 0; i < 5; ++i) game.Logic(0.01);
    EXPECT_TRUE(game.console_active);
    EXPECT_EQ(-KEY_TILDE, game.console_key);
    key[KEY_TILDE] = 0;
    game.Logic(0.01);
    EXPECT_EQ(KEY_TILDE, game.console_key);
    EXPECT_TRUE(game.console_active);
    key[KEY_TILDE] = 1;
    game.Logic(0.01);
    key[KEY_TILDE] = 0;
    EXPECT_FALSE(game.console_active);
}

TEST(GameConsoleKey, KeyboardPlayersIgnoreTheirKeysWhileTheConsoleIsOpen) {
    Game game(640, 480);
    game.console_key = KEY_TILDE;
    Player& keyboard = testsupport::add_player(
        game, 1, new PlayerInput(KEY_W, KEY_S, KEY_A, KEY_D, KEY_J, KEY_F, KEY_G, KEY_Q));
    Player& scripted =
        testsupport::add_player(game, 2, new ScriptedInput([](std::size_t) { return int(ACT_UP); }));
    // One step with the up key held (and the console key when asked): who aimed higher.
    auto step = [&](bool console_key) {
        const float before[] = {keyboard.aim, scripted.aim};
        key[KEY_W] = 1;
        key[KEY_TILDE] = console_key;
        game.Logic(0.01);
        key[KEY_W] = key[KEY_TILDE] = 0;
        return std::vector<bool>{keyboard.aim > before[0], scripted.aim > before[1]};
    };
    using Moved = std::vector<bool>;
    EXPECT_EQ(Moved({true, true}), step(true));  // the console opens after the players' turn
    ASSERT_TRUE(game.console_active);
    EXPECT_EQ(Moved({false, true}), step(false));
    EXPECT_EQ(Moved({false, true}), step(true));  // and closes after it
    ASSERT_FALSE(game.console_active);
    EXPECT_EQ(Moved({true, true}), step(false));
}

TEST(GameConsoleKey, AKeyOfZeroNeverToggles) {
    Game game(640, 480);
    game.console_key = 0;
    key[0] = 1;  // never set by a keyboard, but even so
    game.Logic(0.01);
    key[0] = 0;
    EXPECT_FALSE(game.console_active);
}

TEST(GameSpeed, StepLengthFollowsTheConfiguredSpeed) {
    struct Case {
        const char* ini;
        double step;
    };
    const double standard = testsupport::kStepDt;
    const Case cases[] = {
        {"", standard},
        {"[game]\nspeed = 1\n", standard},
        {"[game]\nspeed = 2.0\n", static_cast<double>(2.0f * (1.0f / 60.0f))},
        {"[game]\nspeed = 0\n", 0.0},
        {"[game]\nspeed = nan\n", standard},
        {"[game]\nspeed = inf\n", standard},
        {"[game]\nspeed = -1\n", standard},
        {"[game]\nspeed = fast\n", standard},
        {"[game]\nspeed = 99999999999\n", standard},
        {"[game]\nspeed = 1001\n", standard},
        {"[game]\nspeed = 1e999\n", standard},
        {"[game]\nspeed = -inf\n", standard},
        {"[game]\nspeed = 2x\n", standard},
    };
    for (const Case& c : cases) {
        testsupport::ScopedConfig config(c.ini);
        EXPECT_EQ(c.step, Game::ConfiguredStepDt()) << c.ini;
    }
    EXPECT_NEAR(0.0333333, static_cast<double>(2.0f * (1.0f / 60.0f)), 1e-6);
}

TEST(GameSpawn, AFullLevelSkipsTheDropInsteadOfHanging) {
    testsupport::TempDir dir;
    Game game(640, 480);
    testsupport::adopt_level(game.level, *testsupport::make_level(64, 64, [](int, int) { return true; }));
    seed_random(3);
    game.SpawnWeapon();
    for (Particle* p : game.particles) EXPECT_EQ(nullptr, p);
}

// ---------------------------------------------------------------- the pair pass's grid

constexpr std::size_t kAlwaysGrid = 0;
constexpr std::size_t kNeverGrid = std::numeric_limits<std::size_t>::max();

// Anything that may differ between two runs of one world: every entry of the table with
// its kind, motion, circle and flags, the players' fortunes, and the terrain and picture.
class WorldDigest {
public:
    void Add(const void* data, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < n; ++i) h_ = (h_ ^ b[i]) * 1099511628211ull;
    }
    template <class T>
    void Add(const T& v) {
        Add(&v, sizeof v);
    }
    void AddBitmap(BITMAP* bmp) {
        if (!bmp) return;
        const std::size_t row = static_cast<std::size_t>(bmp->w) *
                                static_cast<std::size_t>((bitmap_color_depth(bmp) + 7) / 8);
        for (int y = 0; y < bmp->h; ++y) Add(bmp->line[y], row);
    }
    std::uint64_t value() const { return h_; }

private:
    std::uint64_t h_ = 1469598103934665603ull;
};

std::uint64_t bitmap_digest(BITMAP* bmp) {
    WorldDigest d;
    d.AddBitmap(bmp);
    return d.value();
}

std::uint64_t world_digest(const Game& game) {
    WorldDigest d;
    for (std::size_t i = 0; i < game.particles.size(); ++i) {
        const Particle* p = game.particles[i];
        d.Add(i);
        if (!p) continue;
        const std::string kind = typeid(*p).name();
        d.Add(kind.data(), kind.size());
        d.Add(p->x), d.Add(p->y), d.Add(p->vx), d.Add(p->vy);
        d.Add(p->bound->x), d.Add(p->bound->y), d.Add(p->bound->radius);
        d.Add(p->control), d.Add(p->state), d.Add(p->dead), d.Add(p->detached);
    }
    for (const Player& p : game.players) {
        d.Add(p.health), d.Add(p.kills), d.Add(p.deaths), d.Add(p.action), d.Add(p.x),
            d.Add(p.y);
        d.Add(p.weapons.size());
    }
    d.AddBitmap(game.level.mask);
    d.AddBitmap(game.level.foreground);
    d.AddBitmap(game.level.render);
    return d.value();
}

// Hills with a cave, undiggable stone along the bottom.
bool hills(int x, int y) {
    const double ground = 150 + 30 * std::sin(x / 40.0) + 10 * std::sin(x / 11.0);
    const bool cave = (x - 240) * (x - 240) / 4 + (y - 220) * (y - 220) < 30 * 30;
    return y >= ground && !cave;
}

// A crowded fight: the duel of two players with every weapon, and before every step the
// world is topped up to `crowd` objects (splinters, pellets, clods, rockets, flak shells
// and weapons to pick up) thrown from the sky. Gives the digest after every step.
// Besides, after every step the picture must be the one a whole recomposition gives.
// Two players with every weapon on a hilly level; each fights by the duel script when
// `scripted`, else his handler gives nothing.
void set_up_duel(Game& game, bool scripted) {
    auto level = testsupport::make_level(480, 300, hills, [](int, int y) { return y >= 285; });
    testsupport::adopt_level(game.level, *level);
    for (int n = 1; n <= 2; ++n) {
        Player& p = testsupport::add_player(game, n, nullptr);
        p.Respawn();
        if (scripted) {
            testsupport::enter_duel(game, p, n == 1 ? 200.0f : 280.0f, 20.0f);
        } else {
            delete game.inputs[n];
            game.inputs[n] = new ScriptedInput(std::vector<int>());
            testsupport::arm_fully(game, p);
            p.SetPosition(n == 1 ? 200.0f : 280.0f, 20.0f);
        }
    }
}

std::vector<std::uint64_t> crowded_fight(std::size_t pair_index_from, std::size_t crowd,
                                         int steps) {
    testsupport::ScopedConfig config;
    seed_random(20261207);
    Game game(640, 480);
    game.pair_index_from = pair_index_from;
    set_up_duel(game, true);
    Player* owner = &game.players.front();

    std::vector<std::uint64_t> digests;
    for (int step = 0; step < steps; ++step) {
        for (std::size_t k = testsupport::live_count(game); k < crowd; ++k) {
            const float x = static_cast<float>(rand01() * 480);
            const float y = static_cast<float>(rand01() * 60);
            const float angle = static_cast<float>(rand01() * 2 * PI);
            Particle* p;
            switch (k % 8) {
            case 0:
            case 1:
                p = new Ammunition::Flak::Shrapnel(owner, &game, &game.level, x, y, angle,
                                                   static_cast<float>(150 + 250 * rand01()));
                break;
            case 2:
            case 3:
                p = new Ammunition::BirdShot(owner, &game, &game.level, x, y, angle);
                break;
            case 4:
                p = new Ammunition::Dirt(owner, &game, &game.level, x, y, angle);
                break;
            case 5:
                p = new Ammunition::Rocket(owner, &game, &game.level, x, y, angle);
                break;
            case 6:
                p = new Ammunition::Flak(owner, &game, &game.level, x, y, angle);
                break;
            default: {
                Inventory::Weapon* w = random_weapon(&game, &game.level);
                w->SetPosition(x, y);
                p = w;
                break;
            }
            }
            game.AddParticle(p);
        }
        game.Logic(testsupport::kStepDt);

        const std::uint64_t shown = bitmap_digest(game.level.render);
        game.level.Update();
        EXPECT_EQ(shown, bitmap_digest(game.level.render)) << "picture after step " << step;
        digests.push_back(world_digest(game));
    }
    return digests;
}

// The grid must find every pair the plain pass finds, in the same order, whatever the
// world does: the same seed gives the same world, step after step, entry for entry.
TEST(GamePairPass, TheGridGivesTheWorldThePlainPassGivesOverManyCrowdedSteps) {
    const int steps = 150;
    const auto plain = crowded_fight(kNeverGrid, 300, steps);
    const auto grid = crowded_fight(kAlwaysGrid, 300, steps);
    ASSERT_EQ(plain.size(), grid.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        ASSERT_EQ(plain[i], grid[i]) << "the worlds part at step " << i;
    // And the world did change: a step's digest differs from the last one's.
    EXPECT_NE(plain.front(), plain.back());
}

// What the grid relies on, broken on purpose: reactions that move objects about and add
// new ones. The order of every reaction must still be the plain pass's.
std::vector<std::string> juggling_probes(std::size_t pair_index_from) {
    std::vector<std::string> log;
    {
        Game game(640, 480);
        game.pair_index_from = pair_index_from;
        std::vector<Probe*> probes;
        // 90 probes of radius 1 three pixels apart on a line: none touch; a few pairs
        // share a place and do.
        for (int i = 0; i < 90; ++i) {
            const float x = static_cast<float>(i % 7 == 3 ? 3 * (i - 1) : 3 * i);
            auto* p = new Probe(&game, &log, "p" + std::to_string(i), x);
            probes.push_back(p);
            game.AddParticle(p);
        }
        // p17 throws its partner onto p60's place, p24 jumps onto p80's itself, and p45
        // puts a new probe onto p70's.
        probes[24]->on_collision = [&](Probe& self) { self.SetPosition(probes[80]->x, 0); };
        probes[45]->on_collision = [&](Probe&) {
            auto* extra = new Probe(&game, &log, "extra", probes[70]->x);
            game.AddParticle(extra);
        };
        probes[17]->on_collision = [&](Probe& self) {
            for (Probe* p : probes)
                if (p != &self && p->x == self.x) p->SetPosition(probes[60]->x, 0);
        };
        for (int step = 0; step < 3; ++step) {
            log.push_back("step");
            game.Logic(0.01);
        }
    }
    return log;
}

TEST(GamePairPass, ReactionsThatMoveOrAddObjectsKeepThePlainOrder) {
    const auto plain = juggling_probes(kNeverGrid);
    EXPECT_EQ(plain, juggling_probes(kAlwaysGrid));
    // The reactions happened: someone hit someone, and an extra probe was added.
    EXPECT_NE(std::find(plain.begin(), plain.end(), "p16 hits p17"), plain.end());
    EXPECT_NE(std::find(plain.begin(), plain.end(), "update extra"), plain.end());
}

// A circle too large for the grid's cells (a blast) is tested against every later entry
// near it; an object it adds in a reaction must still be found by the objects after it.
std::vector<std::string> a_giant_adds_a_probe(std::size_t pair_index_from) {
    std::vector<std::string> log;
    {
        Game game(640, 480);
        game.pair_index_from = pair_index_from;
        std::vector<Probe*> probes;
        for (int i = 0; i < 81; ++i) {
            auto* p = new Probe(&game, &log, "p" + std::to_string(i), 3.0f * i);
            probes.push_back(p);
            game.AddParticle(p);
        }
        // p15 (entry 0, the first to move) has a blast's circle; the new probe takes entry
        // 94, after p40's 39.
        clgo_set_circle(probes[15]->bound, 45, 0, 30.0f);
        bool thrown = false;
        probes[15]->on_collision = [&](Probe&) {
            if (thrown) return;
            thrown = true;
            game.AddParticle(new Probe(&game, &log, "thrown", probes[40]->x));
        };
        game.Logic(0.01);
    }
    return log;
}

TEST(GamePairPass, AnObjectAddedByAGiantsReactionIsFoundByLaterObjects) {
    const auto plain = a_giant_adds_a_probe(kNeverGrid);
    EXPECT_EQ(plain, a_giant_adds_a_probe(kAlwaysGrid));
    EXPECT_NE(std::find(plain.begin(), plain.end(), "p40 hits thrown"), plain.end());
}

#ifndef NDEBUG
// The grid's rule, broken: a reaction that moves a third object, one whose turn is still
// to come, ends the program in a debug build instead of leaving that object unfound.
TEST(GamePairPassDeathTest, AReactionThatMovesAThirdObjectIsCaught) {
    EXPECT_DEATH(
        {
            Game game(640, 480);
            game.pair_index_from = kAlwaysGrid;
            std::vector<Probe*> probes;
            for (int i = 0; i < 20; ++i) {
                probes.push_back(new Probe(&game, nullptr, "p", 3.0f * i));
                game.AddParticle(probes.back());
            }
            // p5 (entry 10) meets p4 (entry 11) and throws p0 (entry 15) aside.
            probes[5]->SetPosition(probes[4]->x, 0);
            probes[5]->on_collision = [&](Probe&) { probes[0]->SetPosition(500, 0); };
            game.Logic(0.01);
        },
        "an object's circle changes only in its own update and reactions");
}
#endif

// ---------------------------------------------------------------- the step record

constexpr double kDt = 0.01666666753590107;

// What GatherInput records is all a step needs: the records of a fight, handed to a second
// game whose own handlers give nothing, make it take the same course step by step.
TEST(GameStep, GatheredRecordsReplayTheFightInAnotherGame) {
    testsupport::ScopedConfig config;
    const int steps = 400;
    std::vector<StepInput> records;
    std::vector<std::uint64_t> played;
    {
        seed_random(99);
        Game game(640, 480);
        set_up_duel(game, true);
        for (int i = 0; i < steps; ++i) {
            records.push_back(game.GatherInput());
            game.Step(records.back(), kDt);
            played.push_back(world_digest(game));
        }
    }
    seed_random(99);
    Game replay(640, 480);
    set_up_duel(replay, false);
    for (int i = 0; i < steps; ++i) {
        replay.Step(records[i], kDt);
        ASSERT_EQ(played[i], world_digest(replay)) << "step " << i;
    }
    // Weapons were switched: the records carry positions in the weapon lists.
    EXPECT_TRUE(std::any_of(records.begin(), records.end(),
                            [](const StepInput& r) { return r.players[0].weapon > 0; }));
}

// A record acts for the players in list order; a missing entry leaves its player idle and a
// weapon position outside his list switches nothing.
TEST(GameStep, ARecordActsForThePlayersInListOrder) {
    testsupport::ScopedConfig config;
    Game game(640, 480);
    set_up_duel(game, false);
    Player& one = game.players.front();
    Player& two = game.players.back();
    auto held = [](const Player& p) { return std::distance(p.weapons.cbegin(), WeaponList::const_iterator(p.current_weapon)); };
    const float aim_two = two.aim;
    StepInput input;
    input.players.push_back({ACT_WEAPON | ACT_UP, 2});
    game.Step(input, kDt);
    EXPECT_EQ(2, held(one));
    EXPECT_GT(one.aim, 0.0f);
    EXPECT_EQ(0, held(two));
    EXPECT_EQ(aim_two, two.aim);
    input.players = {{ACT_WEAPON, 5}, {ACT_WEAPON, -1}};  // five weapons: positions 0 to 4
    game.Step(input, kDt);
    EXPECT_EQ(2, held(one));
    EXPECT_EQ(0, held(two));
}

// The picture follows what the level recorded, never a report alone: a clod that lands and
// a blast above the level's top (which digs nothing) recompose regions at most, never the
// whole picture, and the picture is still what a whole recomposition gives.
TEST(GameTerrain, ReportedChangesRecomposeOnlyWhatTheLevelRecorded) {
    Game game(640, 480);
    auto level = testsupport::make_level(200, 100, [](int, int y) { return y >= 80; });
    testsupport::adopt_level(game.level, *level);
    game.AddParticle(new Ammunition::Dirt(nullptr, &game, &game.level, 50.5f, 70.0f, -PI / 2));
    auto* rocket = new Ammunition::Rocket(nullptr, &game, &game.level, 150.5f, -60.0f, 0.0f);
    rocket->OnCollision(nullptr);
    game.AddParticle(rocket);
    const unsigned long whole = game.level.WholeRecompositions();
    const unsigned long revision = game.level.Revision();
    int reported = 0;
    for (int i = 0; i < 40; ++i) {
        game.Logic(kDt);
        reported += static_cast<bool>(game.terrain_changed);
    }
    EXPECT_GE(reported, 2);                           // the landing and the blast
    EXPECT_EQ(revision + 2, game.level.Revision());   // the clod's dirt and paint only
    EXPECT_EQ(whole, game.level.WholeRecompositions());
    const std::uint64_t shown = bitmap_digest(game.level.render);
    game.level.Update();
    EXPECT_EQ(shown, bitmap_digest(game.level.render));
}

// The grid alone, against every pair tested directly: it never misses an overlapping
// later entry, lists them in table order, and leaves most distant ones out.
TEST(PairPass, CandidatesHoldEveryOverlappingLaterEntryInTableOrder) {
    Game game(640, 480);
    std::mt19937 rng(11);
    auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
    for (int i = 0; i < 400; ++i) {
        // Mostly small, some as large as a blast, one far away.
        float radius = static_cast<float>(pick(0, 40)) / 10.0f;
        if (i % 37 == 0) radius = static_cast<float>(pick(8, 30));
        auto* p = new Probe(&game, nullptr, "p", static_cast<float>(pick(-40, 700)), radius);
        p->SetPosition(p->x, static_cast<float>(i == 300 ? 900000 : pick(-50, 400)));
        game.AddParticle(p);
    }
    PairPass pass(game);
    pass.Begin(true);
    std::vector<std::size_t> got;
    std::size_t listed = 0, pairs = 0;
    for (std::size_t i = 0; i < game.particles.size(); ++i) {
        Particle* a = game.particles[i];
        if (!a) continue;
        pass.Candidates(i, *a->bound, &got);
        EXPECT_TRUE(std::is_sorted(got.begin(), got.end())) << i;
        for (std::size_t j = i + 1; j < game.particles.size(); ++j) {
            Particle* b = game.particles[j];
            if (!b || !clgo_circles_overlap(a->bound, b->bound)) continue;
            ++pairs;
            EXPECT_NE(std::find(got.begin(), got.end(), j), got.end()) << i << " misses " << j;
        }
        for (std::size_t j : got) EXPECT_GT(j, i);
        listed += got.size();
    }
    EXPECT_GT(pairs, 25u);
    // Far fewer than the 80,000 later entries a plain pass would look at.
    EXPECT_LT(listed, 8000u);

    // Newcomers are looked at once added.
    std::size_t at[2];
    for (int k = 0; k < 2; ++k) {
        auto* late = new Probe(&game, nullptr, "late", 5000.0f + k, 2.0f - k);
        game.AddParticle(late);
        at[k] = static_cast<std::size_t>(
            std::find(game.particles.begin(), game.particles.end(), late) - game.particles.begin());
        pass.Added(at[k]);
    }
    pass.Candidates(std::min(at[0], at[1]), *game.particles[std::min(at[0], at[1])]->bound, &got);
    EXPECT_EQ(std::vector<std::size_t>{std::max(at[0], at[1])}, got);
}

}  // namespace
