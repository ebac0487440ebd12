#include <allegro.h>
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "collision/clgo.h"
#include "level/level.h"
#include "particle/destroyable.h"
#include "particle/particle.h"
#include "support/test_support.h"

namespace {

constexpr double kDt = 1.0 / 60.0;

// The smallest concrete world object: counts its collisions.
class Probe : public Particle {
public:
    Probe(Level* level, int control, float radius, float x, float y)
        : Particle(nullptr, level, control, radius, x, y) {}
    void Draw(BITMAP*, int, int) const override {}
    void OnCollision(Particle* other) override {
        if (other)
            ++object_hits;
        else
            ++terrain_hits;
    }
    int terrain_hits = 0;
    int object_hits = 0;
};

class Target : public Destroyable {
public:
    Target(float health, bool survives)
        : Destroyable(health, nullptr, nullptr, PC_Normal, 5.0f, 0.0f, 0.0f),
          survives(survives) {}
    void Draw(BITMAP*, int, int) const override {}
    void OnDamage(Particle* source, float amount) override {
        ++damaged;
        last_source = source;
        last_amount = amount;
        health_seen = health;
    }
    bool OnDestroyed() override {
        ++destroyed;
        return survives;
    }
    bool survives;
    int damaged = 0;
    int destroyed = 0;
    Particle* last_source = nullptr;
    float last_amount = 0.0f;
    float health_seen = 0.0f;
};

std::unique_ptr<Level> open_air(int w = 60, int h = 40) {
    return testsupport::make_level(w, h, [](int, int) { return false; });
}

// Ground: every row from `top` down is solid.
std::unique_ptr<Level> ground_from(int top, int w = 60, int h = 40) {
    return testsupport::make_level(w, h, [top](int, int y) { return y >= top; });
}

}  // namespace

TEST(Particle, ConstructionAndPosition) {
    auto level = open_air();
    Probe p(level.get(), PC_Normal, 3.5f, 12.9f, -4.7f);
    EXPECT_EQ(p.bound->x, 12);
    EXPECT_EQ(p.bound->y, -4);  // truncated towards zero, not floored
    EXPECT_FLOAT_EQ(p.bound->radius, 3.5f);
    EXPECT_EQ(p.vx, 0.0f);
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.state, PS_Normal);
    EXPECT_FALSE(p.dead);
    EXPECT_FALSE(p.detached);

    p.vx = 7.0f;
    p.state = PS_Falling;
    p.SetPosition(-2.7f, 33.2f);
    EXPECT_EQ(p.x, -2.7f);
    EXPECT_EQ(p.y, 33.2f);
    EXPECT_EQ(p.bound->x, -2);
    EXPECT_EQ(p.bound->y, 33);
    EXPECT_EQ(p.vx, 7.0f);
    EXPECT_EQ(p.state, PS_Falling);
}

TEST(Particle, CopyHasItsOwnCircle) {
    auto level = open_air();
    Probe source(level.get(), PC_Flying, 6.0f, 20.5f, 10.5f);
    source.vx = 3.0f;
    source.vy = -4.0f;
    source.state = PS_Falling;
    source.detached = true;
    {
        Probe copy(source);
        EXPECT_NE(copy.bound, source.bound);
        EXPECT_EQ(copy.bound->x, 20);
        EXPECT_EQ(copy.bound->y, 10);
        EXPECT_FLOAT_EQ(copy.bound->radius, 6.0f);
        EXPECT_EQ(copy.vx, 3.0f);
        EXPECT_EQ(copy.vy, -4.0f);
        EXPECT_EQ(copy.control, PC_Flying);
        EXPECT_EQ(copy.state, PS_Falling);
        EXPECT_TRUE(copy.detached);
        EXPECT_EQ(copy.level, level.get());
        copy.SetPosition(1.0f, 2.0f);
        EXPECT_EQ(source.bound->x, 20);
    }
    // The copy's circle is gone; the source's must still be usable.
    source.SetPosition(30.0f, 31.0f);
    EXPECT_EQ(source.bound->x, 30);
    EXPECT_EQ(source.bound->y, 31);
}

