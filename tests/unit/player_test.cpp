#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iomanip>
#include <iterator>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "ammunition/ammunition.h"
#include "collision/clgo.h"
#include "game/game.h"
#include "base/random.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "level/level.h"
#include "player/player.h"
#include "support/game_support.h"
#include "support/test_support.h"

namespace {

constexpr double kDt = 1.0 / 60.0;
constexpr int kW = 200;
constexpr int kH = 100;
constexpr int kGround = 60;  // top solid row of the flat test ground

using testsupport::Bitmap;
using testsupport::live;
using testsupport::live_count;
using testsupport::SolidFn;

std::unique_ptr<Level> terrain(const SolidFn& solid) {
    return testsupport::make_level(kW, kH, solid);
}

bool flat(int, int y) { return y >= kGround; }

bool masks_equal(const Level& a, const Level& b) {
    return testsupport::bitmap_difference(a.mask, b.mask).empty();
}

// Gives the player a weapon of kind W with `ammo` rounds and returns it.
template <class W>
W* give(Player& p, int ammo) {
    auto* w = new W(p.game, p.level);
    w->ammo = ammo;
    p.PickUp(w);
    return w;
}

class PlayerTest : public ::testing::Test {
protected:
    // Declared before the players so that it outlives them (projectiles keep pointers).
    Game game{640, 480};
    std::unique_ptr<Level> flat_level = terrain(flat);
};

}  // namespace

// ---- walking ---------------------------------------------------------------------------

TEST_F(PlayerTest, StartsUnplacedAndUnarmed) {
    Player p(&game, flat_level.get(), 2);
    EXPECT_EQ(p.number, 2);
    EXPECT_EQ(p.health, 100.0f);
    EXPECT_FLOAT_EQ(p.bound->radius, 10.0f);
    EXPECT_EQ(p.control, PC_Normal);
    EXPECT_EQ(p.action, PA_Idle);
    EXPECT_EQ(p.aim, 0.0f);
    EXPECT_EQ(p.kills, 0);
    EXPECT_EQ(p.deaths, 0);
    EXPECT_TRUE(p.weapons.empty());
    EXPECT_FALSE(p.HasWeapon());
}

TEST_F(PlayerTest, WalksOnFlatGroundAndSettlesNineAboveIt) {
    Player p(&game, flat_level.get(), 1);
    p.SetPosition(50.0f, 49.0f);  // two pixels too high: sinks one per step
    p.MoveRight();
    EXPECT_EQ(p.x, 51.0f);
    EXPECT_EQ(p.y, 50.0f);
    p.MoveRight();
    EXPECT_EQ(p.y, 51.0f);
    p.MoveRight();
    EXPECT_EQ(p.x, 53.0f);
    EXPECT_EQ(p.y, static_cast<float>(kGround - 9));
    EXPECT_EQ(p.bound->x, 53);
    EXPECT_EQ(p.bound->y, kGround - 9);

    // Fractions are dropped: the move goes from the truncated position.
    p.SetPosition(60.8f, 51.6f);
    p.MoveLeft();
    EXPECT_EQ(p.x, 59.0f);
    EXPECT_EQ(p.y, 51.0f);
    EXPECT_EQ(p.vx, 0.0f);
    EXPECT_EQ(p.vy, 0.0f);
}

struct WalkCase {
    const char* name;
    SolidFn right_side;  // terrain in front of a player at x = 50 walking right
    float x, y;          // where MoveRight from (50, 51) ends
};

// Every terrain mirrored left to right must give the mirrored walk.
TEST_F(PlayerTest, WalkingLeftMirrorsWalkingRight) {
    const std::vector<WalkCase> cases = {
        {"flat", [](int, int y) { return y >= 60; }, 51, 51},
        {"wall", [](int x, int y) { return y >= 60 || x >= 61; }, 50, 51},
        {"one-pixel step", [](int x, int y) { return y >= (x >= 61 ? 59 : 60); }, 51, 50},
        {"two-pixel step", [](int x, int y) { return y >= (x >= 61 ? 58 : 60); }, 50, 51},
        {"ledge", [](int x, int y) { return x <= 60 && y >= 60; }, 51, 52},
        {"wall above the probe row only",
         [](int x, int y) { return y >= 60 || (x >= 61 && y < 58); }, 51, 51},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto right_level = terrain(c.right_side);
        auto left_level = terrain([&](int x, int y) { return c.right_side(kW - 1 - x, y); });

        Player r(&game, right_level.get(), 1);
        r.SetPosition(50.0f, 51.0f);
        r.MoveRight();
        EXPECT_EQ(r.x, c.x);
        EXPECT_EQ(r.y, c.y);

        Player l(&game, left_level.get(), 2);
        l.SetPosition(static_cast<float>(kW - 1 - 50), 51.0f);
        l.MoveLeft();
        EXPECT_EQ(l.x, static_cast<float>(kW - 1) - c.x);
        EXPECT_EQ(l.y, c.y);
        EXPECT_LT(std::cos(l.aim), 0.0f);
    }
}

