#include "inventory/weapon.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "ammunition/ammunition.h"
#include "collision/clgo.h"
#include "game/game.h"
#include "base/random.h"
#include "input/input_handler.h"
#include "input/scripted_input.h"
#include "level/level.h"
#include "player/player.h"
#include "support/game_support.h"
#include "support/test_support.h"

using testsupport::live;
using testsupport::live_count;

namespace {

constexpr double kStep = testsupport::kStepDt;

// A game whose level is open air above a floor from row 200 down.
class WeaponWorld : public ::testing::Test {
protected:
    static constexpr int kW = 400, kH = 260, kFloor = 200;

    WeaponWorld() {
        testsupport::adopt_level(game.level,
                                 *testsupport::make_level(kW, kH, [](int, int y) { return y >= kFloor; }));
        seed_random(4242);
    }

    Game game{640, 480};
};

float angle_of(const Particle& p) { return std::atan2(-p.vy, p.vx); }
float speed_of(const Particle& p) { return std::hypot(p.vx, p.vy); }

// ---------------------------------------------------------------------------------------
// Creation, ownership and ammunition

struct Kind {
    const char* name;
    Inventory::Weapon* (*make)(Game*, Level*);
    double reload;
    int ammo;
    int max_ammo;
};

template <class W>
Inventory::Weapon* make(Game* g, Level* l) {
    return new W(g, l);
}

const Kind kKinds[] = {
    {"Pistol", make<Inventory::Pistol>, 1.0, 50, 100},
    {"Shotgun", make<Inventory::Shotgun>, 1.0, 20, 40},
    {"Rockets", make<Inventory::RocketLauncher>, 1.0, 10, 30},
    {"Flak", make<Inventory::FlakCannon>, 1.0, 10, 30},
    {"Dirt", make<Inventory::DirtCannon>, 0.05, 500, 1000},
};

TEST_F(WeaponWorld, EachKindStartsAsAnOwnerlessPickupWithItsTableValues) {
    for (const Kind& kind : kKinds) {
        std::unique_ptr<Inventory::Weapon> w(kind.make(&game, &game.level));
        SCOPED_TRACE(kind.name);
        EXPECT_STREQ(kind.name, weapon_name(w.get()));
        EXPECT_EQ(nullptr, w->owner);
        EXPECT_EQ(kind.reload, w->reload_time);
        EXPECT_EQ(0.0, w->cooldown);
        EXPECT_EQ(kind.ammo, w->ammo);
        EXPECT_EQ(kind.max_ammo, w->max_ammo);
        EXPECT_EQ(PC_Normal, w->control);
        EXPECT_EQ(4.0f, w->bound->radius);
        EXPECT_EQ(0.0f, w->x);
        EXPECT_EQ(0.0f, w->y);
        EXPECT_FALSE(w->dead);
        EXPECT_FALSE(w->detached);
    }
}

TEST_F(WeaponWorld, SetOwnerRecordsTheHolderAndDetachesFromTheTable) {
    Player holder(&game, &game.level, 1);
    Inventory::Shotgun w(&game, &game.level);
    w.SetOwner(&holder);
    EXPECT_EQ(&holder, w.owner);
    EXPECT_TRUE(w.detached);
    EXPECT_FALSE(w.dead);
}

TEST_F(WeaponWorld, MergeAddsTheOthersRoundsUpToTheLimit) {
    Inventory::Pistol held(&game, &game.level), pickup(&game, &game.level);
    held.ammo = 80;
    held.Merge(&pickup);
    EXPECT_EQ(100, held.ammo);  // 130 capped
    EXPECT_EQ(50, pickup.ammo);  // the caller disposes of the pickup

    held.ammo = 10;
    held.Merge(&pickup);
    EXPECT_EQ(60, held.ammo);

    Inventory::DirtCannon dirt(&game, &game.level), more(&game, &game.level);
    dirt.ammo = 499;
    dirt.Merge(&more);
    EXPECT_EQ(999, dirt.ammo);
    dirt.Merge(&more);
    EXPECT_EQ(1000, dirt.ammo);
}

TEST_F(WeaponWorld, APistolFiresFiftyTimesThenReportsFalseAndAnotherPistolRefillsIt) {
    Inventory::Pistol pistol(&game, &game.level);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(pistol.Fire(100, 100, 0.0f)) << "shot " << i;
        EXPECT_EQ(49 - i, pistol.ammo);
    }
    EXPECT_EQ(50u, live<Ammunition::PistolShot>(game).size());
    EXPECT_FALSE(pistol.Fire(100, 100, 0.0f));
    EXPECT_EQ(0, pistol.ammo);
    EXPECT_EQ(50u, live_count(game));  // nothing was created by the empty weapon

