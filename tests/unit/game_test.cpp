#include <allegro.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/random.h"
#include "input/scripted_input.h"
#include "level/level.h"
#include "particle/particle.h"
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
    void Draw(BITMAP* target, int ox, int oy) override {
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
    game.Logic(0.01666666753590107);
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
    const double standard = 0.01666666753590107;
    const Case cases[] = {
        {"", standard},
        {"[game]\nspeed = 1\n", standard},
        {"[game]\nspeed = 2.0\n", static_cast<double>(2.0f * (1.0f / 60.0f))},
        {"[game]\nspeed = 0\n", 0.0},
        {"[game]\nspeed = nan\n", standard},
        {"[game]\nspeed = inf\n", standard},
        {"[game]\nspeed = -1\n", standard},
        {"[game]\nspeed = fast\n", standard},
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
    auto solid = testsupport::make_level(64, 64, [](int, int) { return true; });
    // Borrow the bitmaps of a level that is solid everywhere.
    std::swap(game.level.mask, solid->mask);
    std::swap(game.level.foreground, solid->foreground);
    std::swap(game.level.background, solid->background);
    std::swap(game.level.render, solid->render);
    std::swap(game.level.bound, solid->bound);
    game.level.width = 64;
    game.level.height = 64;
    seed_random(3);
    game.SpawnWeapon();
    for (Particle* p : game.particles) EXPECT_EQ(nullptr, p);
}

}  // namespace