TEST(Particle, KeptInsideSidesAndBottomBeforeMoving) {
    auto level = open_air(60, 40);
    Probe p(level.get(), PC_None, 2.0f, -3.0f, 10.0f);
    p.Update(0.0);
    EXPECT_EQ(p.x, 0.0f);

    // The clamp comes first, then the move: -3 becomes 0, then 6 pixels to the right.
    p.SetPosition(-3.0f, 10.0f);
    p.vx = 60.0f;
    p.Update(0.1);
    EXPECT_FLOAT_EQ(p.x, 6.0f);
    EXPECT_EQ(p.bound->x, 6);

    p.vx = 0.0f;
    p.SetPosition(60.0f, 10.0f);
    p.Update(0.0);
    EXPECT_EQ(p.x, 59.0f);
    p.SetPosition(59.9f, 10.0f);
    p.Update(0.0);
    EXPECT_EQ(p.x, 59.9f);

    // Exactly the height is allowed; only beyond it the object is held.
    p.SetPosition(30.0f, 40.0f);
    p.vy = 5.0f;
    p.Update(0.0);
    EXPECT_EQ(p.y, 40.0f);
    EXPECT_EQ(p.vy, 5.0f);

    p.SetPosition(30.0f, 40.5f);
    p.Update(0.0);
    EXPECT_EQ(p.y, 39.0f);
    EXPECT_EQ(p.vy, 0.0f);

    p.SetPosition(30.0f, 40.5f);
    p.vy = -5.0f;
    p.Update(0.0);
    EXPECT_EQ(p.y, 39.0f);
    EXPECT_EQ(p.vy, -5.0f);

    // No ceiling.
    p.SetPosition(30.0f, -100.0f);
    p.vy = -10.0f;
    p.Update(1.0);
    EXPECT_FLOAT_EQ(p.y, -110.0f);
    EXPECT_EQ(p.bound->y, -110);
}

TEST(Particle, SidesAndBottomStopAMoveLikeTerrain) {
    // Ground from row 30 down, 60 wide. Thrown at the right side from inside.
    auto level = ground_from(30);
    Probe p(level.get(), PC_Normal, 1.0f, 58.0f, 10.0f);
    p.vx = 60.0f;
    p.state = PS_Falling;
    p.Update(0.1);
    EXPECT_EQ(p.x, 59.0f);  // at the wall, not 6 pixels beyond it
    EXPECT_EQ(p.y, 10.0f);
    EXPECT_EQ(p.vx, 0.0f);
    EXPECT_EQ(p.terrain_hits, 1);
    // It then drops down the edge column and stays on the ground there instead of
    // sinking through it.
    for (int i = 0; i < 100; ++i) p.Update(0.02);
    EXPECT_GE(p.x, 58.0f);  // the straight-down trace may end a pixel to the left
    EXPECT_LE(p.y, 30.0f);
    EXPECT_GE(p.y, 27.0f);
    EXPECT_EQ(p.state, PS_Normal);

    // The left side the same way.
    Probe q(level.get(), PC_Normal, 1.0f, 1.0f, 10.0f);
    q.vx = -60.0f;
    q.Update(0.1);
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.terrain_hits, 1);

    // The bottom of a level without ground there: held on the last row, with a hit.
    auto air = open_air(60, 40);
    Probe r(air.get(), PC_Flying, 1.0f, 30.0f, 38.0f);
    r.vy = 50.0f;
    r.Update(0.1);
    EXPECT_EQ(r.y, 39.0f);
    EXPECT_EQ(r.vy, 0.0f);
    EXPECT_EQ(r.terrain_hits, 1);

    // Right up to the side, and through the top, nothing happens.
    Probe s(air.get(), PC_Flying, 1.0f, 50.0f, 5.0f);
    s.vx = 89.0f;
    s.vy = -100.0f;
    s.Update(0.1);
    EXPECT_FLOAT_EQ(s.x, 58.9f);
    EXPECT_FLOAT_EQ(s.y, -5.0f);
    EXPECT_EQ(s.terrain_hits, 0);
}

TEST(Particle, ExplicitEulerInOpenAir) {
    auto level = open_air();
    Probe p(level.get(), PC_Normal, 2.0f, 30.0f, 10.0f);
    p.vx = 6.0f;

    // First step: no ground, so it starts falling, but moves with the old (zero) vy.
    p.Update(kDt);
    EXPECT_EQ(p.state, PS_Falling);
    EXPECT_EQ(p.y, 10.0f);
    EXPECT_FLOAT_EQ(p.x, 30.1f);
    const float vy1 = static_cast<float>(kDt * 270.0);
    EXPECT_EQ(p.vy, vy1);

    p.Update(kDt);
    EXPECT_FLOAT_EQ(p.y, 10.0f + static_cast<float>(kDt * vy1));
    EXPECT_FLOAT_EQ(p.vy, 2 * vy1);
    EXPECT_EQ(p.vx, 6.0f);
    EXPECT_EQ(p.terrain_hits, 0);
}

TEST(Particle, RestingObjectIsLeftAloneUntilItsGroundIsDug) {
    auto level = ground_from(20);
    // A disc sunk one pixel into the ground, as a walking player stands.
    Probe p(level.get(), PC_Normal, 10.0f, 30.0f, 11.0f);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(p.Update(kDt));
    EXPECT_EQ(p.terrain_hits, 0);
    EXPECT_EQ(p.x, 30.0f);
    EXPECT_EQ(p.y, 11.0f);
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.state, PS_Normal);

    rectfill(level->mask, 0, 0, 59, 39, air_colour());
    p.Update(kDt);
    EXPECT_EQ(p.state, PS_Falling);
    EXPECT_EQ(p.vy, static_cast<float>(270.0 * kDt));
    EXPECT_EQ(p.y, 11.0f);
    EXPECT_EQ(p.terrain_hits, 0);
}