    Inventory::Pistol pickup(&game, &game.level);
    pistol.Merge(&pickup);
    EXPECT_EQ(50, pistol.ammo);
    EXPECT_TRUE(pistol.Fire(100, 100, 0.0f));
}

TEST_F(WeaponWorld, AnEmptyWeaponDrawsNothingFromTheRandomSource) {
    Inventory::DirtCannon dirt(&game, &game.level);
    dirt.ammo = 0;
    seed_random(77);
    EXPECT_FALSE(dirt.Fire(50, 50, 0.0f));
    const int next = random15();
    seed_random(77);
    EXPECT_EQ(random15(), next);
}

// ---------------------------------------------------------------------------------------
// Shots and their spread

TEST_F(WeaponWorld, OneShotgunRoundMakesTwelvePelletsAtTheMuzzleWithinTheSpread) {
    Player holder(&game, &game.level, 1);
    Inventory::Shotgun gun(&game, &game.level);
    gun.SetOwner(&holder);
    const float aim = 0.4f;
    seed_random(99);
    ASSERT_TRUE(gun.Fire(120.5f, 80.25f, aim));
    EXPECT_EQ(19, gun.ammo);

    auto pellets = live<Ammunition::BirdShot>(game);
    ASSERT_EQ(12u, pellets.size());
    EXPECT_EQ(12u, live_count(game));
    for (Ammunition::BirdShot* p : pellets) {
        EXPECT_EQ(120.5f, p->x);
        EXPECT_EQ(80.25f, p->y);
        EXPECT_EQ(&holder, p->owner);
        EXPECT_LE(std::fabs(angle_of(*p) - aim), 0.0654498469 + 1e-5);
        EXPECT_GE(speed_of(*p), 600.0f - 0.01f);
        EXPECT_LT(speed_of(*p), 800.0f + 0.01f);
    }

    // Per pellet the spread is drawn first, then the pellet's own speed.
    seed_random(99);
    std::vector<std::pair<float, float>> expected, got;
    for (int i = 0; i < 12; ++i) {
        const float a = static_cast<float>(aim + (rand01() - 0.5) * 0.13089969390833334);
        const double s = 600.0 + 200.0 * rand01();
        expected.emplace_back(static_cast<float>(std::cos(double(a)) * s),
                              static_cast<float>(-(std::sin(double(a)) * s)));
    }
    for (Ammunition::BirdShot* p : pellets) got.emplace_back(p->vx, p->vy);
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    for (int i = 0; i < 12; ++i) {
        EXPECT_FLOAT_EQ(expected[i].first, got[i].first);
        EXPECT_FLOAT_EQ(expected[i].second, got[i].second);
    }
}

