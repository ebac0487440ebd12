#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/random.h"
#include "game/game.h"
#include "input/controls.h"
#include "input/pad_input.h"
#include "input/player_input.h"
#include "input/scripted_input.h"
#include "main/options.h"
#include "net/handshake.h"
#include "net/net_packet.h"
#include "player/player.h"
#include "player/rope.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "support/game_support.h"
#include "support/replay_support.h"
#include "support/test_support.h"
#include "support/two_machines.h"

namespace {

constexpr double kStep = testsupport::kStepDt;
constexpr int kCeiling = 20;  // rows above are rock
constexpr int kFloor = 250;   // rows from here down are dirt
constexpr float kAimUp = 1.0471976f;  // the highest aim, 60 degrees

// A hall 600 wide: a ceiling, a floor and a wall at the right.
bool hall(int x, int y) { return y < kCeiling || y >= kFloor || x >= 560; }

// One player on the floor of the hall, in a game with the rope rule; its script is held
// in `bits` and read afresh every step.
class RopeGame : public ::testing::Test {
protected:
    RopeGame() {
        testsupport::adopt_level(game.level, *testsupport::make_level(600, 300, hall));
        game.step_dt = kStep;
        game.rules.flags = MatchRules::kFlagRope;
        seed_random(3);
        p = &testsupport::add_player(game, 1, new ScriptedInput([this](std::size_t) {
            const int b = bits;
            bits &= ~ACT_ROPE;  // a press lasts one step
            return b;
        }));
        p->SetPosition(200, kFloor - 11);
    }

    void Steps(int n) {
        for (int i = 0; i < n; ++i) game.Logic(kStep);
    }
    // Fires along `aim` and steps until the hook is no longer flying (at most 2 s).
    void FireAt(float aim) {
        p->aim = aim;
        bits = ACT_ROPE;
        for (int i = 0; i < 120 && (i == 0 || p->rope.state == RS_Flying); ++i) Steps(1);
    }

    Game game{640, 480};
    Player* p = nullptr;
    int bits = 0;
};

}  // namespace

TEST_F(RopeGame, TheHookSticksAtTheFirstSolidPixelOnItsWay) {
    const struct {
        float aim, y;
        bool to_ceiling;
    } cases[] = {{kAimUp, kFloor - 11, true}, {0.0f, 150, false}};
    for (const auto& c : cases) {
        p->rope.Release();
        p->SetPosition(200, c.y);
        FireAt(c.aim);
        ASSERT_EQ(p->rope.state, RS_Attached) << c.aim;
        if (c.to_ceiling)
            EXPECT_EQ(static_cast<int>(std::floor(p->rope.hy)), kCeiling - 1);
        else
            EXPECT_EQ(static_cast<int>(std::floor(p->rope.hx)), 560);
        EXPECT_TRUE(game.level.IsSolid(static_cast<int>(p->rope.hx), static_cast<int>(p->rope.hy)));
    }
}

TEST_F(RopeGame, AHookThatMeetsNothingWithinReachIsLost) {
    game.level.Dig(300, 100, 400);  // the ceiling and the wall gone: open air
    p->SetPosition(200, 200);
    p->control = PC_None;  // keeps the player where it is
    p->aim = 1.0f;
    bits = ACT_ROPE;
    float farthest = 0;
    for (int i = 0; i < 120; ++i) {
        Steps(1);
        if (p->rope.state != RS_Flying) break;
        farthest = std::max(farthest, std::hypot(p->rope.hx - p->x, p->rope.hy - p->y));
    }
    EXPECT_EQ(p->rope.state, RS_None);
    // Sampled once a step: the last sample lies within a step's flight of the limit.
    EXPECT_GT(farthest, kRopeTable.max_length - kRopeTable.hook_speed * kStep);
    EXPECT_LE(farthest, kRopeTable.max_length);
}

TEST_F(RopeGame, UpAndDownReelTheRopeBetweenItsLimitsInsteadOfAiming) {
    FireAt(kAimUp);
    ASSERT_TRUE(p->rope.Attached());
    const float aim = p->aim;
    const struct {
        int key;
        float limit;
    } cases[] = {{ACT_UP, kRopeTable.min_length}, {ACT_DOWN, kRopeTable.max_length}};
    for (const auto& c : cases) {
        bits = c.key;
        Steps(300);
        ASSERT_TRUE(p->rope.Attached());
        EXPECT_EQ(p->rope.length, c.limit);
        EXPECT_EQ(p->aim, aim);
    }
}