TEST(Particle, FallingObjectLandsOnce) {
    auto level = ground_from(20);
    Probe p(level.get(), PC_Normal, 1.0f, 30.0f, 2.0f);
    int steps = 0;
    while (p.terrain_hits == 0 && steps < 600) {
        p.Update(kDt);
        ++steps;
    }
    ASSERT_EQ(p.terrain_hits, 1);
    EXPECT_EQ(p.vx, 0.0f);
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.state, PS_Normal);
    // The trace runs at the single-precision angle of straight down, whose cosine is a
    // hair below zero: truncation may put it one column to the left.
    EXPECT_NEAR(p.x, 30.0f, 1.0f);
    // Whole pixels at the end of the trace, above the first solid row or on it.
    EXPECT_EQ(p.y, static_cast<float>(static_cast<int>(p.y)));
    EXPECT_GE(p.y, 18.0f);
    EXPECT_LE(p.y, 20.0f);

    const float rest_y = p.y;
    for (int i = 0; i < 30; ++i) p.Update(kDt);
    EXPECT_EQ(p.terrain_hits, 1);
    EXPECT_EQ(p.y, rest_y);
    EXPECT_EQ(p.state, PS_Normal);
}

TEST(Particle, HitTracesBackToTheFirstSolidPixel) {
    // A wall from column 30 on, full height.
    auto level = testsupport::make_level(100, 40, [](int x, int) { return x >= 30; });
    Probe p(level.get(), PC_Normal, 1.0f, 10.0f, 10.0f);
    p.vx = 600.0f;
    p.Update(0.1);  // would end at 70, deep in the wall
    EXPECT_EQ(p.terrain_hits, 1);
    EXPECT_EQ(p.x, 30.0f);
    EXPECT_EQ(p.y, 10.0f);
    EXPECT_EQ(p.bound->x, 30);
    EXPECT_EQ(p.vx, 0.0f);
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.state, PS_Normal);
}

TEST(Particle, FlyingControlCollidesButKeepsStateAndFeelsNoGravity) {
    auto level = testsupport::make_level(100, 40, [](int x, int) { return x >= 30; });
    Probe p(level.get(), PC_Flying, 1.0f, 10.0f, 10.0f);
    p.state = PS_Falling;
    p.vx = 600.0f;
    p.Update(0.1);
    EXPECT_EQ(p.terrain_hits, 1);
    EXPECT_EQ(p.x, 30.0f);
    EXPECT_EQ(p.vx, 0.0f);
    EXPECT_EQ(p.vy, 0.0f);
    EXPECT_EQ(p.state, PS_Falling);

    Probe q(level.get(), PC_Flying, 1.0f, 5.0f, 5.0f);
    for (int i = 0; i < 10; ++i) q.Update(kDt);
    EXPECT_EQ(q.vy, 0.0f);
    EXPECT_EQ(q.y, 5.0f);
    EXPECT_EQ(q.state, PS_Normal);
}

TEST(Particle, SlowerThanRestSpeedIsNeverStopped) {
    auto level = ground_from(20);
    Probe p(level.get(), PC_Normal, 10.0f, 30.0f, 11.0f);
    p.vx = 0.009f;
    p.vy = -0.009f;
    p.Update(1.0);
    EXPECT_EQ(p.terrain_hits, 0);
    EXPECT_FLOAT_EQ(p.x, 30.009f);
    EXPECT_EQ(p.vx, 0.009f);
    EXPECT_EQ(p.vy, -0.009f);

    // At exactly the rest speed it counts as moving.
    Probe q(level.get(), PC_Normal, 10.0f, 30.0f, 11.0f);
    q.vx = REST_SPEED;
    q.Update(1.0);
    EXPECT_EQ(q.terrain_hits, 1);
    EXPECT_EQ(q.vx, 0.0f);
}

TEST(Particle, NoControlPassesThroughEverything) {
    auto level = testsupport::make_level(100, 40, [](int, int) { return true; });
    Probe ghost(level.get(), PC_None, 2.0f, 10.0f, 10.0f);
    ghost.vx = 100.0f;
    for (int i = 0; i < 6; ++i) ghost.Update(0.05);
    EXPECT_FLOAT_EQ(ghost.x, 40.0f);
    EXPECT_EQ(ghost.y, 10.0f);
    EXPECT_EQ(ghost.vy, 0.0f);
    EXPECT_EQ(ghost.vx, 100.0f);
    EXPECT_EQ(ghost.terrain_hits, 0);
    EXPECT_FALSE(ghost.TouchesTerrain(true));
    EXPECT_FALSE(ghost.TouchesTerrain(false));

    Probe solid(level.get(), PC_Normal, 2.0f, 40.0f, 10.0f);
    EXPECT_TRUE(solid.TouchesTerrain(true));
    EXPECT_TRUE(solid.TouchesTerrain(false));
}