TEST_F(WeaponWorld, PistolShotsAndClodsScatterWithinTheirCones) {
    Inventory::Pistol pistol(&game, &game.level);
    Inventory::DirtCannon dirt(&game, &game.level);
    const float aim = -0.3f;
    float pistol_lo = 1, pistol_hi = -1, dirt_lo = 1, dirt_hi = -1;
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(pistol.Fire(100, 100, aim));
        ASSERT_TRUE(dirt.Fire(100, 100, aim));
    }
    for (auto* s : live<Ammunition::PistolShot>(game)) {
        const float off = angle_of(*s) - aim;
        pistol_lo = std::min(pistol_lo, off);
        pistol_hi = std::max(pistol_hi, off);
        EXPECT_GE(speed_of(*s), 600.0f - 0.01f);
        EXPECT_LT(speed_of(*s), 800.0f + 0.01f);
    }
    for (auto* c : live<Ammunition::Dirt>(game)) {
        const float off = angle_of(*c) - aim;
        dirt_lo = std::min(dirt_lo, off);
        dirt_hi = std::max(dirt_hi, off);
        EXPECT_GE(speed_of(*c), 350.0f - 0.01f);
        EXPECT_LT(speed_of(*c), 450.0f + 0.01f);
    }
    EXPECT_GE(pistol_lo, -0.1308996939 - 1e-5);
    EXPECT_LE(pistol_hi, 0.1308996939 + 1e-5);
    EXPECT_GE(dirt_lo, -0.5235987756 - 1e-5);
    EXPECT_LE(dirt_hi, 0.5235987756 + 1e-5);
    // Forty draws spread over most of each cone, on both sides of the aim.
    EXPECT_LT(pistol_lo, -0.06);
    EXPECT_GT(pistol_hi, 0.06);
    EXPECT_LT(dirt_lo, -0.25);
    EXPECT_GT(dirt_hi, 0.25);
}

TEST_F(WeaponWorld, RocketsAndFlakLeaveExactlyAlongTheAimWithoutRandomDraws) {
    Inventory::RocketLauncher launcher(&game, &game.level);
    Inventory::FlakCannon cannon(&game, &game.level);
    const float aim = 2.3f;
    seed_random(5);
    ASSERT_TRUE(launcher.Fire(30, 40, aim));
    ASSERT_TRUE(cannon.Fire(30, 40, aim));
    const int next = random15();
    seed_random(5);
    EXPECT_EQ(random15(), next);

    EXPECT_EQ(9, launcher.ammo);
    EXPECT_EQ(9, cannon.ammo);
    auto rockets = live<Ammunition::Rocket>(game);
    auto shells = live<Ammunition::Flak>(game);
    ASSERT_EQ(1u, rockets.size());
    ASSERT_EQ(1u, shells.size());
    for (Particle* p : {static_cast<Particle*>(rockets[0]), static_cast<Particle*>(shells[0])}) {
        EXPECT_EQ(30.0f, p->x);
        EXPECT_EQ(40.0f, p->y);
        EXPECT_FLOAT_EQ(static_cast<float>(std::cos(double(aim)) * 400.0), p->vx);
        EXPECT_FLOAT_EQ(static_cast<float>(-(std::sin(double(aim)) * 400.0)), p->vy);
    }
}

// ---------------------------------------------------------------------------------------
// Names and the random drop

class Stick : public Inventory::Weapon {
public:
    Stick(Game* g, Level* l) : Weapon(g, l, 1.0, 1, 1) {}
    void Draw(BITMAP*, int, int) const override {}
    bool Fire(float, float, float) override { return false; }
};

TEST_F(WeaponWorld, NamesGoByTheExactType) {
    Stick stick(&game, &game.level);
    EXPECT_STREQ("Unknown", weapon_name(&stick));
    EXPECT_STREQ("Unknown", weapon_name(nullptr));
}

TEST_F(WeaponWorld, RandomWeaponPicksByFifthsOfOneDraw) {
    const unsigned seed = 20240601;
    seed_random(seed);
    std::vector<double> draws;
    for (int i = 0; i < 400; ++i) draws.push_back(rand01());

    seed_random(seed);
    for (double u : draws) {
        std::unique_ptr<Inventory::Weapon> w(random_weapon(&game, &game.level));
        const char* expected = u < 0.2   ? "Pistol"
                               : u < 0.4 ? "Rockets"
                               : u < 0.6 ? "Flak"
                               : u < 0.8 ? "Dirt"
                                         : "Shotgun";
        ASSERT_STREQ(expected, weapon_name(w.get())) << "u = " << u;
        EXPECT_EQ(nullptr, w->owner);
        EXPECT_EQ(&game, w->game);
        EXPECT_EQ(&game.level, w->level);
    }
}