TEST_F(PlayerTest, WalkingOffALedgeSinksUntilTheGroundIsGone) {
    auto level = terrain([](int x, int y) { return x <= 60 && y >= kGround; });
    Player p(&game, level.get(), 1);
    p.SetPosition(50.0f, 51.0f);
    int k = 0;
    while (p.state == PS_Normal && k < 40) {
        ++k;
        p.MoveRight();
        ASSERT_EQ(p.x, 50.0f + k);
        ASSERT_EQ(p.y, 51.0f + k);
        p.Update(kDt);
    }
    // It rests while a probe point of its circle still finds the ledge; the last one is
    // the left probe, ten pixels behind the centre.
    EXPECT_EQ(p.state, PS_Falling);
    EXPECT_EQ(p.x, 71.0f);
    EXPECT_GT(p.vy, 0.0f);
}

// A player held against a side of the level stays where it stands on the ground: outside
// the level there is no terrain to climb, and no step down either.
TEST_F(PlayerTest, TheSidesOfTheLevelStopAWalkingPlayer) {
    const float rest_y = static_cast<float>(kGround - 9);
    Player left(&game, flat_level.get(), 1);
    left.SetPosition(13.0f, rest_y);
    Player right(&game, flat_level.get(), 2);
    right.SetPosition(static_cast<float>(kW - 14), rest_y);
    for (int i = 0; i < 200; ++i) {
        left.MoveLeft();
        left.Update(kDt);
        right.MoveRight();
        right.Update(kDt);
    }
    // The disc touches the side: the probe column one pixel beyond it is outside.
    EXPECT_EQ(left.x, 10.0f);
    EXPECT_EQ(left.y, rest_y);
    EXPECT_EQ(right.x, static_cast<float>(kW - 11));
    EXPECT_EQ(right.y, rest_y);
    EXPECT_EQ(left.state, PS_Normal);
    EXPECT_EQ(right.state, PS_Normal);
    // Turning still happens against the wall.
    EXPECT_LT(std::cos(left.aim), 0.0f);
    EXPECT_GE(std::cos(right.aim), 0.0f);
}

TEST_F(PlayerTest, WalkingInTheAirMovesAndSinksWithoutTouchingVelocity) {
    auto level = terrain([](int, int) { return false; });
    Player p(&game, level.get(), 1);
    p.SetPosition(50.6f, 30.4f);
    p.state = PS_Falling;
    p.vx = 12.0f;
    p.vy = 40.0f;
    p.MoveRight();
    EXPECT_EQ(p.x, 51.0f);
    EXPECT_EQ(p.y, 31.0f);
    p.MoveLeft();
    EXPECT_EQ(p.x, 50.0f);
    EXPECT_EQ(p.y, 32.0f);
    EXPECT_EQ(p.vx, 12.0f);
    EXPECT_EQ(p.vy, 40.0f);
    EXPECT_EQ(p.state, PS_Falling);
}

TEST_F(PlayerTest, TurningMirrorsTheAim) {
    Player p(&game, flat_level.get(), 1);
    p.SetPosition(100.0f, 51.0f);
    p.aim = 0.5f;
    p.MoveLeft();
    EXPECT_EQ(p.aim, static_cast<float>(PI - 0.5f));
    EXPECT_FLOAT_EQ(p.aim, 2.6415926538f);
    p.MoveLeft();  // already facing left: no further change
    EXPECT_EQ(p.aim, static_cast<float>(PI - 0.5f));
    p.MoveRight();
    EXPECT_FLOAT_EQ(p.aim, 0.5f);
    EXPECT_GE(std::cos(p.aim), 0.0f);
}

TEST_F(PlayerTest, TheDeadDoNotWalk) {
    Player p(&game, flat_level.get(), 1);
    p.SetPosition(100.0f, 51.0f);
    p.action = PA_Dead;
    p.aim = 0.5f;
    p.MoveLeft();
    p.MoveRight();
    EXPECT_EQ(p.x, 100.0f);
    EXPECT_EQ(p.y, 51.0f);
    EXPECT_EQ(p.aim, 0.5f);
}