TEST(Particle, CollidesLooksAtTheOtherControlOnly) {
    auto level = open_air();
    Probe a(level.get(), PC_Normal, 5.0f, 20.0f, 20.0f);
    Probe b(level.get(), PC_Normal, 5.0f, 26.0f, 20.0f);
    Probe flying(level.get(), PC_Flying, 5.0f, 24.0f, 22.0f);
    Probe ghost(level.get(), PC_None, 5.0f, 20.0f, 20.0f);
    Probe far(level.get(), PC_Normal, 5.0f, 50.0f, 5.0f);

    EXPECT_TRUE(a.Collides(&b));
    EXPECT_TRUE(b.Collides(&a));
    EXPECT_TRUE(a.Collides(&flying));
    EXPECT_FALSE(a.Collides(&far));
    // Same place, but a ghost is never the other object of a pair...
    EXPECT_FALSE(a.Collides(&ghost));
    // ...while a ghost testing a normal object is not excluded.
    EXPECT_TRUE(ghost.Collides(&a));

    ghost.control = static_cast<ParticleControl>(3);
    EXPECT_FALSE(a.Collides(&ghost));
}

TEST(Destroyable, DamageIsTruncatedAndHooksSeeTheNewHealth) {
    Target t(100.0f, false);
    Probe source(nullptr, PC_Normal, 1.0f, 0.0f, 0.0f);
    EXPECT_FALSE(t.Damage(&source, 5.9f));
    EXPECT_EQ(t.health, 95.0f);
    EXPECT_EQ(t.damaged, 1);
    EXPECT_EQ(t.last_source, &source);
    EXPECT_EQ(t.last_amount, 5.9f);
    EXPECT_EQ(t.health_seen, 95.0f);
    EXPECT_EQ(t.destroyed, 0);
    EXPECT_FALSE(t.dead);

    EXPECT_FALSE(t.Damage(&source, 0.99f));
    EXPECT_EQ(t.health, 95.0f);
}

TEST(Destroyable, ExactlyZeroDestroys) {
    Target t(10.0f, false);
    EXPECT_TRUE(t.Damage(nullptr, 10.0f));
    EXPECT_EQ(t.health, 0.0f);
    EXPECT_EQ(t.destroyed, 1);
    EXPECT_TRUE(t.dead);

    Target overkill(10.0f, false);
    EXPECT_TRUE(overkill.Damage(nullptr, 250.0f));
    EXPECT_EQ(overkill.health, 0.0f);
    EXPECT_EQ(overkill.health_seen, -240.0f);  // OnDamage runs before the clamp

    Target survivor(10.0f, true);
    EXPECT_TRUE(survivor.Damage(nullptr, 12.0f));
    EXPECT_EQ(survivor.destroyed, 1);
    EXPECT_FALSE(survivor.dead);
}

TEST(Destroyable, AlreadyDestroyedTakesNoFurtherDamage) {
    Target t(0.0f, false);
    EXPECT_FALSE(t.Damage(nullptr, 10.0f));
    EXPECT_EQ(t.health, 0.0f);
    EXPECT_EQ(t.damaged, 0);
    EXPECT_EQ(t.destroyed, 0);
    EXPECT_FALSE(t.dead);

    Target negative(-5.0f, false);
    EXPECT_FALSE(negative.Damage(nullptr, 10.0f));
    EXPECT_EQ(negative.health, -5.0f);
    EXPECT_EQ(negative.destroyed, 0);

    Target once(10.0f, true);
    EXPECT_TRUE(once.Damage(nullptr, 10.0f));
    EXPECT_FALSE(once.Damage(nullptr, 10.0f));
    EXPECT_EQ(once.destroyed, 1);
}

TEST(Destroyable, OutOfRangeAmountsDoNotOverflow) {
    Target t(100.0f, false);
    EXPECT_EQ(t.DamageAmount(nullptr, 1e30f), 2147483647);
    EXPECT_EQ(t.DamageAmount(nullptr, -1e30f), -2147483647 - 1);
    EXPECT_EQ(t.DamageAmount(nullptr, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(t.DamageAmount(nullptr, -7.8f), -7);
    EXPECT_TRUE(t.Damage(nullptr, 1e30f));
    EXPECT_EQ(t.health, 0.0f);
}
