#include <allegro.h>
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <typeinfo>
#include <vector>

#include "ammunition/ammunition.h"
#include "game/game.h"
#include "base/random.h"
#include "particle/sound_events.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "support/test_support.h"

namespace {

constexpr double kStep = 0.01666666753590107;
constexpr int kFloor = 200;
constexpr int kLand = 40;  // steps of no input that let a dropped player settle

bool floor_terrain(int, int y) { return y >= kFloor; }

// Player 1 acts from a script beside player 2, who does nothing; both stand on a floor.
class SoundScene {
public:
    explicit SoundScene(std::vector<int> script) {
        auto built = testsupport::make_level(800, 260, floor_terrain);
        testsupport::adopt_level(game.level, *built);
        seed_random(77);
        shooter = &add_player(1, 100, std::move(script));
        target = &add_player(2, 125, {});
    }

    Player& add_player(int number, float x, std::vector<int> script) {
        game.players.emplace_back(&game, &game.level, number);
        Player& p = game.players.back();
        game.AddParticle(&p);
        p.SetPosition(x, kFloor - 10);
        game.inputs[number] = new ScriptedInput(std::move(script));
        return p;
    }

    template <class W>
    void arm() {
        auto* w = new W(&game, &game.level);
        shooter->weapons.push_back(w);
        w->SetOwner(shooter);
        shooter->current_weapon = std::prev(shooter->weapons.end());
        armed_ammo = w->ammo;
    }

    bool fired() const { return (*shooter->current_weapon)->ammo < armed_ammo; }

    template <class T>
    bool any(const std::function<bool(const T&)>& test = nullptr) const {
        for (Particle* p : game.particles)
            if (p && typeid(*p) == typeid(T) && (!test || test(static_cast<const T&>(*p))))
                return true;
        return false;
    }

    const SoundEvent* find(SoundKind kind) const {
        for (const SoundEvent& e : game.sounds)
            if (e.kind == kind) return &e;
        return nullptr;
    }

    Game game{640, 480};
    Player* shooter;
    Player* target;
    int armed_ammo = 0;
};

std::vector<int> after_landing(int bits) {
    std::vector<int> script(kLand, 0);
    script.push_back(bits);
    return script;
}

}  // namespace