// ---- aiming ----------------------------------------------------------------------------

TEST_F(PlayerTest, AimStopsAtTheStoredLimits) {
    Player p(&game, flat_level.get(), 1);

    for (int i = 0; i < 33; ++i) p.AimUp();
    EXPECT_NEAR(p.aim, 1.0367, 1e-4);
    EXPECT_LT(p.aim, 1.0471976f);
    p.AimUp();
    EXPECT_EQ(p.aim, 1.0471976f);
    p.AimUp();
    EXPECT_EQ(p.aim, 1.0471976f);

    p.aim = 0.0f;
    for (int i = 0; i < 34; ++i) p.AimDown();
    EXPECT_EQ(p.aim, -1.0471976f);

    // Facing left the directions are mirrored.
    p.aim = static_cast<float>(PI);
    for (int i = 0; i < 33; ++i) p.AimDown();
    EXPECT_NEAR(p.aim, PI + 1.0367, 1e-4);
    p.AimDown();
    EXPECT_EQ(p.aim, 4.1887903f);

    p.aim = static_cast<float>(PI);
    for (int i = 0; i < 34; ++i) p.AimUp();
    EXPECT_EQ(p.aim, 2.0943952f);
    p.AimDown();
    EXPECT_NEAR(p.aim, 2.0943952 + PI / 100, 1e-6);
}

TEST_F(PlayerTest, AimingWorksWhileDead) {
    Player p(&game, flat_level.get(), 1);
    p.action = PA_Dead;
    p.AimUp();
    EXPECT_FLOAT_EQ(p.aim, static_cast<float>(PI / 100));
    p.AimDown();
    p.AimDown();
    EXPECT_FLOAT_EQ(p.aim, static_cast<float>(-PI / 100));
}

// ---- digging and jumping -------------------------------------------------------------

namespace {

// The aim nearest to the bound `b` between two digging directions that a player can hold,
// just above it (side +1) or just below it (side -1) in the right-facing frame, facing right
// or mirrored to face left. No float aim lies on a bound itself: these two enclose it.
float aim_beside(double b, int side, bool facing_left) {
    auto frame = [&](float aim) { return facing_left ? PI - aim : double(aim); };
    const float away = (side > 0) != facing_left ? INFINITY : -INFINITY;
    float aim = static_cast<float>(facing_left ? PI - b : b);
    while ((frame(aim) - b) * side <= 0) aim = std::nextafter(aim, away);
    return aim;
}

}  // namespace

TEST_F(PlayerTest, DigsTwoDiscsInTheAimedDirection) {
    struct Case {
        float aim;
        int dx, dy;  // dy counts upwards
    };
    std::vector<Case> cases = {
        {1.0f, 0, 1},                                  // straight up
        {0.7f, 1, 1},                                  // up to the right
        {0.0f, 1, 0},                                  // right
        {-0.7f, 1, -1},                                // down to the right
        {-1.0f, 0, -1},                                // straight down
        {static_cast<float>(PI - 0.6), -1, 1},         // up to the left
        {static_cast<float>(PI), -1, 0},               // left
        {static_cast<float>(PI + 0.7), -1, -1},        // down to the left
        {static_cast<float>(PI - 1.0), 0, 1},          // up, facing left
        {static_cast<float>(PI + 1.0), 0, -1},         // down, facing left
    };
    // Either side of each bound, facing either way.
    const double steep = PI / 3 - 0.1, shallow = PI / 6;
    const struct {
        double bound;
        int above_dx, above_dy, below_dx, below_dy;
    } bounds[] = {
        {steep, 0, 1, 1, 1}, {shallow, 1, 1, 1, 0}, {-shallow, 1, 0, 1, -1}, {-steep, 1, -1, 0, -1}};
    for (const auto& b : bounds)
        for (bool left : {false, true}) {
            const int sx = left ? -1 : 1;
            cases.push_back({aim_beside(b.bound, +1, left), sx * b.above_dx, b.above_dy});
            cases.push_back({aim_beside(b.bound, -1, left), sx * b.below_dx, b.below_dy});
        }
    auto solid = [](int, int) { return true; };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::setprecision(9) << "aim " << c.aim);
        auto level = testsupport::make_level(kW, kH, solid);
        auto expected = testsupport::make_level(kW, kH, solid);
        Player p(&game, level.get(), 1);
        p.SetPosition(50.7f, 50.2f);
        p.aim = c.aim;
        EXPECT_TRUE(p.Dig());
        EXPECT_EQ(p.action, PA_Digging);
        EXPECT_EQ(p.action_time, 0.0);
        expected->Dig(50 + c.dx, 50 - c.dy, 10);
        expected->Dig(50 + 2 * c.dx, 50 - 2 * c.dy, 10);
        EXPECT_TRUE(masks_equal(*level, *expected));
    }
}

