#include "ammunition/ammunition.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <typeinfo>
#include <utility>
#include <vector>

#include "collision/clgo.h"
#include "game/game.h"
#include "base/random.h"
#include "input/input_handler.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "level/level.h"
#include "player/player.h"
#include "support/game_support.h"
#include "support/test_support.h"

using testsupport::live;

namespace {

constexpr double kStep = testsupport::kStepDt;
constexpr float kPi = 3.1415926538f;

// Open air above a floor from row 200 down, closed on the right by a wall from column 900.
constexpr int kW = 1000, kH = 260, kFloor = 200, kWall = 900;
bool default_terrain(int x, int y) { return y >= kFloor || x >= kWall; }

class World : public ::testing::Test {
protected:
    World() {
        testsupport::adopt_level(game.level, *testsupport::make_level(kW, kH, default_terrain));
        game.step_dt = kStep;
        seed_random(1234);
    }

    // A player in the game's list and table, without weapons, driven by `script`.
    Player& player(int number, float x, float y, std::vector<int> script = {}) {
        Player& p = testsupport::add_player(game, number, new ScriptedInput(std::move(script)));
        p.SetPosition(x, y);
        return p;
    }

    template <class T>
    T* add(T* p) {
        game.AddParticle(p);
        return p;
    }

    void steps(int n) {
        for (int i = 0; i < n; ++i) game.Logic(kStep);
    }