// Each sound is recorded by the very step in which its cause shows in the world, and by
// no step before it.
TEST(SoundEvents, EachSoundComesWithTheStepThatCausesIt) {
    using Scene = SoundScene;
    const auto fired = [](Scene& s) { return s.fired(); };
    const auto downwards = [](Scene& s) { s.shooter->aim = -1.0f; };
    const auto frail_target = [](Scene& s) {
        s.arm<Inventory::Pistol>();
        s.target->health = 5;
    };
    struct Case {
        const char* name;
        SoundKind kind;
        int bits;
        std::function<void(Scene&)> setup;
        std::function<bool(Scene&)> cause;
        int steps;
    } cases[] = {
        {"pistol", SK_PistolShot, ACT_FIRE, [](Scene& s) { s.arm<Inventory::Pistol>(); }, fired,
         kLand + 1},
        {"shotgun", SK_ShotgunShot, ACT_FIRE, [](Scene& s) { s.arm<Inventory::Shotgun>(); }, fired,
         kLand + 1},
        {"rockets", SK_RocketLaunch, ACT_FIRE, [](Scene& s) { s.arm<Inventory::RocketLauncher>(); },
         fired, kLand + 1},
        {"flak", SK_FlakShot, ACT_FIRE, [](Scene& s) { s.arm<Inventory::FlakCannon>(); }, fired,
         kLand + 1},
        {"dirt", SK_DirtShot, ACT_FIRE, [](Scene& s) { s.arm<Inventory::DirtCannon>(); }, fired,
         kLand + 1},
        {"rocket blast", SK_RocketBlast, ACT_FIRE,
         [&](Scene& s) { s.arm<Inventory::RocketLauncher>(), downwards(s); },
         [](Scene& s) { return s.any<Ammunition::Rocket>([](auto& r) { return r.burst; }); }, 120},
        {"flak burst", SK_FlakBurst, ACT_FIRE,
         [&](Scene& s) { s.arm<Inventory::FlakCannon>(), downwards(s); },
         [](Scene& s) { return s.any<Ammunition::Flak::Shrapnel>(); }, 120},
        {"splinter", SK_SplinterBlast, ACT_FIRE,
         [&](Scene& s) { s.arm<Inventory::FlakCannon>(), downwards(s); },
         [](Scene& s) {
             return s.any<Ammunition::Flak::Shrapnel>([](auto& f) { return f.burst; });
         },
         200},
        {"dig", SK_Dig, ACT_DIG, nullptr, [](Scene& s) { return static_cast<bool>(s.game.terrain_changed); },
         kLand + 1},
        {"pickup", SK_Pickup, 0,
         [](Scene& s) {
             auto* lying = new Inventory::Shotgun(&s.game, &s.game.level);
             lying->SetPosition(s.shooter->x, s.shooter->y);
             s.game.AddParticle(lying);
         },
         [](Scene& s) { return s.shooter->weapons.size() == 1; }, kLand + 1},
        {"hit", SK_Hit, ACT_FIRE, [](Scene& s) { s.arm<Inventory::Pistol>(); },
         [](Scene& s) { return s.target->health < 100; }, kLand + 1},
        {"death", SK_Death, ACT_FIRE, frail_target, [](Scene& s) { return s.target->deaths == 1; },
         kLand + 1},
        {"respawn", SK_Respawn, ACT_FIRE, frail_target,
         [](Scene& s) { return s.target->deaths == 1 && s.target->action != PA_Dead; }, 200},
        {"weapon switch", SK_WeaponSwitch, ACT_WEAPON,
         [](Scene& s) { s.arm<Inventory::Pistol>(), s.arm<Inventory::Shotgun>(); },
         [](Scene& s) { return s.shooter->current_weapon == s.shooter->weapons.begin(); },
         kLand + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene(after_landing(c.bits));
        if (c.setup) c.setup(scene);
        int caused = -1, heard = -1;
        for (int step = 0; step < c.steps && caused < 0; ++step) {
            scene.game.Logic(kStep);
            if (c.cause(scene)) caused = step;
            if (heard < 0 && scene.find(c.kind)) heard = step;
        }
        ASSERT_GE(caused, 0) << "the cause never showed";
        EXPECT_EQ(heard, caused);
    }
}

TEST(SoundEvents, AStepHearsOnlyItselfAndABurstOfPelletsIsOneEvent) {
    SoundScene scene(after_landing(ACT_FIRE));
    scene.arm<Inventory::Shotgun>();
    for (int i = 0; i <= kLand; ++i) scene.game.Logic(kStep);
    // Twelve pellets leave the muzzle inside player 2's circle: all strike in this step.
    const SoundEvent* hit = scene.find(SK_Hit);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->count, 12);
    EXPECT_NEAR(hit->x, scene.target->x, 1.0f);
    scene.game.Logic(kStep);
    EXPECT_EQ(scene.game.sounds.size(), 0u);
}

TEST(SoundEvents, OnlyIdenticalSoundsCloseTogetherMerge) {
    SoundEvents events;
    events.Add(SK_Hit, 0, 0);
    events.Add(SK_Hit, 30, 0);   // close: merged
    events.Add(SK_Death, 0, 0);  // another kind
    events.Add(SK_Hit, 300, 0);  // far: its own
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events.begin()[0].count, 2);
    // A full record still counts what it cannot hold with the first of its kind.
    for (int i = 0; i < 100; ++i) events.Add(SK_Dig, 1000.0f * i, 0);
    EXPECT_EQ(events.size(), SoundEvents::Capacity);
    events.Add(SK_Hit, 5000, 0);
    EXPECT_EQ(events.begin()[0].count, 3);
}