TEST_F(PlayerTest, DigIsRefusedWhileFallingLockedOrDead) {
    auto solid = [](int, int) { return true; };
    auto level = testsupport::make_level(kW, kH, solid);
    auto untouched = testsupport::make_level(kW, kH, solid);
    Player p(&game, level.get(), 1);
    p.SetPosition(50.0f, 50.0f);

    p.state = PS_Falling;
    EXPECT_FALSE(p.Dig());
    EXPECT_EQ(p.action, PA_Idle);
    p.action = PA_Dead;
    p.state = PS_Normal;
    EXPECT_FALSE(p.Dig());
    EXPECT_TRUE(masks_equal(*level, *untouched));

    p.action = PA_Idle;
    p.aim = 1.0f;
    ASSERT_TRUE(p.Dig());
    p.aim = -1.0f;  // a second dig would now go down, so a refused one shows
    auto after_first = testsupport::make_level(kW, kH, solid);
    after_first->Dig(50, 49, 10);
    after_first->Dig(50, 48, 10);
    EXPECT_FALSE(p.Dig());
    p.Update(0.03);
    EXPECT_EQ(p.action, PA_Digging);
    EXPECT_FALSE(p.Dig());
    EXPECT_TRUE(masks_equal(*level, *after_first));
    p.Update(0.03);
    EXPECT_EQ(p.action, PA_Idle);
    EXPECT_EQ(p.action_time, 0.0);
    EXPECT_TRUE(p.Dig());
    EXPECT_FALSE(masks_equal(*level, *after_first));
}

TEST_F(PlayerTest, JumpIsRefusedWhileFallingOrLocked) {
    auto level = testsupport::make_level(kW, kH, [](int, int) { return true; });
    Player p(&game, level.get(), 1);
    p.SetPosition(50.0f, 50.0f);

    p.state = PS_Falling;
    p.Jump();
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.action, PA_Idle);

    p.state = PS_Normal;
    p.vy = 5.0f;
    p.Jump();
    EXPECT_EQ(p.vy, -165.0f);
    EXPECT_EQ(p.action, PA_Jumping);
    p.Jump();
    EXPECT_EQ(p.vy, -165.0f);
    EXPECT_FALSE(p.Dig());

    // Inside solid rock the jump is stopped at once, but the lock still runs its time.
    p.Update(0.25);
    EXPECT_EQ(p.state, PS_Normal);
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.action, PA_Jumping);
    p.Jump();
    EXPECT_EQ(p.vy, 0.0f);
    p.Update(0.25);
    EXPECT_EQ(p.action, PA_Idle);
    p.Jump();
    EXPECT_EQ(p.vy, -170.0f);
}

TEST_F(PlayerTest, JumpLeavesTheGroundAndComesBack) {
    Player p(&game, flat_level.get(), 1);
    p.SetPosition(50.0f, 51.0f);
    p.Jump();
    p.Update(kDt);
    EXPECT_LT(p.y, 51.0f);
    EXPECT_EQ(p.state, PS_Falling);
    float top = p.y;
    int steps = 1;
    while (p.state != PS_Normal && steps < 600) {
        p.Update(kDt);
        top = std::min(top, p.y);
        ++steps;
        if (p.action == PA_Idle) {
            EXPECT_GE(steps, 30);
        }
    }
    EXPECT_EQ(p.state, PS_Normal);
    EXPECT_EQ(p.action, PA_Idle);
    EXPECT_LT(top, 51.0f - 40.0f);  // 170^2 / (2 * 270) is about 53 pixels
    EXPECT_GE(p.y, 49.0f);
    EXPECT_LE(p.y, 52.0f);
}

// ---- death and respawn ---------------------------------------------------------------