TEST_F(RopeGame, ThePressAgainADeathOrTheTerrainsLossLetsGo) {
    FireAt(kAimUp);
    ASSERT_TRUE(p->rope.Attached());
    bits = ACT_ROPE;
    Steps(1);
    EXPECT_EQ(p->rope.state, RS_None) << "pressed again";

    FireAt(kAimUp);
    ASSERT_TRUE(p->rope.Attached());
    game.level.Dig(static_cast<int>(p->rope.hx), static_cast<int>(p->rope.hy), 4);
    Steps(1);
    EXPECT_EQ(p->rope.state, RS_None) << "dug away";

    FireAt(kAimUp);
    ASSERT_TRUE(p->rope.Attached());
    p->Damage(nullptr, 1000);
    EXPECT_EQ(p->rope.state, RS_None) << "dead";
    bits = ACT_ROPE;
    Steps(1);
    EXPECT_EQ(p->rope.state, RS_None) << "fired while dead";
    Steps(150);
    EXPECT_EQ(p->action, PA_Idle);
    EXPECT_EQ(p->rope.state, RS_None) << "respawned";
}

TEST_F(RopeGame, ATautLineLiftsItsPlayerWhoSwingsPastTheHookAndLetGoFalls) {
    const float floor_y = p->y;
    FireAt(kAimUp);
    ASSERT_TRUE(p->rope.Attached());
    float highest = p->y, rightmost = p->x;
    for (int i = 0; i < 170; ++i) {
        Steps(1);
        highest = std::min(highest, p->y);
        rightmost = std::max(rightmost, p->x);
    }
    EXPECT_LT(highest, floor_y - 150) << "lifted";
    EXPECT_GT(rightmost, p->rope.hx + 100) << "swung past the hook";
    EXPECT_LT(p->x, rightmost - 100) << "and back";
    ASSERT_TRUE(p->rope.Attached());
    bits = ACT_ROPE;
    Steps(150);
    EXPECT_EQ(p->rope.state, RS_None);
    EXPECT_NEAR(p->y, floor_y, 3) << "fell to the floor";
}

// A pit 100 deep in ground that starts at row 150, 80 wide from x 160, walls at the sides.
bool pit(int x, int y) {
    return x < 4 || x >= 596 || (y >= 150 && !(x >= 160 && x < 240 && y < 250));
}

TEST_F(RopeGame, HookingThePitsRimReelingInAndJumpingClimbsOutOfIt) {
    testsupport::adopt_level(game.level, *testsupport::make_level(600, 300, pit));
    p->SetPosition(175, 239);
    Steps(30);
    // Aimed just under the far rim's edge: the hook sticks in the top of its wall.
    FireAt(0.9f);
    ASSERT_TRUE(p->rope.Attached());
    EXPECT_LT(p->rope.hy, 160.0f);
    float highest = p->y;
    for (int i = 0; i < 300; ++i) {
        bits = ACT_UP | ACT_JUMP;
        Steps(1);
        highest = std::min(highest, p->y);
    }
    EXPECT_LT(highest, 150.0f - 10) << "above the ground beside the pit";
    bits = ACT_ROPE;
    for (int i = 0; i < 60; ++i) {
        Steps(1);
        bits = ACT_RIGHT;
    }
    EXPECT_EQ(p->rope.state, RS_None);
    EXPECT_GT(p->x, 250.0f) << "walked away from the rim";
    EXPECT_NEAR(p->y, 150.0f - 11, 2) << "on the ground";
}

