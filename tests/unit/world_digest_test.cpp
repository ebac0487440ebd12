#include <allegro.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ammunition/ammunition.h"
#include "game/game.h"
#include "base/random.h"
#include "inventory/weapon.h"
#include "replay/world_digest.h"
#include "support/replay_support.h"
#include "support/test_support.h"

namespace {

class WorldDigest : public ::testing::Test {
protected:
    static testsupport::TempDir* dir;
    static std::string level;

    static void SetUpTestSuite() {
        dir = new testsupport::TempDir;
        level = dir->file("map.lvl");
        testsupport::write_replay_level(level);
    }
    static void TearDownTestSuite() { delete dir; }

    testsupport::ScopedConfig config;

    void Load(Game& game) {
        seed_random(99);
        ASSERT_TRUE(game.Load(level, 2));
    }
};

testsupport::TempDir* WorldDigest::dir;
std::string WorldDigest::level;

struct Change {
    const char* name;
    std::function<void(Game&)> apply;
};

TEST_F(WorldDigest, EveryPartOfTheWorldCounts) {
    const std::vector<Change> changes = {
        {"health", [](Game& g) { g.players.front().health -= 1; }},
        {"kills", [](Game& g) { g.players.back().kills += 1; }},
        {"aim", [](Game& g) { g.players.front().aim += 0.01f; }},
        {"action time", [](Game& g) { g.players.front().action_time += 0.5; }},
        {"velocity", [](Game& g) { g.players.back().vx = 1.0f; }},
        {"ammunition", [](Game& g) { (*g.players.front().current_weapon)->ammo -= 1; }},
        {"cooldown", [](Game& g) { (*g.players.front().current_weapon)->cooldown = 0.2; }},
        {"weapon chosen",
         [](Game& g) { g.players.front().SelectWeapon(g.players.front().weapons.end()); }},
        {"a projectile",
         [](Game& g) {
             Player& p = g.players.front();
             g.AddParticle(new Ammunition::Rocket(&p, &g, &g.level, 100, 50, 0.5f));
         }},
        {"selected player", [](Game& g) { g.selected = &g.players.back(); }},
        {"random state", [](Game&) { random15(); }},
        {"a dug pixel", [](Game& g) { g.level.Dig(100, 330, 1); }},
    };
    Game reference(640, 480);
    Load(reference);
    const std::uint64_t before = world_digest(reference);
    EXPECT_EQ(before, world_digest(reference));
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        Game game(640, 480);
        Load(game);
        ASSERT_EQ(before, world_digest(game));
        c.apply(game);
        EXPECT_NE(before, world_digest(game));
    }
}

TEST_F(WorldDigest, TheSameGameInAnotherColourDepthHasTheSameDigest) {
    std::uint64_t digests[2];
    int i = 0;
    for (int depth : {16, 32}) {
        testsupport::ScopedColorDepth scoped(depth);
        Game game(640, 480);
        Load(game);
        game.level.Dig(200, 250, 12);
        game.level.AddDirt(300, 150, 6);
        digests[i++] = world_digest(game);
    }
    EXPECT_EQ(digests[0], digests[1]);
}

}  // namespace