TEST_F(PlayerTest, DiesLiesStillForTwoSecondsAndRespawns) {
    Player p(&game, flat_level.get(), 1);
    p.Respawn();
    ASSERT_EQ(p.weapons.size(), 1u);
    (*p.current_weapon)->ammo = 7;
    give<Inventory::Shotgun>(p, 20);
    p.kills = 3;
    p.SetPosition(100.0f, 40.0f);
    p.vx = 30.0f;
    p.vy = 50.0f;

    EXPECT_TRUE(p.Damage(nullptr, 150.0f));
    EXPECT_EQ(p.health, 0.0f);
    EXPECT_FALSE(p.dead);
    EXPECT_EQ(p.action, PA_Dead);
    EXPECT_EQ(p.control, PC_None);
    EXPECT_EQ(p.vx, 0.0f);
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.deaths, 1);
    EXPECT_FALSE(p.Damage(nullptr, 10.0f));
    EXPECT_EQ(p.deaths, 1);

    for (int i = 0; i < 3; ++i) {
        p.Update(0.5);
        p.Fire();
        p.Jump();
        EXPECT_FALSE(p.Dig());
        ASSERT_EQ(p.action, PA_Dead);
        EXPECT_EQ(p.x, 100.0f);
        EXPECT_EQ(p.y, 40.0f);
        EXPECT_EQ(p.vy, 0.0f);
    }
    EXPECT_EQ((*p.weapons.begin())->ammo, 7);
    EXPECT_EQ(live_count(game), 0u);

    p.Update(0.5);
    EXPECT_EQ(p.action, PA_Idle);
    EXPECT_EQ(p.action_time, 0.0);
    EXPECT_EQ(p.control, PC_Normal);
    EXPECT_EQ(p.health, 100.0f);
    EXPECT_EQ(p.y, 20.0f);
    EXPECT_GE(p.x, 0.0f);
    EXPECT_LT(p.x, static_cast<float>(kW));
    EXPECT_FALSE(flat_level->CircleHitsTerrain(p.bound, true));
    EXPECT_EQ(p.kills, 3);
    EXPECT_EQ(p.deaths, 1);
    ASSERT_EQ(p.weapons.size(), 1u);
    EXPECT_EQ(typeid(**p.weapons.begin()), typeid(Inventory::Pistol));
    EXPECT_EQ(p.current_weapon, p.weapons.begin());
    EXPECT_EQ((*p.current_weapon)->ammo, 50);
    EXPECT_EQ((*p.current_weapon)->owner, &p);
}

TEST_F(PlayerTest, RespawnKeepsAimVelocityAndState) {
    Player p(&game, flat_level.get(), 1);
    p.aim = 2.5f;
    p.vx = 3.0f;
    p.state = PS_Flying;
    p.Respawn();
    EXPECT_EQ(p.aim, 2.5f);
    EXPECT_EQ(p.vx, 3.0f);
    EXPECT_EQ(p.state, PS_Flying);
    EXPECT_EQ(p.y, 20.0f);
}

TEST_F(PlayerTest, RespawnFindsTheOnlyFreePlace) {
    // Air only in columns 163, 173 and 183: a circle fits at x = 173 and nowhere else.
    auto level = terrain([](int x, int) { return x != 163 && x != 173 && x != 183; });
    Player p(&game, level.get(), 1);
    p.Respawn();
    EXPECT_EQ(p.bound->x, 173);
    EXPECT_EQ(p.y, 20.0f);
}

TEST_F(PlayerTest, RespawnScansTheTopBandWhenRandomTriesMiss) {
    // One free column in 4000: with this seed every random try misses, and the scan of the
    // band finds the place at a whole pixel.
    auto level = testsupport::make_level(
        4000, 40, [](int x, int) { return x != 3163 && x != 3173 && x != 3183; });
    seed_random(7);
    Player p(&game, level.get(), 1);
    p.Respawn();
    EXPECT_EQ(p.x, 3173.0f);
    EXPECT_EQ(p.y, 20.0f);
}

TEST_F(PlayerTest, RespawnInASolidLevelEndsAtTheTopCentre) {
    auto level = terrain([](int, int) { return true; });
    Player p(&game, level.get(), 1);
    p.Respawn();
    EXPECT_EQ(p.x, static_cast<float>(kW / 2));
    EXPECT_EQ(p.y, 20.0f);
    EXPECT_EQ(p.health, 100.0f);
    EXPECT_EQ(p.weapons.size(), 1u);
}

TEST_F(PlayerTest, RespawnWithoutALoadedLevelDoesNotTouchTerrain) {
    game.players.emplace_back(&game, &game.level, 1);
    Player& p = game.players.back();
    p.Respawn();
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 20.0f);
    EXPECT_EQ(p.weapons.size(), 1u);
}

// ---- weapons ---------------------------------------------------------------------------