    Game game{640, 480};
};

// The level as the test started it, changed only by what the test asks for.
std::unique_ptr<Level> reference_level() {
    return testsupport::make_level(kW, kH, default_terrain);
}

// Seeds for repeated trials. Neighbouring small seeds give nearly the same first draw, so
// they are spread over the whole range.
unsigned trial_seed(unsigned i) { return i * 2654435761u + 12345u; }

// A seed whose first raw draw is the largest, 32767.
unsigned seed_for_top_draw() {
    for (unsigned s = 0;; ++s) {
        seed_random(s);
        if (random15() == 32767) return s;
    }
}

// True when the random source hands out exactly `draws` values between `seed` and now.
::testing::AssertionResult drew(unsigned seed, int draws) {
    const int next = random15();
    seed_random(seed);
    for (int i = 0; i < draws; ++i) random15();
    if (random15() == next) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the source was not advanced by " << draws;
}

float speed_of(const Particle& p) { return std::hypot(p.vx, p.vy); }

// ---------------------------------------------------------------------------------------
// Pistol shots and pellets

using ShotTest = World;

TEST_F(ShotTest, AShotFiredLevelDropsAboutThirtyPixelsInOneSecond) {
    Ammunition::PistolShot shot(nullptr, &game, &game.level, 5.0f, 50.0f, 0.0f);
    Ammunition::BirdShot pellet(nullptr, &game, &game.level, 5.0f, 80.0f, 0.0f);
    const float shot_speed = shot.vx, pellet_speed = pellet.vx;
    for (int i = 0; i < 60; ++i) {
        EXPECT_FALSE(shot.Update(kStep));
        EXPECT_FALSE(pellet.Update(kStep));
    }
    // Net 60 px/s^2 downwards; the explicit step gives 60 * dt^2 * (0 + 1 + ... + 59).
    EXPECT_NEAR(29.5, shot.y - 50.0f, 0.05);
    EXPECT_NEAR(29.5, pellet.y - 80.0f, 0.05);
    EXPECT_NEAR(60.0, shot.vy, 0.01);
    EXPECT_NEAR(shot_speed * 60 * kStep, shot.x - 5.0f, 0.05);
    EXPECT_NEAR(pellet_speed * 60 * kStep, pellet.x - 5.0f, 0.05);
    EXPECT_FALSE(shot.dead);
    EXPECT_FALSE(pellet.dead);
}

TEST_F(ShotTest, AShotThatMeetsNothingVanishesAfterTwoSecondsWithoutEffect) {
    auto* shot = add(new Ammunition::PistolShot(nullptr, &game, &game.level, 500, 150, kPi / 2));
    auto* pellet = add(new Ammunition::BirdShot(nullptr, &game, &game.level, 520, 150, kPi / 2));
    for (int i = 0; i < 119; ++i) {
        shot->Update(kStep);
        pellet->Update(kStep);
    }
    EXPECT_FALSE(shot->dead);
    EXPECT_FALSE(pellet->dead);
    EXPECT_LT(shot->y, 0.0f);  // high above the level, where nothing stops it
    shot->Update(kStep);
    pellet->Update(kStep);
    EXPECT_TRUE(shot->dead);  // 120 steps make a little more than 2 s
    EXPECT_TRUE(pellet->dead);
    EXPECT_FALSE(game.terrain_changed);
    auto untouched = reference_level();
    EXPECT_EQ("", testsupport::bitmap_difference(game.level.mask, untouched->mask));
}

TEST_F(ShotTest, AShotIntoTheGroundLeavesAHoleOfItsRadius) {
    struct Case {
        Particle* shot;
        int radius;
    };
    auto* shot = add(new Ammunition::PistolShot(nullptr, &game, &game.level, 300.5f, 150, -kPi / 2));
    auto* pellet = add(new Ammunition::BirdShot(nullptr, &game, &game.level, 600.5f, 150, -kPi / 2));
    for (Case c : {Case{shot, 2}, Case{pellet, 1}}) {
        for (int i = 0; i < 30 && !c.shot->dead; ++i) c.shot->Update(kStep);
        ASSERT_TRUE(c.shot->dead);
        // Stopped on the floor, or a pixel short when its last move ended just above it.
        EXPECT_GE(static_cast<int>(c.shot->y), kFloor - 1);
        EXPECT_LE(static_cast<int>(c.shot->y), kFloor);
    }
    EXPECT_TRUE(game.terrain_changed);

    auto expected = reference_level();
    expected->Dig(static_cast<int>(shot->x), static_cast<int>(shot->y), 2);
    expected->Dig(static_cast<int>(pellet->x), static_cast<int>(pellet->y), 1);
    EXPECT_EQ("", testsupport::bitmap_difference(game.level.mask, expected->mask));
    // The hole is really there: the impact pixel and the rim are air, beyond it is not.
    const int x = static_cast<int>(shot->x);
    EXPECT_FALSE(game.level.IsSolid(x, kFloor));
    EXPECT_FALSE(game.level.IsSolid(x, kFloor + 2));
    EXPECT_TRUE(game.level.IsSolid(x, kFloor + 3));
    EXPECT_TRUE(game.level.IsSolid(x + 3, kFloor));
}

TEST_F(ShotTest, AnyOtherObjectSpendsTheShot) {
    Inventory::Pistol pickup(&game, &game.level);
    Ammunition::Rocket rocket(nullptr, &game, &game.level, 100, 100, 0.0f);
    Ammunition::PistolShot a(nullptr, &game, &game.level, 100, 100, 0.0f);
    Ammunition::BirdShot b(nullptr, &game, &game.level, 100, 100, 0.0f);
    a.OnCollision(&pickup);
    b.OnCollision(&rocket);
    EXPECT_TRUE(a.dead);
    EXPECT_TRUE(b.dead);
    EXPECT_FALSE(pickup.dead);
    EXPECT_EQ(Ammunition::STAGE_FLYING, rocket.stage);
    EXPECT_FALSE(game.terrain_changed);
}

TEST_F(ShotTest, ShotsDealEightToElevenAndPelletsTwoToFour) {
    Player& victim = player(1, 500, 100);
    std::set<int> shot_blows, pellet_blows;
    for (unsigned seed = 0; seed < 300; ++seed) {
        seed_random(trial_seed(seed));
        Ammunition::PistolShot shot(nullptr, &game, &game.level, 490, 100, 0.0f);
        Ammunition::BirdShot pellet(nullptr, &game, &game.level, 490, 100, 0.0f);
        victim.health = 100;
        shot.OnCollision(&victim);
        shot_blows.insert(static_cast<int>(100 - victim.health));
        victim.health = 100;
        pellet.OnCollision(&victim);
        pellet_blows.insert(static_cast<int>(100 - victim.health));
    }
    EXPECT_EQ((std::set<int>{8, 9, 10, 11}), shot_blows);
    EXPECT_EQ((std::set<int>{2, 3, 4}), pellet_blows);

    // The largest draw stays below 1: never 12, never 5.
    const unsigned top = seed_for_top_draw();
    Ammunition::PistolShot shot(nullptr, &game, &game.level, 490, 100, 0.0f);
    Ammunition::BirdShot pellet(nullptr, &game, &game.level, 490, 100, 0.0f);
    victim.health = 100;
    seed_random(top);
    shot.OnCollision(&victim);
    EXPECT_EQ(89.0f, victim.health);
    victim.health = 100;
    seed_random(top);
    pellet.OnCollision(&victim);
    EXPECT_EQ(96.0f, victim.health);
}

TEST_F(ShotTest, AShotThatDestroysAPlayerCountsForTheShooter) {
    Player& shooter = player(1, 50, 189, {ACT_FIRE});
    Player& victim = player(2, 100, 189);
    testsupport::hand_over(shooter, new Inventory::Pistol(&game, &game.level));
    victim.health = 8;
    steps(12);
    EXPECT_EQ(1, shooter.kills);
    EXPECT_EQ(0, shooter.deaths);
    EXPECT_EQ(1, victim.deaths);
    EXPECT_EQ(0, victim.kills);
    EXPECT_EQ(0.0f, victim.health);
    EXPECT_EQ(PA_Dead, victim.action);
    EXPECT_TRUE(live<Ammunition::PistolShot>(game).empty());
}

TEST_F(ShotTest, AShotWithoutAnOwnerStillHurts) {
    Player& victim = player(1, 500, 100);
    victim.health = 1;
    Ammunition::PistolShot shot(nullptr, &game, &game.level, 490, 100, 0.0f);
    shot.OnCollision(&victim);
    EXPECT_EQ(1, victim.deaths);
}

// ---------------------------------------------------------------------------------------
// Rockets

class RocketTest : public World {
protected:
    // A rocket exploding in the air at (500, 100), in the table.
    Ammunition::Rocket* exploding(Player* owner = nullptr) {
        auto* r = add(new Ammunition::Rocket(owner, &game, &game.level, 500, 100, 0.0f));
        r->OnCollision(nullptr);
        return r;
    }
    // Takes `p` out of the table and deletes it, as the step would once it is dead.
    void discard(Particle* p) {
        for (Particle*& entry : game.particles)
            if (entry == p) {
                entry = nullptr;
                game.free_slots.push_back(&entry);
            }
        delete p;
    }
    // Updates until the blast; the number of updates it took.
    int until_blast(Particle* p) {
        for (int i = 1; i <= 60; ++i)
            if (p->Update(kStep)) return i;
        return -1;
    }
};

TEST_F(RocketTest, FlightFallsAtNinetyAndAWallStopsItAtOnce) {
    auto* rocket = add(new Ammunition::Rocket(nullptr, &game, &game.level, 850, 100, 0.0f));
    EXPECT_EQ(400.0f, rocket->vx);
    for (int i = 0; i < 5; ++i) rocket->Update(kStep);
    EXPECT_NEAR(90 * 5 * kStep, rocket->vy, 1e-3);
    EXPECT_EQ(Ammunition::STAGE_FLYING, rocket->stage);
    for (int i = 0; i < 10 && rocket->stage == Ammunition::STAGE_FLYING; ++i)
        rocket->Update(kStep);
    ASSERT_EQ(Ammunition::STAGE_EXPLODING, rocket->stage);
    EXPECT_EQ(kWall, static_cast<int>(rocket->x));
    EXPECT_EQ(PC_None, rocket->control);
    EXPECT_EQ(0.0f, rocket->vx);
    EXPECT_EQ(0.0f, rocket->vy);
    const float x = rocket->x, y = rocket->y;
    rocket->Update(kStep);
    EXPECT_EQ(x, rocket->x);
    EXPECT_EQ(y, rocket->y);

    Ammunition::Flak shell(nullptr, &game, &game.level, 100, 50, 0.0f);
    for (int i = 0; i < 5; ++i) shell.Update(kStep);
    EXPECT_NEAR(270 * 5 * kStep, shell.vy, 1e-3);
}

TEST_F(RocketTest, TheBlastComesOnceAfterAQuarterSecondAndTheRocketGoesAfterHalf) {
    auto* rocket = add(new Ammunition::Rocket(nullptr, &game, &game.level, 400.5f, 190, -kPi / 2));
    for (int i = 0; i < 5 && rocket->stage == Ammunition::STAGE_FLYING; ++i)
        rocket->Update(kStep);  // into the floor
    ASSERT_EQ(Ammunition::STAGE_EXPLODING, rocket->stage);
    const int cx = static_cast<int>(rocket->x), cy = static_cast<int>(rocket->y);
    EXPECT_EQ(kFloor, cy);
    EXPECT_TRUE(game.level.IsSolid(cx, cy + 5));

    int blasts = 0;
    double at_blast = -1, at_death = -1;
    for (int i = 0; i < 60 && !rocket->dead; ++i) {
        const double before = rocket->stage_time;
        if (rocket->Update(kStep)) {
            ++blasts;
            at_blast = rocket->stage_time;
            EXPECT_LE(before, 0.25);
        }
        if (rocket->dead) {
            at_death = rocket->stage_time;
            EXPECT_LE(before, 0.5);
        }
    }
    EXPECT_EQ(1, blasts);
    EXPECT_GT(at_blast, 0.25);
    EXPECT_GT(at_death, 0.5);
    EXPECT_TRUE(rocket->burst);
    EXPECT_EQ(30.0f, rocket->bound->radius);

    auto expected = reference_level();
    expected->Dig(cx, cy, 30);
    EXPECT_EQ("", testsupport::bitmap_difference(game.level.mask, expected->mask));
    EXPECT_FALSE(game.level.IsSolid(cx, cy + 29));
}

TEST_F(RocketTest, BlastDamageFadesToNothingAtThirtyPixels) {
    Player& near = player(1, 515, 100);  // 15 px
    Player& rim = player(2, 500, 130);   // 30 px
    Player& out = player(3, 465, 100);   // 35 px: the circles overlap, the blast misses
    Player& body = player(4, 505, 100);  // a dead body is skipped
    body.health = 0;
    body.control = PC_None;
    Inventory::Shotgun* pickup = add(new Inventory::Shotgun(&game, &game.level));
    pickup->SetPosition(510, 100);

    std::set<int> blows;
    for (unsigned seed = 0; seed < 300; ++seed) {
        near.health = rim.health = out.health = 100;
        auto* rocket = exploding();
        seed_random(trial_seed(seed));
        // The first update past 0.25 s: 15 * 0.0166666675 s.
        ASSERT_EQ(15, until_blast(rocket));
        // One draw for each player within reach, none for the others.
        EXPECT_TRUE(drew(trial_seed(seed), 2));
        blows.insert(static_cast<int>(100 - near.health));
        EXPECT_EQ(100.0f, rim.health);
        EXPECT_EQ(100.0f, out.health);
        EXPECT_EQ(0.0f, body.health);
        EXPECT_FALSE(pickup->dead);
        discard(rocket);
    }
    EXPECT_EQ(44, *blows.rbegin());
    EXPECT_EQ(37, *blows.begin());
    for (int b : blows) {
        EXPECT_GE(b, 37);
        EXPECT_LE(b, 44);
    }
}

TEST_F(RocketTest, ARocketHittingAPlayerDealsNoContactDamage) {
    Player& target = player(1, 500, 100);
    auto* rocket = add(new Ammunition::Rocket(nullptr, &game, &game.level, 490, 100, 0.0f));
    rocket->OnCollision(&target);
    EXPECT_EQ(100.0f, target.health);
    EXPECT_EQ(Ammunition::STAGE_EXPLODING, rocket->stage);
    EXPECT_EQ(PC_None, rocket->control);
    rocket->Update(kStep);
    rocket->Update(kStep);
    const double t = rocket->stage_time;
    rocket->OnCollision(&target);  // an exploding rocket ignores further contacts
    rocket->OnCollision(nullptr);
    EXPECT_EQ(t, rocket->stage_time);
    EXPECT_EQ(100.0f, target.health);
    until_blast(rocket);
    // d = 10: trunc(k * 20 / 30) for k in 75 .. 89, at most 59.
    EXPECT_LE(target.health, 51.0f);
    EXPECT_GE(target.health, 41.0f);
}

TEST_F(RocketTest, APlayerKilledByHisOwnRocketIsCreditedWithTheKill) {
    Player& gunner = player(1, 300, 189, {ACT_FIRE});
    testsupport::hand_over(gunner, new Inventory::RocketLauncher(&game, &game.level));
    gunner.aim = -1.0471976f;  // down to the right, into the floor at his feet
    gunner.health = 30;
    steps(30);
    EXPECT_EQ(1, gunner.deaths);
    EXPECT_EQ(1, gunner.kills);
    EXPECT_EQ(PA_Dead, gunner.action);
}

// ---------------------------------------------------------------------------------------
// Flak shells and their splinters

class FlakTest : public RocketTest {};

TEST_F(FlakTest, ContactDamageOnlyWithinTenPixels) {
    Player& close = player(1, 506, 100);
    std::set<int> blows;
    for (unsigned seed = 0; seed < 200; ++seed) {
        close.health = 100;
        Ammunition::Flak shell(nullptr, &game, &game.level, 500, 100, 0.5f);
        seed_random(trial_seed(seed));
        shell.OnCollision(&close);
        blows.insert(static_cast<int>(100 - close.health));
        EXPECT_EQ(Ammunition::STAGE_EXPLODING, shell.stage);
    }
    EXPECT_EQ((std::set<int>{30, 31, 32, 33, 34, 35}), blows);

    Player& far = player(2, 512, 140);
    Ammunition::Flak shell(nullptr, &game, &game.level, 500, 140, 0.5f);
    seed_random(9);
    shell.OnCollision(&far);
    EXPECT_TRUE(drew(9, 0));
    EXPECT_EQ(100.0f, far.health);
    EXPECT_EQ(Ammunition::STAGE_EXPLODING, shell.stage);
    EXPECT_EQ(PC_None, shell.control);
    EXPECT_EQ(0.0f, shell.vx);
    EXPECT_EQ(0.0f, shell.vy);
}

TEST_F(FlakTest, TheShellBurstsOnceIntoFourteenSplinters) {
    auto* shell = add(new Ammunition::Flak(nullptr, &game, &game.level, 500.5f, 100.25f, 0.0f));
    shell->OnCollision(nullptr);
    seed_random(777);
    EXPECT_EQ(15, until_blast(shell));
    EXPECT_EQ(10.0f, shell->bound->radius);

    auto splinters = live<Ammunition::Flak::Shrapnel>(game);
    ASSERT_EQ(14u, splinters.size());
    std::vector<std::pair<float, float>> got, expected;
    for (auto* s : splinters) {
        EXPECT_EQ(500.5f, s->x);
        EXPECT_EQ(100.25f, s->y);
        EXPECT_GE(speed_of(*s), 199.99f);
        EXPECT_LE(speed_of(*s), 600.01f);
        got.emplace_back(s->vx, s->vy);
    }
    // Per splinter: the raw speed draw first, then the angle.
    seed_random(777);
    for (int i = 0; i < 14; ++i) {
        const float speed = static_cast<float>(200 + random15() * 0.012207403790398877);
        const float angle = static_cast<float>(2 * rand01() * 3.1415926538);
        expected.emplace_back(static_cast<float>(std::cos(double(angle)) * speed),
                              static_cast<float>(-(std::sin(double(angle)) * speed)));
    }
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    for (int i = 0; i < 14; ++i) {
        EXPECT_FLOAT_EQ(expected[i].first, got[i].first);
        EXPECT_FLOAT_EQ(expected[i].second, got[i].second);
    }

    // A contact during the explosion starts its clock again but brings no second burst.
    shell->OnCollision(splinters[0]);
    EXPECT_EQ(0.0, shell->stage_time);
    int updates = 0;
    while (!shell->dead && updates < 60) {
        EXPECT_FALSE(shell->Update(kStep));
        ++updates;
    }
    EXPECT_EQ(30, updates);  // the first update past 0.5 s
    EXPECT_EQ(14u, live<Ammunition::Flak::Shrapnel>(game).size());
}

TEST_F(FlakTest, ALastingContactCannotKeepTheExplosionAliveForEver) {
    // A pickup resting inside the circle of a shell that lies earlier in the table is
    // found in contact every step; each contact restarts the explosion's clock.
    auto* pickup = add(new Inventory::Pistol(&game, &game.level));
    pickup->SetPosition(400, kFloor - 5);
    auto* shell = add(new Ammunition::Flak(nullptr, &game, &game.level, 400, kFloor - 5, 0));
    ASSERT_LT(std::find(game.particles.begin(), game.particles.end(), shell),
              std::find(game.particles.begin(), game.particles.end(), pickup));
    shell->OnCollision(nullptr);
    steps(20);  // past 0.25 s of explosion
    EXPECT_TRUE(shell->burst);
    EXPECT_EQ(14u, live<Ammunition::Flak::Shrapnel>(game).size());
    steps(45);  // past one second of explosion
    EXPECT_TRUE(live<Ammunition::Flak>(game).empty());
}

TEST_F(FlakTest, ABurstThatOutgrowsTheTableInTheMiddleOfAStep) {
    // Eleven entries in use leave five free of sixteen: the burst makes the table grow
    // while the step walks it.
    for (int i = 0; i < 10; ++i)
        add(new Inventory::Pistol(&game, &game.level))->SetPosition(20.0f + 60 * i, 195);
    auto* shell = add(new Ammunition::Flak(nullptr, &game, &game.level, 800, 185, -kPi / 2));
    ASSERT_EQ(16u, game.particles.size());
    int step = 0;
    while (live<Ammunition::Flak::Shrapnel>(game).empty() && step < 40) {
        steps(1);
        ++step;
    }
    EXPECT_EQ(32u, game.particles.size());
    EXPECT_EQ(14u, live<Ammunition::Flak::Shrapnel>(game).size());
    EXPECT_EQ(1u, live<Ammunition::Flak>(game).size());
    EXPECT_TRUE(shell->burst);
    steps(60);
    EXPECT_TRUE(live<Ammunition::Flak>(game).empty());
    // Splinters thrown upwards come down a few seconds later.
    steps(400);
    EXPECT_TRUE(live<Ammunition::Flak::Shrapnel>(game).empty());
}

TEST_F(FlakTest, ASplinterHurtsAndStopsOnlyWithinFourPixels) {
    Player& grazed = player(1, 506, 100);
    Ammunition::Flak::Shrapnel passing(nullptr, &game, &game.level, 500, 100, 0.0f, 300.0f);
    seed_random(3);
    passing.OnCollision(&grazed);
    EXPECT_TRUE(drew(3, 0));
    EXPECT_EQ(100.0f, grazed.health);
    EXPECT_EQ(Ammunition::STAGE_FLYING, passing.stage);
    EXPECT_EQ(PC_Normal, passing.control);
    EXPECT_EQ(300.0f, passing.vx);

    Player& hit = player(2, 503, 150);
    std::set<int> blows;
    for (unsigned seed = 0; seed < 200; ++seed) {
        hit.health = 100;
        Ammunition::Flak::Shrapnel s(nullptr, &game, &game.level, 500, 150, 0.0f, 300.0f);
        seed_random(trial_seed(seed));
        s.OnCollision(&hit);
        blows.insert(static_cast<int>(100 - hit.health));
        EXPECT_EQ(Ammunition::STAGE_EXPLODING, s.stage);
        EXPECT_EQ(PC_None, s.control);
        EXPECT_EQ(0.0f, s.vx);
    }
    EXPECT_EQ((std::set<int>{18, 19, 20, 21, 22}), blows);  // trunc(k * 1 * 0.25), k 75..89
}

TEST_F(FlakTest, AShellsContactAndASplinterCreditTheKillToTheShooter) {
    Player& shooter = player(1, 100, 189);
    Player& hit = player(2, 506, 100);
    Player& splintered = player(3, 503, 150);
    hit.health = splintered.health = 1;
    Ammunition::Flak shell(&shooter, &game, &game.level, 500, 100, 0.5f);
    shell.OnCollision(&hit);
    Ammunition::Flak::Shrapnel splinter(&shooter, &game, &game.level, 500, 150, 0.0f, 300.0f);
    splinter.OnCollision(&splintered);
    EXPECT_EQ(1, hit.deaths);
    EXPECT_EQ(1, splintered.deaths);
    EXPECT_EQ(2, shooter.kills);
    EXPECT_EQ(0, hit.kills + splintered.kills);
}

TEST_F(FlakTest, SplintersPassEachOtherAndTheShellButStopAtAnythingElse) {
    Ammunition::Flak shell(nullptr, &game, &game.level, 500, 100, 0.0f);
    Ammunition::Flak::Shrapnel other(nullptr, &game, &game.level, 500, 100, 1.0f, 250.0f);
    Ammunition::Flak::Shrapnel s(nullptr, &game, &game.level, 500, 100, 0.0f, 250.0f);
    s.OnCollision(&other);
    s.OnCollision(&shell);
    EXPECT_EQ(Ammunition::STAGE_FLYING, s.stage);
    EXPECT_EQ(250.0f, s.vx);

    Inventory::Pistol pickup(&game, &game.level);
    Ammunition::PistolShot shot(nullptr, &game, &game.level, 500, 100, 0.0f);
    Ammunition::Rocket rocket(nullptr, &game, &game.level, 500, 100, 0.0f);
    for (Particle* obstacle : {static_cast<Particle*>(&pickup), static_cast<Particle*>(&shot),
                               static_cast<Particle*>(&rocket), static_cast<Particle*>(nullptr)}) {
        Ammunition::Flak::Shrapnel t(nullptr, &game, &game.level, 500, 100, 0.0f, 250.0f);
        t.OnCollision(obstacle);
        EXPECT_EQ(Ammunition::STAGE_EXPLODING, t.stage);
        EXPECT_EQ(0.0f, t.vx);
    }

    // A splinter's own blast is a crater of radius 4 and nothing more.
    auto* lone = add(new Ammunition::Flak::Shrapnel(nullptr, &game, &game.level, 200.5f, 195,
                                                    -kPi / 2, 300.0f));
    for (int i = 0; i < 5 && lone->stage == Ammunition::STAGE_FLYING; ++i) lone->Update(kStep);
    ASSERT_EQ(Ammunition::STAGE_EXPLODING, lone->stage);
    const int cx = static_cast<int>(lone->x), cy = static_cast<int>(lone->y);
    EXPECT_GT(until_blast(lone), 0);
    EXPECT_EQ(4.0f, lone->bound->radius);
    auto expected = reference_level();
    expected->Dig(cx, cy, 4);
    EXPECT_EQ("", testsupport::bitmap_difference(game.level.mask, expected->mask));
    EXPECT_EQ(1u, live<Ammunition::Flak::Shrapnel>(game).size());  // no splinters of its own
}

// ---------------------------------------------------------------------------------------
// Dirt clods

using DirtTest = World;

TEST_F(DirtTest, AClodPassesThroughAPlayerAndPilesADarkRedDiscWhereItLands) {
    Player& bystander = player(1, 306, 189);
    Player thrower(&game, &game.level, 9);
    // Just right of straight down, so that it cannot drift into the column on the left.
    auto* clod = add(new Ammunition::Dirt(&thrower, &game, &game.level, 300.5f, 120, -1.5707f));
    int contacts = 0;
    // Watch the clod meet the player on its way down.
    for (int i = 0; i < 60 && !live<Ammunition::Dirt>(game).empty(); ++i) {
        if (clod->Collides(&bystander)) ++contacts;
        steps(1);
        EXPECT_EQ(100.0f, bystander.health);
    }
    EXPECT_GT(contacts, 0);
    ASSERT_TRUE(live<Ammunition::Dirt>(game).empty());
    EXPECT_EQ(0, thrower.kills);

    // The clod stopped on the floor or just above it (its last move may end a pixel short).
    int top = 120;
    while (top < kH && !game.level.IsSolid(300, top)) ++top;
    const int cy = top + 2;
    EXPECT_GE(cy, kFloor - 1);
    EXPECT_LE(cy, kFloor);
    auto expected = reference_level();
    expected->AddDirt(300, cy, 2);
    circlefill(expected->foreground, 300, cy, 2, makecol(128, 0, 0));
    EXPECT_EQ("", testsupport::bitmap_difference(game.level.mask, expected->mask));
    EXPECT_EQ("", testsupport::bitmap_difference(game.level.foreground, expected->foreground));
    EXPECT_EQ(makecol(128, 0, 0), getpixel(game.level.foreground, 300, top));
}

TEST_F(DirtTest, AClodIgnoresOtherObjectsAndReportsTheTerrainWhereItStops) {
    Player target(&game, &game.level, 1);
    target.SetPosition(300, 100);
    target.health = 0.5f;  // a clod cannot finish anyone
    Inventory::Pistol pickup(&game, &game.level);
    Ammunition::Dirt clod(&target, &game, &game.level, 300, 100, 0.3f);
    const float vx = clod.vx, vy = clod.vy;
    clod.OnCollision(&target);
    clod.OnCollision(&pickup);
    EXPECT_EQ(0.5f, target.health);
    EXPECT_EQ(0, target.deaths);
    EXPECT_FALSE(clod.dead);
    EXPECT_EQ(vx, clod.vx);
    EXPECT_EQ(vy, clod.vy);

    Ammunition::Dirt falling(nullptr, &game, &game.level, 700.5f, 150, -kPi / 2);
    int updates = 0;
    bool touched = false;
    while (!falling.dead && updates < 30) {
        touched = falling.Update(kStep);
        ++updates;
        if (!falling.dead) {
            EXPECT_FALSE(touched);
        }
    }
    ASSERT_TRUE(falling.dead);
    EXPECT_TRUE(touched);
    // Stopped where it piled a disc of radius 2, then sank one pixel into it.
    const int column = static_cast<int>(falling.x);
    int top = 150;
    while (top < kH && !game.level.IsSolid(column, top)) ++top;
    EXPECT_LE(top, kFloor - 2);
    EXPECT_EQ(top + 2 + 1, static_cast<int>(falling.y));
    EXPECT_TRUE(game.terrain_changed);
}

TEST_F(DirtTest, AClodThrownAtASideSticksToItInsteadOfLivingOn) {
    // Thrown to the left from near the open left side: the side is a wall, and the clod
    // piles its disc against it where it hits, as against a wall of terrain. (It used to
    // fly on outside the level, sink through the floor and stay in the table for good.)
    add(new Ammunition::Dirt(nullptr, &game, &game.level, 20.5f, 150, kPi));
    for (int i = 0; i < 300 && !live<Ammunition::Dirt>(game).empty(); ++i) steps(1);
    ASSERT_TRUE(live<Ammunition::Dirt>(game).empty());
    int piled = 0, lowest = 0;
    for (int y = 0; y < kFloor; ++y)
        for (int x = 0; x <= 2; ++x)
            if (game.level.IsSolid(x, y)) {
                ++piled;
                lowest = y;
            }
    EXPECT_GT(piled, 0);
    EXPECT_LT(lowest, 170) << "piled near the height it was thrown at, not on the floor";
}

// ---------------------------------------------------------------------------------------
// Drawing

class Drawing : public World {
protected:
    Drawing() : bmp(create_bitmap(200, 120)) { clear_to_color(bmp, bg()); }
    ~Drawing() override { destroy_bitmap(bmp); }
    static int bg() { return makecol(1, 2, 3); }