// The pull of one step on a player in the air under a hook: none while slack, towards the
// hook while stretched, more the more stretched, and never more than the table's most.
TEST_F(RopeGame, ThePullPointsAtTheHookAndGrowsWithTheStretch) {
    p->rope.state = RS_Attached;
    p->rope.hx = 100;
    p->rope.hy = kCeiling - 1;
    p->rope.length = 50;
    auto pull_from = [&](float dx, float dy) {
        p->SetPosition(100 + dx, kCeiling - 1 + dy);
        p->vx = p->vy = 0;
        p->rope.Update(*p, game.level, kStep);
        return std::hypot(p->vx, p->vy);
    };
    EXPECT_EQ(pull_from(0, 40), 0.0f) << "slack";
    const float little = pull_from(0, 80), more = pull_from(0, 130);
    EXPECT_GT(little, 0.0f);
    EXPECT_GT(more, 1.5f * little);
    pull_from(120, 90);  // down and to the right of the hook
    EXPECT_LT(p->vx, 0.0f);
    EXPECT_LT(p->vy, 0.0f);
    EXPECT_NEAR(p->vx / p->vy, 120.0f / 90.0f, 1e-4);
    // Stretched twice as far as the most pull needs.
    p->rope.length = 10;
    const float capped = 2 * kRopeTable.max_pull / kRopeTable.stiffness;
    EXPECT_NEAR(pull_from(0.96f * capped, 0.28f * capped), kRopeTable.max_pull * kStep, 1e-3) << "the most";
}

TEST_F(RopeGame, WithoutTheRuleTheRopeKeyDoesNothingAndIsNotRecorded) {
    game.rules = MatchRules();
    p->aim = kAimUp;
    bits = ACT_ROPE | ACT_JUMP;
    const StepInput in = game.GatherInput();
    ASSERT_EQ(in.players.size(), 1u);
    EXPECT_FALSE(in.players[0].rope);
    EXPECT_EQ(in.players[0].bits, ACT_JUMP);
    StepInput pressed;
    pressed.players = {PlayerActions{0, -1, true}};
    game.Step(pressed, kStep);
    EXPECT_EQ(p->rope.state, RS_None);
}

TEST(RopeKeys, OnePressIsOneRopeActionOnTheKeysAndThePad) {
    testsupport::ScopedConfig config;
    Game game(640, 480);
    Player player(&game, &game.level, 1);
    PlayerInput keys(0, 0, 0, 0, 0, 0, 0, 0);
    keys.rope = KEY_E;
    struct PadScript : PadReader {
        unsigned* buttons;
        PadState Read() override {
            PadState s;
            s.buttons = *buttons;
            return s;
        }
    };
    unsigned buttons = 0;
    auto reader = std::make_unique<PadScript>();
    reader->buttons = &buttons;
    PadBinding binding;
    binding.rope = 4;
    std::ostringstream console;
    PadInput pad(1, 0, binding, std::move(reader), console);
    std::vector<int> keyboard_bits, pad_bits_seen;
    for (bool down : {true, true, false, true}) {
        key[KEY_E] = down;
        buttons = down ? 1u << 4 : 0u;
        WeaponSlot none = player.weapons.end();
        keyboard_bits.push_back(keys.Handle(player, game, none) & ACT_ROPE);
        pad_bits_seen.push_back(pad.Handle(player, game, none) & ACT_ROPE);
    }
    key[KEY_E] = 0;
    const std::vector<int> once_per_press = {ACT_ROPE, 0, 0, ACT_ROPE};
    EXPECT_EQ(keyboard_bits, once_per_press);
    EXPECT_EQ(pad_bits_seen, once_per_press);
}

TEST(RopeKeys, TheRulesOptionsAndSettings) {
    const struct {
        std::vector<const char*> argv;
        bool ok;
    } cases[] = {{{"vorlin", "--rope"}, true},
                 {{"vorlin", "--rope", "--kills", "3"}, true},
                 {{"vorlin", "--join", "host", "--rope"}, false},
                 {{"vorlin", "--replay", "a.rpl", "--rope"}, false}};
    for (const auto& c : cases) {
        MainOptions o;
        std::string why;
        EXPECT_EQ(parse_main_options(static_cast<int>(c.argv.size()), c.argv.data(), &o, &why), c.ok)
            << c.argv.back() << why;
        if (c.ok) {
            EXPECT_TRUE(o.rules.rope());
        }
    }
    for (const auto& [ini, rope] : std::vector<std::pair<std::string, bool>>{
             {"[match]\nrope = 1\n", true}, {"[match]\nrope = 0\n", false}, {"", false}}) {
        testsupport::ScopedConfig config(ini);
        std::string warning;
        EXPECT_EQ(configured_match_rules(&warning).rope(), rope) << ini;
        // Read with its default, never written: the first run's file stays as it was.
        EXPECT_EQ(read_binding("player[1].rope", default_rope_key(1)), KEY_E);
        EXPECT_EQ(read_binding("player[2].rope", default_rope_key(2)), KEY_1_PAD);
        EXPECT_EQ(get_config_string("controls", "player[1].rope", nullptr), nullptr);
    }
}