TEST_F(PlayerTest, PickUpMergesAHeldTypeAndAppendsANewOne) {
    Player p(&game, flat_level.get(), 1);
    p.Respawn();
    Inventory::Weapon* pistol = *p.current_weapon;
    pistol->ammo = 80;

    Inventory::Pistol pickup(&game, flat_level.get());
    p.OnCollision(&pickup);
    EXPECT_EQ(pistol->ammo, 100);  // 80 + 50, capped
    EXPECT_TRUE(pickup.dead);
    EXPECT_FALSE(pickup.detached);
    EXPECT_EQ(p.weapons.size(), 1u);

    auto* shotgun = new Inventory::Shotgun(&game, flat_level.get());
    p.OnCollision(shotgun);
    ASSERT_EQ(p.weapons.size(), 2u);
    EXPECT_EQ(p.weapons.back(), shotgun);
    EXPECT_EQ(*p.current_weapon, pistol);
    EXPECT_TRUE(shotgun->detached);
    EXPECT_FALSE(shotgun->dead);
    EXPECT_EQ(shotgun->owner, &p);

    auto* another = new Inventory::Shotgun(&game, flat_level.get());
    another->ammo = 15;
    p.OnCollision(another);
    EXPECT_EQ(shotgun->ammo, 35);
    EXPECT_TRUE(another->dead);
    delete another;  // the world table would have deleted it

    // Terrain and other players are not taken.
    Player q(&game, flat_level.get(), 2);
    p.OnCollision(nullptr);
    p.OnCollision(&q);
    EXPECT_EQ(p.weapons.size(), 2u);
}

TEST_F(PlayerTest, APickupIsTakenOnlyOnce) {
    Player a(&game, flat_level.get(), 1);
    Player b(&game, flat_level.get(), 2);
    a.Respawn();
    b.Respawn();

    auto* rockets = new Inventory::RocketLauncher(&game, flat_level.get());
    a.OnCollision(rockets);
    b.OnCollision(rockets);
    EXPECT_EQ(a.weapons.size(), 2u);
    EXPECT_EQ(b.weapons.size(), 1u);
    EXPECT_EQ(rockets->owner, &a);

    // A merged pickup is marked dead: the second toucher leaves it too.
    (*a.current_weapon)->ammo = 10;
    (*b.current_weapon)->ammo = 10;
    Inventory::Pistol pickup(&game, flat_level.get());
    a.OnCollision(&pickup);
    b.OnCollision(&pickup);
    EXPECT_EQ((*a.current_weapon)->ammo, 60);
    EXPECT_EQ((*b.current_weapon)->ammo, 10);
}

TEST_F(PlayerTest, TwoPlayersOnOnePickupInOneStep) {
    testsupport::adopt_level(game.level, *flat_level);
    for (int n = 1; n <= 2; ++n) {
        Player& p = testsupport::add_player(game, n, new ScriptedInput(std::vector<int>{}));
        p.Respawn();
        p.SetPosition(100.0f, 51.0f);
    }
    Player& first = game.players.front();
    Player& second = game.players.back();
    (*first.current_weapon)->ammo = 10;
    (*second.current_weapon)->ammo = 10;

    auto* shotgun = new Inventory::Shotgun(&game, &game.level);
    shotgun->SetPosition(100.0f, 51.0f);
    game.AddParticle(shotgun);
    auto* pistol = new Inventory::Pistol(&game, &game.level);
    pistol->SetPosition(100.0f, 51.0f);
    game.AddParticle(pistol);

    ASSERT_TRUE(game.Logic(0.0));
    // Whoever comes first in the table takes both; the other is left as it was.
    Player& taker = first.weapons.size() == 2 ? first : second;
    Player& other = &taker == &first ? second : first;
    ASSERT_EQ(taker.weapons.size(), 2u);
    EXPECT_EQ(taker.weapons.back(), shotgun);
    EXPECT_EQ(shotgun->owner, &taker);
    EXPECT_EQ((*taker.current_weapon)->ammo, 60);
    EXPECT_EQ(other.weapons.size(), 1u);
    EXPECT_EQ((*other.current_weapon)->ammo, 10);
    // The shotgun left the table without being deleted, the merged pistol was deleted.
    EXPECT_EQ(live_count(game), 2u);
    EXPECT_EQ(live<Player>(game).size(), 2u);
}

TEST_F(PlayerTest, FiringTheLastRoundFallsBackToThePreviousWeapon) {
    Player p(&game, flat_level.get(), 1);
    p.Respawn();
    p.SetPosition(50.0f, 51.0f);
    Inventory::Weapon* pistol = *p.current_weapon;
    auto* rockets = give<Inventory::RocketLauncher>(p, 2);
    auto* shotgun = give<Inventory::Shotgun>(p, 1);
    p.SelectWeapon(std::prev(p.weapons.end()));

    p.Fire();
    EXPECT_EQ(shotgun->ammo, 0);
    EXPECT_EQ(shotgun->cooldown, 1.0);
    EXPECT_EQ(*p.current_weapon, rockets);
    EXPECT_EQ(live_count(game), 12u);

    p.Fire();  // the rocket launcher has no cooldown yet
    EXPECT_EQ(rockets->ammo, 1);
    EXPECT_EQ(*p.current_weapon, rockets);
    p.Fire();  // cooling down: nothing
    EXPECT_EQ(rockets->ammo, 1);
    EXPECT_EQ(live_count(game), 13u);
    EXPECT_EQ(pistol->ammo, 50);
}

