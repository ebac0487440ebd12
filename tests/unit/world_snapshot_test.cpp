#include <gtest/gtest.h>

#include <allegro.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/hasher.h"
#include "base/random.h"
#include "game/game.h"
#include "replay/synctest.h"
#include "replay/world_digest.h"
#include "replay/world_snapshot.h"
#include "support/game_support.h"
#include "support/test_support.h"

namespace {

// Every pixel byte of a bitmap, to compare pictures the digest does not look at.
std::vector<unsigned char> pixels(BITMAP* bmp) {
    const std::size_t row = static_cast<std::size_t>(bmp->w) * ((bitmap_color_depth(bmp) + 7) / 8);
    std::vector<unsigned char> out;
    for (int y = 0; y < bmp->h; ++y) out.insert(out.end(), bmp->line[y], bmp->line[y] + row);
    return out;
}

// Two players fighting through every weapon on hilly ground with a cave.
struct Duel {
    testsupport::TempDir dir;
    testsupport::ScopedConfig config;
    Game game{640, 480};

    explicit Duel(unsigned seed) {
        const std::string file = dir.file("duel.lvl");
        testsupport::save_level_file(file, *testsupport::make_level(640, 400, testsupport::duel_ground));
        seed_random(seed);
        game.Load(file, 2);
        for (Player& p : game.players)
            testsupport::enter_duel(game, p, p.number == 1 ? 260.0f : 380.0f, 20.0f);
    }
    // The inputs played, for playing them again.
    std::vector<StepInput> Play(int steps) {
        std::vector<StepInput> inputs;
        for (int i = 0; i < steps; ++i) {
            inputs.push_back(game.GatherInput());
            game.Step(inputs.back(), testsupport::kStepDt);
        }
        return inputs;
    }
};

// Saved mid-fight, played on, restored: the same world, digest and pictures alike, and
// played on again it goes the same way.
TEST(WorldSnapshot, RestoreGivesBackTheWorldAndPlaysOnAlike) {
    Duel duel(20261207);
    WorldSaver saver(duel.game);
    duel.Play(400);
    WorldSnapshot saved;
    saver.Save(&saved);
    const std::uint64_t before = world_digest(duel.game);
    const std::vector<unsigned char> fore = pixels(duel.game.level.foreground);
    const std::vector<StepInput> inputs = duel.Play(300);
    const std::uint64_t later = world_digest(duel.game);
    ASSERT_NE(before, later);

    saver.Restore(saved);
    EXPECT_EQ(before, world_digest(duel.game));
    EXPECT_TRUE(fore == pixels(duel.game.level.foreground)) << "the clods' paint is undone";
    for (const StepInput& input : inputs) duel.game.Step(input, testsupport::kStepDt);
    EXPECT_EQ(later, world_digest(duel.game));
}

TEST(WorldSnapshot, SynctestHoldsThroughEveryWeaponAndDig) {
    Duel duel(7);
    SyncTest sync(duel.game, 4);
    std::string why;
    for (int i = 0; i < 1500; ++i)
        ASSERT_TRUE(sync.Step(duel.game.GatherInput(), testsupport::kStepDt, &why)) << why;
}

// An object whose copy forgets how many steps it lived: a restore that leaves a field
// out, which the synctest must name.
class Forgetful : public Particle {
public:
    int age;
    Forgetful(Game* g, int age) : Particle(g, &g->level, PC_None, 1.0f, 5.0f, 5.0f), age(age) {}
    bool Update(double) override {
        ++age;
        return false;
    }
    void Draw(BITMAP*, int, int) const override {}
    void Digest(Hasher& h) const override { h.Int(age); }
    Particle* Clone() const override { return new Forgetful(game, 0); }
};

TEST(WorldSnapshot, SynctestNamesTheStepAndThePartOfABrokenRestore) {
    Duel duel(7);
    duel.game.AddParticle(new Forgetful(&duel.game, 100));
    SyncTest sync(duel.game, 2);
    std::string why;
    ASSERT_TRUE(sync.Step(duel.game.GatherInput(), testsupport::kStepDt, &why));
    EXPECT_FALSE(sync.Step(duel.game.GatherInput(), testsupport::kStepDt, &why));
    EXPECT_EQ("synctest: step 1 played again after a rollback of 2 steps differs in the table "
              "(first of the parts that differ)",
              why);
}

}  // namespace