// Player 1 fires up now and then and reels in; player 2 fires ahead and lets go.
int rope_script(int number, std::size_t step) {
    if (number == 1) return step % 150 == 20 ? ACT_ROPE : step % 150 < 20 ? ACT_UP : ACT_UP | ACT_RIGHT;
    return step % 100 == 50 ? ACT_ROPE : ACT_LEFT;
}

TEST(RopeReplay, ARecordedRopeGameVerifiesAndHoldsItsPresses) {
    testsupport::TempDir dir;
    const std::string level = dir.file("rope.lvl");
    const std::string replay = dir.file("rope.rpl");
    testsupport::write_replay_level(level);
    MatchRules rules;
    rules.flags = MatchRules::kFlagRope;
    testsupport::record_game(level, replay, 5, 1200, testsupport::scripted(rope_script), nullptr,
                             nullptr, rules);

    testsupport::ScopedConfig config;
    Game game(640, 480);
    ReplayHeader header;
    const VerifyResult result = testsupport::verify_recorded(replay, level, game, &header);
    EXPECT_EQ(header.rules, rules);
    EXPECT_TRUE(result.same) << verify_line(result);
    EXPECT_EQ(result.steps, 1200u);
    // 8 presses of player 1 and 12 of player 2, each a rope entry.
    const std::string bytes = testsupport::read_file(replay);
    std::size_t presses = 0;
    for (std::size_t at = bytes.find('\x08'); at != std::string::npos; at = bytes.find('\x08', at + 1))
        presses += at + 1 < bytes.size() && (bytes[at + 1] == 0 || bytes[at + 1] == 1);
    EXPECT_GE(presses, 20u);
}

TEST(RopeNetwork, PressesTravelAndBothWorldsStayTheSame) {
    net::Steps steps{0, 4, {net::StepRecord{{ACT_UP, -1, true}, {}}, net::StepRecord{{0, -1, false}, {"select 2"}},
                            net::StepRecord{{0, -1, true}, {}}}};
    const std::vector<std::uint8_t> wire = net::encode(steps);
    EXPECT_EQ(wire[0], 7);
    const auto back = net::decode(wire.data(), wire.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(std::get<net::Steps>(*back).records, steps.records);
    std::vector<std::uint8_t> bad = wire;
    bad.back() = 0;  // the second press names the first record again
    std::string why;
    EXPECT_FALSE(net::decode(bad.data(), bad.size(), &why));
    EXPECT_EQ(why, "bad rope presses");

    testsupport::TempDir dir;
    testsupport::ScopedConfig config;
    const std::string level = dir.file("map.lvl");
    testsupport::write_replay_level(level);
    MatchRules rules;
    rules.flags = MatchRules::kFlagRope;
    net::Hello host = *net::make_hello(level, kStep, 77, 3, rules);
    net::Hello joiner = *net::make_hello(level, kStep, 78, 3);
    testsupport::TwoMachines machines(level);
    ASSERT_TRUE(machines.Connect(host, joiner, net::LinkOptions{}, std::nullopt, &why)) << why;
    ASSERT_TRUE(machines.StartGames(
        [](int n) { return new ScriptedInput([n](std::size_t s) { return rope_script(n, s); }); },
        &why))
        << why;
    EXPECT_EQ(machines[1].game->rules, rules);
    int attached = 0;
    machines.Run(
        [&] {
            for (const Player& p : machines[1].game->players) attached += p.rope.Attached();
            return machines[0].game->steps_taken >= 900 && machines[1].game->steps_taken >= 900;
        },
        900);
    EXPECT_GT(attached, 0);
    EXPECT_EQ(machines.WorldDigest(0), machines.WorldDigest(1));
}