TEST_F(PlayerTest, ShotsLeaveFifteenPixelsAlongTheAim) {
    Player p(&game, flat_level.get(), 1);
    p.Respawn();
    p.SetPosition(50.0f, 51.0f);
    give<Inventory::RocketLauncher>(p, 5);
    p.SelectWeapon(std::prev(p.weapons.end()));
    p.aim = 0.5f;
    p.Fire();
    auto shots = live<Ammunition::Rocket>(game);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(live_count(game), 1u);
    EXPECT_FLOAT_EQ(shots[0]->x, 50.0f + 15.0f * std::cos(0.5f));
    EXPECT_FLOAT_EQ(shots[0]->y, 51.0f - 15.0f * std::sin(0.5f));
}

TEST_F(PlayerTest, AnEmptyFirstWeaponOnlyRestartsItsCooldown) {
    Player p(&game, flat_level.get(), 1);
    p.Respawn();
    Inventory::Weapon* pistol = *p.current_weapon;
    give<Inventory::Shotgun>(p, 5);
    pistol->ammo = 0;
    p.Fire();
    EXPECT_EQ(pistol->cooldown, 1.0);
    EXPECT_EQ(p.current_weapon, p.weapons.begin());
    EXPECT_EQ(live_count(game), 0u);
}

TEST_F(PlayerTest, OnlyTheCurrentWeaponCoolsDown) {
    Player p(&game, flat_level.get(), 1);
    p.Respawn();
    p.SetPosition(50.0f, 51.0f);
    Inventory::Weapon* pistol = *p.current_weapon;
    auto* shotgun = give<Inventory::Shotgun>(p, 5);
    pistol->cooldown = 1.0;
    shotgun->cooldown = 0.5;
    p.Update(0.25);
    EXPECT_DOUBLE_EQ(pistol->cooldown, 0.75);
    EXPECT_DOUBLE_EQ(shotgun->cooldown, 0.5);
    p.SelectWeapon(std::prev(p.weapons.end()));
    p.Update(0.25);
    EXPECT_DOUBLE_EQ(pistol->cooldown, 0.75);
    EXPECT_DOUBLE_EQ(shotgun->cooldown, 0.25);
}

TEST_F(PlayerTest, FireWithoutAWeaponDoesNothing) {
    Player p(&game, flat_level.get(), 1);
    p.Fire();
    EXPECT_EQ(live_count(game), 0u);
}

// ---- drawing ---------------------------------------------------------------------------

namespace {

// Pixels that `text` drawn at (tx, ty) in white covers: an oracle for the figures.
std::vector<bool> text_pixels(const std::string& text, int tx, int ty, int w, int h) {
    Bitmap ref(w, h);
    textout_ex(ref, font, text.c_str(), tx, ty, makecol(255, 255, 255), -1);
    std::vector<bool> on(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) on[y * w + x] = getpixel(ref, x, y) != 0;
    return on;
}

constexpr int kBoxX = 5;
constexpr int kBoxY = 3;

// Checks the status box of `p` drawn at (kBoxX, kBoxY) for a view of no size (the box does
// not depend on it): every pixel is background, frame, bar or one of the given texts, and
// the bars end where expected.
void check_status_box(Player& p, int health_end, const std::string& health_text, int ammo_end,
                      const std::string& ammo_text, const std::string& name) {
    const int w = 120, h = 45;
    Bitmap bmp(w, h);
    p.DrawStatus(bmp, kBoxX, kBoxY, 0, 0);
    auto health_txt = text_pixels(health_text, kBoxX + 2, kBoxY + 2, w, h);
    auto ammo_txt = text_pixels(ammo_text, kBoxX + 2, kBoxY + 12, w, h);
    auto name_txt = text_pixels(name, kBoxX + 2, kBoxY + 22, w, h);
    const int white = makecol(255, 255, 255);
    const int cyan = makecol(0, 255, 255);
    const int grey = makecol(128, 128, 128);
    const int dark = makecol(32, 32, 32);
    int bar_pixels_seen = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int bx = x - kBoxX, by = y - kBoxY;
            int want;
            if (bx < 0 || by < 0 || bx > 100 || by > 32)
                want = 0;
            else if (bx == 0 || by == 0 || bx == 100 || by == 32)
                want = grey;
            else if (health_txt[y * w + x] || ammo_txt[y * w + x] || name_txt[y * w + x])
                want = white;
            else if (by >= 4 && by <= 8 && bx >= 2 && bx <= health_end)
                want = cyan;
            else if (by >= 14 && by <= 18 && bx >= 2 && bx <= ammo_end)
                want = cyan;
            else
                want = dark;
            if (want == cyan) ++bar_pixels_seen;
            ASSERT_EQ(getpixel(bmp, x, y), want) << "at box offset (" << bx << ", " << by << ")";
        }
    }
    EXPECT_GT(bar_pixels_seen, 0);
}

}  // namespace