TEST_F(WeaponWorld, RandomWeaponIsAboutUniform) {
    seed_random(31337);
    std::map<std::string, int> counts;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        std::unique_ptr<Inventory::Weapon> w(random_weapon(&game, &game.level));
        ++counts[weapon_name(w.get())];
    }
    ASSERT_EQ(5u, counts.size());
    for (const auto& entry : counts) {
        EXPECT_GT(entry.second, n / 5 - 400) << entry.first;
        EXPECT_LT(entry.second, n / 5 + 400) << entry.first;
    }
}

// ---------------------------------------------------------------------------------------
// The pickup letter

TEST_F(WeaponWorld, APickupIsItsLetterInWhiteOnBlack) {
    const char* letters[] = {"P", "S", "L", "F", "D"};
    const int white = makecol(255, 255, 255), black = makecol(0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        std::unique_ptr<Inventory::Weapon> w(kKinds[i].make(&game, &game.level));
        w->SetPosition(130.7f, 70.9f);
        testsupport::Bitmap got(64, 48, makecol(10, 20, 30)), want(64, 48, makecol(10, 20, 30));
        w->Draw(got, 100, 50);
        // trunc(130.7) - 100 - 2 = 28, trunc(70.9) - 50 - 8 = 12
        textout_ex(want, font, letters[i], 28, 12, white, black);
        EXPECT_EQ("", testsupport::bitmap_difference(got, want)) << letters[i];
        int whites = 0, blacks = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                whites += getpixel(got, x, y) == white;
                blacks += getpixel(got, x, y) == black;
            }
        EXPECT_GT(whites, 4) << letters[i];
        EXPECT_GT(blacks, 4) << letters[i];
    }
}

// ---------------------------------------------------------------------------------------
// Rates of fire through the player and the logic step

class FiringRate : public WeaponWorld {
protected:
    FiringRate() {
        shooter = &testsupport::add_player(
            game, 1, new ScriptedInput([](std::size_t) { return int(ACT_FIRE); }));
        shooter->Respawn();
        shooter->SetPosition(60, 189);  // standing on the floor, aiming right
        game.step_dt = kStep;
    }

    // Steps with fire held; the steps in which a round left the current weapon.
    std::vector<int> run(int steps, Inventory::Weapon* weapon) {
        std::vector<int> fired;
        for (int i = 0; i < steps; ++i) {
            const int before = weapon->ammo;
            game.Logic(kStep);
            if (weapon->ammo < before) fired.push_back(i);
        }
        return fired;
    }

    Player* shooter = nullptr;
};

TEST_F(FiringRate, ADirtCannonHeldDownFiresEveryThirdStepAndRunsDryAfter500) {
    auto* cannon = new Inventory::DirtCannon(&game, &game.level);
    testsupport::hand_over(*shooter, cannon);
    const std::vector<int> fired = run(1510, cannon);
    ASSERT_EQ(500u, fired.size());
    for (std::size_t i = 0; i < fired.size(); ++i) ASSERT_EQ(int(3 * i), fired[i]) << i;
    EXPECT_EQ(0, cannon->ammo);
    // Empty, the cannon handed over to the pistol before it.
    EXPECT_EQ(shooter->weapons.begin(), shooter->current_weapon);
}

TEST_F(FiringRate, APistolHeldDownFiresOnceEverySixtySteps) {
    Inventory::Weapon* pistol = *shooter->current_weapon;
    const std::vector<int> fired = run(181, pistol);
    EXPECT_EQ((std::vector<int>{0, 60, 120, 180}), fired);
    EXPECT_EQ(46, pistol->ammo);
}

}  // namespace