    // The colour along the row through (cx, cy): set up to `r` pixels right of the
    // centre and not beyond.
    void expect_disc(int cx, int cy, int r, int colour) {
        for (int dx = 0; dx <= r; ++dx) EXPECT_EQ(colour, getpixel(bmp, cx + dx, cy)) << dx;
        EXPECT_EQ(bg(), getpixel(bmp, cx + r + 1, cy));
        EXPECT_EQ(colour, getpixel(bmp, cx, cy - r));
        EXPECT_EQ(bg(), getpixel(bmp, cx, cy - r - 1));
    }
    int coloured() const {
        int n = 0;
        for (int y = 0; y < bmp->h; ++y)
            for (int x = 0; x < bmp->w; ++x) n += getpixel(bmp, x, y) != bg();
        return n;
    }

    BITMAP* bmp;
};

TEST_F(Drawing, ShotsPelletsAndClodsAtTheirTruncatedPositions) {
    const int green = makecol(0, 255, 0);
    Ammunition::PistolShot shot(nullptr, &game, &game.level, 1040.9f, 520.9f, 0.0f);
    shot.Draw(bmp, 1000, 500);
    expect_disc(40, 20, 2, green);

    clear_to_color(bmp, bg());
    Ammunition::BirdShot pellet(nullptr, &game, &game.level, 1040.9f, 520.9f, 0.0f);
    pellet.Draw(bmp, 1000, 500);
    EXPECT_EQ(green, getpixel(bmp, 40, 20));
    EXPECT_EQ(1, coloured());

    clear_to_color(bmp, bg());
    Ammunition::Dirt clod(nullptr, &game, &game.level, 1040.9f, 520.9f, 0.0f);
    clod.Draw(bmp, 1000, 500);
    expect_disc(40, 20, 2, makecol(128, 0, 0));
}

TEST_F(Drawing, ExplosivesAreGreenInFlightAndASwellingRedDiscWhenExploding) {
    const int green = makecol(0, 255, 0), red = makecol(255, 0, 0);
    Ammunition::Rocket rocket(nullptr, &game, &game.level, 50, 50, 0.0f);
    Ammunition::Flak shell(nullptr, &game, &game.level, 150, 50, 0.0f);
    Ammunition::Flak::Shrapnel splinter(nullptr, &game, &game.level, 100, 100, 0.0f, 200.0f);
    rocket.Draw(bmp, 0, 0);
    shell.Draw(bmp, 0, 0);
    splinter.Draw(bmp, 0, 0);
    expect_disc(50, 50, 2, green);
    expect_disc(150, 50, 4, green);
    expect_disc(100, 100, 1, green);

    clear_to_color(bmp, bg());
    rocket.OnCollision(nullptr);
    shell.OnCollision(nullptr);
    splinter.OnCollision(nullptr);
    rocket.stage_time = 0.25;    // full size: 30
    shell.stage_time = 0.125;    // trunc(10 sin(PI / 4)) = 7
    splinter.stage_time = 0.45;  // trunc(4 sin(0.9 PI)) = 1
    rocket.Draw(bmp, 0, 0);
    shell.Draw(bmp, 0, 0);
    splinter.Draw(bmp, 0, 0);
    EXPECT_EQ(red, getpixel(bmp, 80, 50));
    EXPECT_EQ(bg(), getpixel(bmp, 81, 50));
    EXPECT_EQ(red, getpixel(bmp, 20, 50));
    EXPECT_EQ(bg(), getpixel(bmp, 19, 50));
    expect_disc(150, 50, 7, red);
    expect_disc(100, 100, 1, red);
}

}  // namespace