TEST_F(PlayerTest, StatusBoxWithoutAWeapon) {
    Player p(&game, flat_level.get(), 1);
    check_status_box(p, 98, "100", 2, "0", "");
}

TEST_F(PlayerTest, StatusBoxBarsAreLimited) {
    Player p(&game, flat_level.get(), 1);
    p.Respawn();
    (*p.current_weapon)->ammo = 25;  // a quarter of 100: 24 pixels more than the first

    p.health = 150.0f;
    check_status_box(p, 98, "150", 2 + 24, "25", "Pistol");

    p.health = -5.0f;
    check_status_box(p, 2, "-5", 2 + 24, "25", "Pistol");

    p.health = 57.9f;
    (*p.current_weapon)->ammo = 130;  // beyond max_ammo: a full bar
    check_status_box(p, 2 + 55, "57", 98, "130", "Pistol");
}

TEST_F(PlayerTest, DrawsARedDiscWithTheAimLine) {
    Player p(&game, flat_level.get(), 1);
    p.SetPosition(60.9f, 40.2f);
    p.aim = 1.0471976f;
    Bitmap target(100, 100);
    p.Draw(target, 20, 10);
    const int red = makecol(255, 0, 0);
    // Centre at (40, 30).
    EXPECT_EQ(getpixel(target, 40, 40), red);
    EXPECT_EQ(getpixel(target, 30, 30), red);
    EXPECT_EQ(getpixel(target, 40, 41), 0);
    EXPECT_EQ(getpixel(target, 29, 30), 0);
    // The line ends at (40 + trunc(6.5), 30 - trunc(11.26)), outside the disc.
    EXPECT_EQ(getpixel(target, 46, 19), -1);
    EXPECT_EQ(getpixel(target, 46, 18), 0);
    EXPECT_EQ(getpixel(target, 40, 30), -1);
}

namespace {

// A zigzag of stepping stones as levelgen's islands lay them: slabs 32 wide and 6 thick,
// each 30 higher than the one below, alternately 6 and 44 pixels out from x = 54, over
// ground at y = 190.
bool stepping_stones(int x, int y) {
    if (y >= 190) return true;
    for (int k = 1; k <= 3; ++k) {
        const int top = 190 - 30 * k, x0 = k % 2 ? 60 : 98;
        if (y >= top && y < top + 6 && x >= x0 && x < x0 + 32) return true;
    }
    return false;
}

// Holds the walk towards `dir` and jumps whenever it may, until the player stands on the
// slab whose top row is `top`, between x0 and x1; false after 10 s.
bool climb_onto(Player& p, int dir, int top, int x0, int x1) {
    for (int step = 0; step < 600; ++step) {
        if (p.state == PS_Normal && p.x >= x0 && p.x < x1 && p.y < top && p.y > top - 12) return true;
        if (dir > 0) p.MoveRight();
        else p.MoveLeft();
        p.Jump();
        p.Update(kDt);
    }
    return false;
}

}  // namespace

// The walk held in the air costs a pixel of height a step: such a jump rises about 40
// pixels, not 53.
TEST_F(PlayerTest, WalkingAndJumpingClimbsAZigzagOfSteppingStones) {
    auto level = testsupport::make_level(kW, 200, stepping_stones);
    Player p(&game, level.get(), 1);
    p.SetPosition(30.0f, 180.0f);
    EXPECT_TRUE(climb_onto(p, +1, 160, 60, 92)) << p.x << "," << p.y;
    EXPECT_TRUE(climb_onto(p, +1, 130, 98, 130)) << p.x << "," << p.y;
    EXPECT_TRUE(climb_onto(p, -1, 100, 60, 92)) << p.x << "," << p.y;
}
