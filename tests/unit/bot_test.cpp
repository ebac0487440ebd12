#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "arena/match.h"
#include "bot/ballistics.h"
#include "bot/bot_input.h"
#include "bot/bot_skill.h"
#include "bot/computer_seats.h"
#include "bot/disc_motion.h"
#include "bot/path_planner.h"
#include "bot/terrain_grid.h"
#include "game/game.h"
#include "base/random.h"
#include "input/scripted_input.h"
#include "inventory/weapon.h"
#include "support/game_support.h"
#include "level/level.h"
#include "levelgen_looks.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "support/replay_support.h"
#include "support/test_support.h"

namespace {

using testsupport::make_level;

constexpr double kDt = 0.01666666753590107;

int cell(float pixel) { return TerrainGrid::CellOf(pixel); }

// Rolling dirt hills with a cave, as a small arena.
bool hills(int x, int y) {
    const double ground = 230 + 40 * std::sin(x / 45.0) + 15 * std::sin(x / 13.0);
    const bool cave = (x - 320) * (x - 320) / 4 + (y - 320) * (y - 320) < 40 * 40;
    return y >= ground && !cave;
}

// Plays a replay file on a fresh game and compares its digests.
VerifyResult verify_replay(const std::string& replay, const std::string& level) {
    Game game(640, 480);
    return testsupport::verify_recorded(replay, level, game);
}

std::string save_level(const testsupport::TempDir& dir, Level& level) {
    const std::string file = dir.file("map.lvl");
    PACKFILE* pf = pack_fopen(file.c_str(), "wp");
    level.Save(pf);
    pack_fclose(pf);
    return file;
}

// A level of the generator, built and saved as the game saves a level file; its file.
std::string generated_level(const testsupport::TempDir& dir, const levelgen::LevelRecipe& recipe) {
    std::string why;
    if (!levelgen::save_level_images(levelgen::make_level_images(recipe), dir.path(), &why)) {
        ADD_FAILURE() << why;
        return "";
    }
    Level level(dir.file("mask.bmp"), dir.file("undiggable.bmp"), dir.file("fore.bmp"), dir.file("back.bmp"));
    return save_level(dir, level);
}

TEST(BotSkill, ParsesTheThreeLevelsAndRefusesAnythingElse) {
    BotSkill s = BotSkill::Normal;
    for (const char* name : {"easy", "normal", "hard"}) {
        ASSERT_TRUE(parse_bot_skill(name, &s)) << name;
        EXPECT_STREQ(name, bot_skill_name(s));
    }
    for (const char* bad : {"", "Easy", "genius", "hard "}) EXPECT_FALSE(parse_bot_skill(bad, &s)) << bad;
    Contestant c;
    EXPECT_TRUE(parse_contestant("random", &c));
    EXPECT_EQ(Contestant::Random, c);
    EXPECT_TRUE(parse_contestant("beginner", &c));
    EXPECT_EQ(Contestant::Beginner, c);
    EXPECT_FALSE(parse_contestant("alien", &c));
}

TEST(BotSkill, TheIniSkillFallsBackToNormalForAnythingButTheThreeNames) {
    const struct {
        const char* ini;
        BotSkill expected;
    } cases[] = {
        {"[bot]\nskill = hard\n", BotSkill::Hard},
        {"[bot]\nskill =   easy  \n", BotSkill::Easy},
        {"[bot]\nskill = genius\n", BotSkill::Normal},
        {"[bot]\nskill = hardest\n", BotSkill::Normal},
        {"[bot]\nskill =\n", BotSkill::Normal},
        {"[game]\nskill = hard\n", BotSkill::Normal},
    };
    for (const auto& c : cases) {
        testsupport::ScopedConfig config(c.ini);
        EXPECT_EQ(c.expected, configured_bot_skill()) << c.ini;
    }
}

// Dirt ground with a block of rock standing on it, too tall to jump; or a wall of rock
// from the top of the level to the bottom.
struct PlanCase {
    const char* name;
    int rock_top;
    int rock_bottom;
    bool reachable;
};

TEST(PathPlanner, DigsUnderRockItCannotJumpAndNeverThroughIt) {
    const PlanCase cases[] = {{"block on the ground", 20, 100, true},
                              {"wall top to bottom", 0, 160, false}};
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto rock = [&c](int x, int y) { return x >= 100 && x < 140 && y >= c.rock_top && y < c.rock_bottom; };
        auto level = make_level(240, 160, [&](int x, int y) { return y >= 100 || rock(x, y); }, rock);
        TerrainGrid grid;
        grid.Build(*level);
        PathPlanner planner;
        const auto path = planner.Plan(grid, cell(40), cell(90), cell(200), cell(90));
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(c.reachable, planner.reached());
        bool dug = false;
        for (const PathNode& n : path) {
            EXPECT_TRUE(grid.Diggable(n.cx, n.cy)) << n.cx << "," << n.cy;
            dug = dug || n.move == Move::Dig;
        }
        if (c.reachable) {
            EXPECT_TRUE(dug);
        } else {
            EXPECT_LT(path.back().cx, cell(100));
        }
    }
}

// A way up through dirt goes where a player can cling while it digs: straight up, with
// terrain beside the disc. The goal lies on a slab of dirt held up by a stalk, or over a
// dirt ceiling spanning a hall whose right side is a wall: the way rises only inside the
// stalk or along the wall, never in the open air under the slab or the ceiling.
TEST(PathPlanner, DigsUpOnlyWhereAPlayerCanClingToTheDirt) {
    const struct {
        const char* name;
        testsupport::SolidFn solid;
        int cling_left, cling_right;  // pixel columns of the dirt to climb by
    } cases[] = {
        {"slab on a stalk",
         [](int x, int y) {
             return y >= 200 || (x >= 150 && x < 180 && y >= 100) || (x >= 100 && x < 230 && y >= 80 && y < 100);
         },
         150, 180},
        {"ceiling over a hall",
         [](int x, int y) { return y >= 200 || (y >= 80 && y < 100) || x >= 260; }, 260, 320},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto level = make_level(320, 240, c.solid);
        TerrainGrid grid;
        grid.Build(*level);
        PathPlanner planner;
        const auto path = planner.Plan(grid, cell(40), cell(189), cell(165), cell(69));
        ASSERT_TRUE(planner.reached());
        for (std::size_t i = 1; i < path.size(); ++i) {
            if (path[i].move != Move::Dig || path[i].cy >= path[i - 1].cy) continue;
            EXPECT_EQ(path[i - 1].cx, path[i].cx) << "diagonally up at " << path[i].cy;
            EXPECT_GE(path[i].cx, cell(c.cling_left) - 1) << "up in the open at " << path[i].cy;
            EXPECT_LE(path[i].cx, cell(c.cling_right - 1) + 1) << "up in the open at " << path[i].cy;
        }
    }
}

// Where a way failed in the world, the next plan goes round it while the level has
// another way, and still through it when it has none: an avoided cell costs a detour, it
// is not a wall. A walk along rock ground, with room to jump over the avoided cells or in
// a tunnel too low for that.
TEST(PathPlanner, GoesRoundTheCellsItAvoidsWhileAnotherWayIs) {
    const struct {
        const char* name;
        testsupport::SolidFn rock;
        bool way_round;
    } cases[] = {
        {"open ground", [](int, int y) { return y >= 96; }, true},
        {"low tunnel", [](int, int y) { return y >= 96 || y < 64; }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto level = make_level(240, 160, c.rock, c.rock);
        TerrainGrid grid;
        grid.Build(*level);
        PathPlanner planner;
        const int ax = cell(120), ay = cell(90);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) planner.Avoid(grid, ax + dx, ay + dy, 100.0f);
        auto through = [&](const std::vector<PathNode>& path) {
            for (const PathNode& n : path)
                if (std::abs(n.cx - ax) <= 1 && std::abs(n.cy - ay) <= 1) return true;
            return false;
        };
        auto path = planner.Plan(grid, cell(40), ay, cell(200), ay);
        ASSERT_TRUE(planner.reached());
        EXPECT_EQ(!c.way_round, through(path));
        planner.ForgetAvoided();
        path = planner.Plan(grid, cell(40), ay, cell(200), ay);
        EXPECT_TRUE(through(path));
    }
}

// Where the cells around the start show no way, the pixels the caller has seen there do:
// a jump out of a pocket of rock one pixel wider than the disc, too narrow for the cells
// to hold it; a dig straight up out of a shaft that a climb has worn wider than the disc,
// whose cells beside hold no dirt.
TEST(PathPlanner, TakesTheWayThePixelsAtTheStartShow) {
    const struct {
        const char* name;
        testsupport::SolidFn solid, rock;
        int x, y, gx, gy;
        StartColumn seen;
        Move first;
    } cases[] = {
        {"pocket", [](int x, int y) { return y >= 300 || (y >= 262 && (x < 390 || x >= 412)); }, nullptr,
         401, 289, 500, 251, {0, 6}, Move::Jump},
        {"worn shaft", [](int x, int y) { return y >= 100 && !(x >= 190 && x < 216 && y >= 150); },
         [](int, int y) { return y >= 300; }, 203, 155, 203, 80, {3, 0}, Move::Dig},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto level = make_level(640, 320, c.solid, c.rock ? c.rock : c.solid);
        TerrainGrid grid;
        grid.Build(*level);
        PathPlanner planner;
        auto first_move_up = [&](const std::vector<PathNode>& path) {
            return path.size() >= 2 && path[1].move == c.first && path[1].cy < path[0].cy;
        };
        const int sx = cell(c.x), sy = cell(c.y), gx = cell(c.gx), gy = cell(c.gy);
        EXPECT_FALSE(first_move_up(planner.Plan(grid, sx, sy, gx, gy, 20000)));
        const auto path = planner.Plan(grid, sx, sy, gx, gy, 20000, c.seen);
        EXPECT_TRUE(planner.reached());
        ASSERT_TRUE(first_move_up(path));
        if (c.first == Move::Dig) {
            EXPECT_EQ(sx, path[1].cx);
        }
    }
}

// A player pressed against a side of the level has its centre in the outermost column of
// cells, where no node is ever open: the way to it ends in the cell next to it, reached.
TEST(PathPlanner, ReachesAGoalAgainstASideOfTheLevel) {
    auto ground = [](int, int y) { return y >= 100; };
    auto level = make_level(240, 160, ground, ground);
    TerrainGrid grid;
    grid.Build(*level);
    for (const int side : {0, grid.cols() - 1}) {
        SCOPED_TRACE(side);
        PathPlanner planner;
        const auto path = planner.Plan(grid, grid.cols() / 2, cell(90), side, cell(90));
        EXPECT_TRUE(planner.reached());
        ASSERT_FALSE(path.empty());
        EXPECT_LE(std::abs(path.back().cx - side), 1);
    }
}

TEST(TerrainGrid, SeesACraterOnceItsRowsAreReadAgain) {
    auto level = make_level(160, 80, [](int, int y) { return y >= 40; });
    TerrainGrid grid;
    grid.Build(*level);
    EXPECT_EQ(TerrainGrid::Dirt, grid.At(cell(80), cell(50)));
    level->Dig(80, 50, 10);
    EXPECT_EQ(TerrainGrid::Dirt, grid.At(cell(80), cell(50)));
    EXPECT_GT(grid.Refresh(grid.rows()), 0);
    EXPECT_EQ(TerrainGrid::Air, grid.At(cell(80), cell(50)));
}

// A loaded two-player game on the hills with idle players.
struct Arena {
    testsupport::TempDir dir;
    testsupport::ScopedConfig config;
    Game game{640, 480};

    explicit Arena(const testsupport::SolidFn& solid = hills, int w = 640, int h = 400,
                   const testsupport::SolidFn& undiggable = nullptr) {
        auto level = make_level(w, h, solid, undiggable);
        Start(save_level(dir, *level));
    }
    // On a level file saved before, for tests that play many short games on one level.
    explicit Arena(const std::string& level_file) { Start(level_file); }
    void Start(const std::string& level_file) {
        game.Load(level_file, 2);
        game.step_dt = kDt;
        for (int n = 1; n <= 2; ++n) {
            delete game.inputs[n];
            game.inputs[n] = new ScriptedInput(std::vector<int>());
        }
    }
    Player& player(int n) { return n == 1 ? game.players.front() : game.players.back(); }
    // Player 1 played by a normal bot at (x, y), its idle enemy at (ex, ey).
    Player& BotAgainstIdle(unsigned bot_seed, float x, float y, float ex, float ey) {
        delete game.inputs[1];
        game.inputs[1] = new BotInput(BotSkill::Normal, bot_seed);
        player(1).SetPosition(x, y);
        player(2).SetPosition(ex, ey);
        return player(1);
    }
    // Player 1's weapons emptied and a loaded W put in its hand.
    template <typename W>
    W* ArmOnly() {
        Player& me = player(1);
        for (Inventory::Weapon* w : me.weapons) w->ammo = 0;
        auto* weapon = new W(&game, &game.level);
        me.PickUp(weapon);
        me.current_weapon = std::prev(me.weapons.end());
        return weapon;
    }
    // Plays until `done` holds or `seconds` have passed; the steps played.
    int PlayUntil(int seconds, const std::function<bool()>& done) {
        int i = 0;
        for (; i < seconds * 60 && !done(); ++i) game.Logic(kDt);
        return i;
    }
};

// The bot's look ahead moves a disc as the game moves its player: over the hills and into
// the cave, walking, jumping while it walks and falling off the cave's edge.
TEST(DiscMotion, FollowsThePlayerStepForStep) {
    struct Script {
        float x, y;
        int walk;
        int jump_every;  // steps; 0: never
    };
    for (const Script& c : {Script{100, 150, 1, 0}, Script{250, 150, 1, 45}, Script{500, 150, -1, 1},
                            Script{320, 300, -1, 0}}) {
        Arena arena;
        Player& me = arena.player(1);
        const int bits = c.walk < 0 ? ACT_LEFT : ACT_RIGHT;
        delete arena.game.inputs[1];
        arena.game.inputs[1] = new ScriptedInput([&](std::size_t step) {
            return bits | (c.jump_every && step % c.jump_every == 0 ? ACT_JUMP : 0);
        });
        me.SetPosition(c.x, c.y);
        arena.player(2).SetPosition(600, 50);
        TerrainGrid grid;
        grid.Build(arena.game.level);
        DiscMotion d{me.x, me.y, 0, 0, true, false, 0};
        for (std::size_t step = 0; step < 240; ++step) {
            const bool jump = c.jump_every && step % c.jump_every == 0;
            d.Step(grid.mask(), kDt, c.walk, jump);
            arena.game.Logic(kDt);
            ASSERT_EQ(me.x, d.x) << "from " << c.x << "," << c.y << " step " << step;
            ASSERT_EQ(me.y, d.y) << "from " << c.x << "," << c.y << " step " << step;
        }
    }
}

TEST(BotInput, DecidesWithoutTouchingTheWorldOrItsRandomNumbers) {
    Arena arena;
    for (int i = 0; i < 60; ++i) arena.game.Logic(kDt);
    Player& me = arena.player(1);
    const float x = me.x, y = me.y, aim = me.aim;
    seed_random(77);
    BotInput bot(BotSkill::Hard, 3);
    for (int i = 0; i < 200; ++i) {
        WeaponSlot slot = me.weapons.end();
        bot.Handle(me, arena.game, slot);
    }
    const int next = random15();
    seed_random(77);
    EXPECT_EQ(random15(), next);
    EXPECT_EQ(x, me.x);
    EXPECT_EQ(y, me.y);
    EXPECT_EQ(aim, me.aim);
}

// A short headless game on the hills: the bots, and the beginner that measures easy, find
// the other player and kill it, and no bot stands still for 10 s. Recorded, such a game
// replays to the same world.
TEST(Match, BotsFindAndKillTheirEnemyWithoutGettingStuckAndTheGameReplays) {
    testsupport::TempDir dir;
    testsupport::ScopedConfig config;
    auto level = make_level(640, 400, hills);
    MatchSetup setup;
    setup.level_file = save_level(dir, *level);
    setup.seconds = 60;
    const std::vector<Contestant> sides[] = {{Contestant::Bot, Contestant::Idle},
                                             {Contestant::Bot, Contestant::Bot},
                                             {Contestant::Beginner, Contestant::Idle}};
    for (const auto& players : sides) {
        setup.players = players;
        int kills = 0;
        for (unsigned seed = 1; seed <= 3; ++seed) {
            setup.seed = seed;
            setup.record = seed == 1 ? dir.file("match.rpl") : "";
            const MatchResult r = play_match(setup);
            ASSERT_TRUE(r.ok) << r.error;
            for (std::size_t i = 0; i < players.size(); ++i) {
                kills += r.players[i].kills;
                if (players[i] == Contestant::Bot) {
                    EXPECT_LT(r.players[i].longest_still, 10.0);
                }
            }
            if (!setup.record.empty()) {
                const VerifyResult v = verify_replay(setup.record, setup.level_file);
                EXPECT_TRUE(v.same) << verify_line(v);
                EXPECT_EQ(r.steps, v.steps);
            }
        }
        EXPECT_GE(kills, 3);
    }
    setup.record = setup.level_file;
    EXPECT_FALSE(play_match(setup).ok) << "recorded over its own level";
    setup.level_file = dir.file("missing.lvl");
    EXPECT_FALSE(play_match(setup).ok);
}

// "player bot" and "player human" travel in the step record: the game replays to the same
// world, and the bot really played in between.
TEST(Match, AHandOverByTheConsoleReplaysToTheSameWorld) {
    testsupport::TempDir dir;
    const std::string level = dir.file("map.lvl");
    testsupport::write_replay_level(level);
    auto commands = [](std::uint64_t step) -> std::vector<std::string> {
        if (step == 30) return {"select 2", "player bot hard"};
        if (step == 1500) return {"player human"};
        return {};
    };
    ComputerSeats seats({}, {}, BotSkill::Normal, 5);
    const auto idle = testsupport::scripted([](int, std::size_t) { return 0; });
    const std::uint64_t handed = testsupport::record_game(level, dir.file("handed.rpl"), 9, 1800,
                                                          idle, commands, &seats);
    const std::uint64_t alone =
        testsupport::record_game(level, dir.file("alone.rpl"), 9, 1800, idle);
    EXPECT_NE(alone, handed) << "the bot did nothing";
    const VerifyResult v = verify_replay(dir.file("handed.rpl"), level);
    EXPECT_TRUE(v.same) << verify_line(v);
    EXPECT_EQ(handed, v.digest);
}

// Dropped into a pit deeper than a jump, with its enemy on the ground beside it, the bot
// works its way out instead of waiting at the bottom.
TEST(BotInput, ClimbsOutOfAPitDeeperThanAJump) {
    auto ground = [](int x, int y) { return y >= 120 && !(x >= 180 && x < 220 && y < 180); };
    Arena arena(ground, 400, 200);
    Player& me = arena.player(1);
    Player& enemy = arena.player(2);
    delete arena.game.inputs[1];
    arena.game.inputs[1] = new BotInput(BotSkill::Normal, 9);
    me.SetPosition(200, 160);
    enemy.SetPosition(60, 100);
    float highest = me.y;
    for (int i = 0; i < 60 * 60 && highest > 110; ++i) {
        arena.game.Logic(kDt);
        if (me.action != PA_Dead) highest = std::min(highest, me.y);
    }
    EXPECT_LE(highest, 110) << "still at the bottom of the pit";
}

// The steepest aims meet an enemy close by where the game's own pistol shot hits it at
// every launch speed, and only there: right below or above, or beside the muzzle, a shot
// passes through, at some speeds or at all. Asked for a hit at some speed only, they meet
// nowhere the game's shot never hits. The game's shots are fired with the world's
// generator seeded, so that what earlier tests drew does not choose the speeds.
TEST(Ballistics, APointBlankShotMeetsOnlyWhereTheGameTestsIt) {
    enum Game { Never, Sometimes, Always };
    const struct {
        float dx, dy;  // the enemy from the shooter, y down
        bool meets;
        Game game;
    } cases[] = {{10, 20, true, Always},    {13, 28, true, Always},  {16, -28, true, Always},
                 {0, 20, false, Sometimes}, {0, -24, false, Never},  {-8, 24, false, Never},
                 {6, 6, false, Never},      {30, 10, false, Never},  {4, 20, false, Always},
                 {4, -22, false, Always}};
    auto air = testsupport::make_level(400, 300, [](int, int y) { return y >= 290; });
    TerrainGrid grid;
    grid.Build(*air);
    constexpr int kShots = 12;
    testsupport::TempDir dir;
    const std::string ground = save_level(dir, *testsupport::make_level(640, 400, [](int, int y) { return y >= 390; }));
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        const double angle = c.dy > 0 ? -PI / 3 : PI / 3;
        EXPECT_EQ(c.meets, small_shot_meets(grid.mask(), 200, 150, angle, 200 + c.dx, 150 + c.dy, 40));
        const bool sometimes = small_shot_meets(grid.mask(), 200, 150, angle, 200 + c.dx, 150 + c.dy, 40, false);
        int hits = 0;
        for (int shot = 1; shot <= kShots; ++shot) {
            Arena arena(ground);
            seed_random(shot);
            Player& me = arena.player(1);
            Player& enemy = arena.player(2);
            delete arena.game.inputs[1];
            arena.game.inputs[1] = new ScriptedInput(std::vector<int>{ACT_FIRE});
            testsupport::hand_over(me, new Inventory::Pistol(&arena.game, &arena.game.level));
            me.SetPosition(200, 150);
            me.aim = static_cast<float>(angle);
            enemy.SetPosition(200 + c.dx, 150 + c.dy);
            for (int i = 0; i < 10; ++i) arena.game.Logic(kDt);
            hits += enemy.health < 100;
        }
        const Game seen = hits == 0 ? Never : hits == kShots ? Always : Sometimes;
        EXPECT_EQ(c.game, seen) << "the game's shots: " << hits << " of " << kShots << " hit";
        EXPECT_TRUE(!sometimes || seen != Never) << "meets at some speed, but the game's shots never hit";
    }
}

}  // namespace

// A shaft in flat ground between the bot and its enemy, a little wider than a player, as
// the caves have them: the bot jumps it rather than walk in and fall.
TEST(BotJumps, JumpsAShaftInTheWayInsteadOfFallingIn) {
    auto ground_with_shaft = [](int x, int y) { return y >= 300 && !(x >= 200 && x < 226 && y < 580); };
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(ground_with_shaft, 640, 600);
        Player& me = arena.BotAgainstIdle(world, 120, 289, 420, 289);
        float lowest = me.y;
        for (int i = 0; i < 10 * 60 && me.x < 240; ++i) {
            arena.game.Logic(kDt);
            if (me.action != PA_Dead) lowest = std::max(lowest, me.y);
        }
        EXPECT_GE(me.x, 240) << "world seed " << world;
        EXPECT_LT(lowest, 300) << "fell into the shaft, world seed " << world;
    }
}

// A zigzag of stepping stones as levelgen's islands lay them, up to an island at y = 70
// left of x = 54, over ground at the height of one more stone: stone k (from 1) has its top
// at 70 + 30 k, from x = 60 when k is odd and from x = 98 when it is even, 32 wide and 6
// thick. Mirrored in a level `mirror_width` wide, the island is on the right.
int zigzag_floor(int stones) { return 70 + 30 * (stones + 1); }
testsupport::SolidFn island_and_stones(int stones, int mirror_width = 0) {
    return [stones, mirror_width](int x, int y) {
        if (mirror_width > 0) x = mirror_width - 1 - x;
        if (y >= zigzag_floor(stones) || (y >= 70 && y < 80 && x < 54)) return true;
        for (int k = 1; k <= stones; ++k) {
            const int top = 70 + 30 * k, x0 = k % 2 ? 60 : 98;
            if (y >= top && y < top + 6 && x >= x0 && x < x0 + 32) return true;
        }
        return false;
    };
}

// The enemy on the island: the bot climbs the stones, jumping past each stone's edge and
// over onto it.
TEST(BotJumps, ClimbsAZigzagOfSteppingStonesOntoAnIsland) {
    // The weapons the world drops differ with its random numbers, and the bot may go for
    // one on the way.
    for (unsigned world = 1; world <= 8; ++world) {
        seed_random(world);
        Arena arena(island_and_stones(3), 400, 200);
        Player& me = arena.BotAgainstIdle(9, 250, 179, 20, 59);
        float highest = me.y;
        for (int i = 0; i < 20 * 60 && highest > 60; ++i) {
            arena.game.Logic(kDt);
            if (me.action != PA_Dead) highest = std::min(highest, me.y);
        }
        EXPECT_LE(highest, 60) << "never above the island, world seed " << world;
    }
}

// Plays until the bot stands on the zigzag's island, for at most 30 s.
void expect_on_the_island_within_30s(Arena& arena, const Player& me, unsigned world) {
    int i = 0;
    for (; i < 30 * 60 && !(me.action != PA_Dead && me.y <= 60); ++i) arena.game.Logic(kDt);
    EXPECT_LT(i, 30 * 60) << "not on the island in 30 s, world seed " << world << "; at " << me.x << ","
                          << me.y;
}

// Nine stones: a walk to the take-off of a jump, from a stone's outer end under the next
// one, stops there rather than run off the stone's other end, and no run-up that would get
// the bot onto the next stone is left untried. The bot is up in half a minute.
TEST(BotJumps, ClimbsATallZigzagWithoutFallingBackForLong) {
    const int floor = zigzag_floor(9);
    for (unsigned world = 1; world <= 8; ++world) {
        seed_random(world);
        Arena arena(island_and_stones(9), 400, floor + 40);
        Player& me = arena.BotAgainstIdle(9, 250, static_cast<float>(floor - 11), 20, 59);
        expect_on_the_island_within_30s(arena, me, world);
    }
}

// The same stairs mirrored, the island on the right and reaching far on: the enemy stands
// at its far end, out of the bot's reach. From a stone's inner end the next stone begins 6
// pixels on and 30 higher, so a jump straight up meets its near end; the hop that clears it
// starts with a few steps away and comes down 2 cells beyond the node of the way there, on
// a stone that holds only two nodes (the stones stand where the cells put them so, as on
// the islands). It counts, and the bot is on the island in half a minute.
TEST(BotJumps, ClimbsAZigzagThatRisesToTheRight) {
    const int floor = zigzag_floor(9), w = 1000, stairs = 401;
    const auto stones = island_and_stones(9, stairs);
    const auto solid = [&](int x, int y) { return stones(x, y) || (x >= stairs && y >= 70 && y < 80); };
    for (unsigned world = 1; world <= 8; ++world) {
        seed_random(world);
        Arena arena(solid, w, floor + 40);
        Player& me = arena.BotAgainstIdle(9, stairs - 1 - 250, static_cast<float>(floor - 11), w - 30, 59);
        expect_on_the_island_within_30s(arena, me, world);
    }
}

// The enemy on a ledge 29 pixels up, 28 pixels from its edge; the bot, its rounds all
// spent, on a stepping stone that ends 6 pixels short of the ledge. The hop up passes closer
// to the enemy than the bot can aim at, where it would back away on the ground: in the air
// it flies the hop on and lands up there.
TEST(BotJumps, HopsUpBesideAnEnemyTooCloseToAimAt) {
    auto stone_and_ledge = [](int x, int y) {
        return y >= 380 || (x >= 420 && x < 452 && y >= 274 && y < 280) || (x >= 458 && y >= 245 && y < 300);
    };
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(stone_and_ledge, 640, 400);
        Player& me = arena.BotAgainstIdle(world, 436, 263, 486, 234);
        for (Inventory::Weapon* w : me.weapons) w->ammo = 0;
        int i = 0;
        for (; i < 10 * 60 && !(me.action != PA_Dead && me.x >= 458 && me.y < 245); ++i)
            arena.game.Logic(kDt);
        EXPECT_LT(i, 10 * 60) << "not up on the ledge in 10 s, world seed " << world << "; at " << me.x << ","
                              << me.y;
    }
}

// A disc that comes to rest against a wall, with nothing under it, stays there until it
// moves. The bot's way goes straight down the shaft beside the wall, to the enemy under
// the overhang: it steps away from the wall and falls.
TEST(BotJumps, LetsGoOfAWallWhenItsWayFalls) {
    auto shaft = [](int x, int y) { return y >= 190 || (y >= 100 && y < 160 && x >= 56); };
    Arena arena(shaft, 200, 200);
    Player& me = arena.BotAgainstIdle(9, 46, 100, 150, 179);
    int i = 0;
    for (; i < 2 * 60 && me.y < 150; ++i) arena.game.Logic(kDt);
    EXPECT_LT(i, 2 * 60) << "still at " << me.x << "," << me.y;
}

// For world seeds 1 to 3, in the arena `make` builds: the bot put at (x, y), its enemy at
// (ex, ey), is more than 4 pixels from that place within `seconds`.
void expect_leaves_the_place(int seconds, const std::function<std::unique_ptr<Arena>()>& make, float x,
                             float y, float ex, float ey) {
    for (unsigned world = 1; world <= 3; ++world) {
        seed_random(world);
        const auto arena = make();
        Player& me = arena->BotAgainstIdle(world, x, y, ex, ey);
        const int steps = arena->PlayUntil(seconds, [&] { return std::hypot(me.x - x, me.y - y) > 4; });
        EXPECT_LT(steps, seconds * 60) << "still in place after " << seconds << " s, world seed " << world;
    }
}

// On the hills of seed 23 a sliver of dirt runs down the slope over a tunnel's mouth. With
// the disc's centre on it and the tunnel's wall eleven pixels below, the player falls a
// little every step, meets the sliver with its centre and stops where it was: it can
// neither jump nor dig, and its walk towards the enemy is blocked. The bot walks out the
// other way.
TEST(BotJumps, WalksOutOfAPlaceWhereItFallsInPlace) {
    testsupport::TempDir dir;
    const std::string level = generated_level(dir, {23, 1280, 800, "hills"});
    expect_leaves_the_place(2, [&] { return std::make_unique<Arena>(level); }, 426, 271, 997, 212);
}

// A fall can end with the disc's centre on a sliver of dirt: a jump from there stops at
// once where it began. In a pit of rock with no walk out, the bot digs the sliver away
// instead of jumping in place.
TEST(BotJumps, DigsAwayTheDirtItsCentreRestsIn) {
    // The pit as wide as the disc, the enemy on the rock beside it.
    auto rock = [](int x, int y) { return y >= 300 || (y >= 262 && (x <= 394 || x >= 416)); };
    auto pit_and_sliver = [&](int x, int y) { return rock(x, y) || (x == 405 && y >= 284); };
    expect_leaves_the_place(3, [&] { return std::make_unique<Arena>(pit_and_sliver, 640, 400, rock); },
                            405, 290, 500, 251);
}

// A fall can end with the centre on the corner of a rock block, where no jump starts and
// no dig takes the rock away, with rock under the left walk's probe and dirt under the
// right one's: no walk moves the player. The bot shoots the dirt away and walks out.
TEST(BotJumps, ShootsAwayTheDirtThatStopsEveryWalk) {
    auto rock = [](int x, int y) { return y >= 300 || (x <= 400 && y >= 200); };
    auto rock_and_dirt = [&](int x, int y) { return rock(x, y) || (x >= 411 && x < 460 && y >= 205); };
    expect_leaves_the_place(5, [&] { return std::make_unique<Arena>(rock_and_dirt, 640, 400, rock); },
                            400, 200, 560, 289);
}

// The enemy on a plateau above a cliff, the bot at the cliff's foot: the only way up is a
// ramp that reaches down to the floor far off, so the bot walks away from the enemy under
// the ramp, hops onto its end and climbs it. It keeps to that way while every step along it
// takes it further off.
TEST(BotInput, FollowsAWayRoundThatLeadsAwayFromTheEnemyFirst) {
    auto plateau_and_ramp = [](int x, int y) {
        const float ramp = 200 + 0.5f * static_cast<float>(x - 300);
        return y >= 380 || (x < 300 && y >= 200) || (x >= 300 && x < 600 && y >= ramp && y < ramp + 6);
    };
    for (unsigned world = 1; world <= 8; ++world) {
        seed_random(world);
        Arena arena(plateau_and_ramp, 640, 400);
        Player& me = arena.BotAgainstIdle(world, 330, 369, 150, 189);
        int i = 0;
        for (; i < 22 * 60 && me.y > 200; ++i) arena.game.Logic(kDt);
        EXPECT_LT(i, 22 * 60) << "not up on the plateau in 22 s, world seed " << world << "; at " << me.x
                               << "," << me.y;
    }
}

bool flat_ground(int, int y) { return y >= 300; }

// A shotgun lying in the level at (x, y), for the bot to pick up.
Inventory::Shotgun* lay_shotgun(Arena& arena, float x, float y) {
    auto* shotgun = new Inventory::Shotgun(&arena.game, &arena.game.level);
    shotgun->SetPosition(x, y);
    arena.game.AddParticle(shotgun);
    return shotgun;
}

// With every round fired there is nothing to fight with: the bot leaves its enemy for a
// weapon lying beyond it, further off than a bot with a pistol goes for one.
TEST(BotPickups, FetchesAWeaponFromAfarOnceEveryWeaponIsEmpty) {
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(flat_ground, 800, 400);
        Player& me = arena.BotAgainstIdle(world, 400, 289, 300, 289);
        (*me.current_weapon)->ammo = 0;
        const auto* shotgun = lay_shotgun(arena, 760, 289);
        for (int i = 0; i < 15 * 60 && shotgun->owner != &me; ++i) arena.game.Logic(kDt);
        EXPECT_EQ(shotgun->owner, &me) << "world seed " << world << "; at " << me.x << "," << me.y;
    }
}

// Shotguns shut in hollows of the rock floor beside the bot, its enemy far off the other
// way: each one the bot tries for and gives up is followed by the next, and it leaves the
// rest alone once they have kept it from the enemy long enough.
TEST(BotPickups, LeavesWeaponsAloneOnceTheyKeepItFromTheEnemyTooLong) {
    auto rock = [](int x, int y) {
        const bool hollow = x >= 760 && (x - 760) % 60 < 20 && y >= 316 && y < 332;
        return y >= 300 && !hollow;
    };
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(rock, 1400, 400, rock);
        Player& me = arena.BotAgainstIdle(world, 700, 289, 100, 289);
        const Player& enemy = arena.player(2);
        for (int x = 770; x < 1200; x += 60) lay_shotgun(arena, static_cast<float>(x), 326);
        const int steps =
            arena.PlayUntil(30, [&] { return std::hypot(me.x - enemy.x, me.y - enemy.y) < 250; });
        EXPECT_LT(steps, 30 * 60) << "not near the enemy after 30 s, world seed " << world
                                  << "; at " << me.x << "," << me.y;
    }
}

// A shotgun beyond a wall the bot must jump, its enemy the other way: at the top of the
// jump the shotgun lies deeper below than the bot would go for a new one, and it still goes
// on to it instead of turning back to the enemy at every jump.
TEST(BotPickups, KeepsGoingForAWeaponWhileItJumpsOnTheWay) {
    auto wall = [](int x, int y) { return y >= 300 || (x >= 330 && x < 345 && y >= 258); };
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(wall, 640, 400);
        Player& me = arena.BotAgainstIdle(world, 280, 289, 60, 289);
        const auto* shotgun = lay_shotgun(arena, 380, 295);
        arena.PlayUntil(15, [&] { return shotgun->owner == &me; });
        EXPECT_EQ(shotgun->owner, &me) << "world seed " << world << "; at " << me.x << "," << me.y;
    }
}

// A shotgun at the bot's feet and its enemy far off across flat ground: once the shotgun is
// taken, the walk to the enemy is measured from where it starts, and the bot never turns
// back on the open way.
TEST(BotPickups, WalksOnToTheEnemyOnceItHasTheWeapon) {
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(flat_ground, 1400, 400);
        Player& me = arena.BotAgainstIdle(world, 100, 289, 1300, 289);
        lay_shotgun(arena, 130, 295);
        float furthest = me.x;
        const int steps = arena.PlayUntil(25, [&] {
            furthest = std::max(furthest, me.x);
            return me.x < furthest - 30 || me.x > 900;
        });
        EXPECT_GT(me.x, 900) << "turned back at " << furthest << " after " << steps
                             << " steps, world seed " << world;
    }
}

// Rounds are few: a normal bot walking up to an enemy far off across flat ground fires no
// pistol round before the enemy is within the pistol's reach. (A weapon the world drops on
// the way may be picked up and fired; only the pistol's rounds count.)
TEST(BotFight, SparesItsPistolRoundsUntilTheEnemyIsWithinReach) {
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(flat_ground, 1280, 400);
        Player& me = arena.BotAgainstIdle(world, 100, 289, 1100, 289);
        const Player& enemy = arena.player(2);
        const Inventory::Weapon* pistol = *me.current_weapon;
        int rounds = pistol->ammo, spent = 0;
        auto apart = [&] { return std::hypot(enemy.x - me.x, enemy.y - me.y); };
        for (int i = 0; i < 30 * 60 && apart() > 330; ++i) {
            arena.game.Logic(kDt);
            spent += pistol->ammo < rounds;
            rounds = pistol->ammo;
        }
        EXPECT_LE(apart(), 330) << "world seed " << world << "; at " << me.x << "," << me.y;
        EXPECT_EQ(spent, 0) << "world seed " << world;
    }
}

// The enemy 13 pixels away, nearer than the pistol's muzzle, which most shots pass
// through: the bot does not stand and fire from there but backs away, and kills it.
TEST(BotFight, BacksAwayFromAnEnemyNearerThanItsMuzzle) {
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(flat_ground, 640, 400);
        Player& me = arena.BotAgainstIdle(world, 300, 289, 313, 289);
        const Player& enemy = arena.player(2);
        const int i = arena.PlayUntil(15, [&] { return enemy.deaths > 0; });
        EXPECT_LT(i, 15 * 60) << "world seed " << world << "; the bot at " << me.x << "," << me.y;
    }
}

// Only rockets loaded, the enemy 48 pixels away: near enough to aim at, too near for a
// rocket, whose blast would reach the bot. It backs away out of the blast's reach and fires.
TEST(BotFight, BacksAwayOutOfItsOwnRocketsBlast) {
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(flat_ground, 640, 400);
        Player& me = arena.BotAgainstIdle(world, 300, 289, 348, 289);
        arena.ArmOnly<Inventory::RocketLauncher>();
        const Player& enemy = arena.player(2);
        const int i = arena.PlayUntil(3, [&] { return enemy.health < 100; });
        EXPECT_LT(i, 3 * 60) << "world seed " << world << "; the bot at " << me.x << "," << me.y;
        EXPECT_EQ(me.health, 100) << "world seed " << world;
    }
}

// The bot on top of its enemy, too close to aim, the enemy 47 pixels from the level's right
// side: with too little room beyond the enemy, the bot backs away past it, to the left, and
// shoots, instead of turning about at every step where it stands.
TEST(BotFight, BacksAwayPastAnEnemyWithNoRoomBeyondIt) {
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(flat_ground, 640, 400);
        Player& me = arena.BotAgainstIdle(world, 595, 289, 593, 289);
        const Player& enemy = arena.player(2);
        int i = 0;
        for (; i < 10 * 60 && enemy.health == 100; ++i) arena.game.Logic(kDt);
        EXPECT_LT(i, 10 * 60) << "world seed " << world << "; the bot at " << me.x << "," << me.y;
    }
}

// The x of a line through (y, x) corners at row y, straight between them.
float x_at(std::initializer_list<std::pair<float, float>> corners, float y) {
    auto a = *corners.begin();
    for (auto b : corners) {
        if (y <= b.first)
            return b.first == a.first ? b.second : a.second + (b.second - a.second) * (y - a.first) / (b.first - a.first);
        a = b;
    }
    return a.second;
}

// Two rocket craters with a pillar of dirt between them, as a game left them: the bot rests
// on the pillar's slope in the right one, its enemy lies in the left one. The way up the
// slope goes a cell to the right, then back left above it; the bot walks to that first
// cell instead of standing still below it.
TEST(BotInput, WalksOnWhereItsWayTurnsBack) {
    auto craters = [](int x, int y) {
        const float fy = static_cast<float>(y);
        const float pillar_left = x_at({{221, 192}, {223, 182}, {237, 177}, {249, 161}, {251, 120}}, fy);
        const float pillar_right = x_at({{221, 198}, {237, 201}, {249, 212}, {251, 217}, {253, 223}}, fy);
        if (y >= 254 || (y >= 221 && x < 112)) return true;
        if (y >= 221 && x >= pillar_left && x <= pillar_right) return true;
        return y >= 245 && x >= x_at({{245, 253}, {253, 235}}, fy);
    };
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(craters, 400, 300);
        Player& me = arena.BotAgainstIdle(world, 213, 240, 134, 236);
        for (Inventory::Weapon* w : me.weapons) w->ammo = 0;
        const int i = arena.PlayUntil(3, [&] { return me.x < 175; });
        EXPECT_LT(i, 3 * 60) << "not over the pillar in 3 s, world seed " << world << "; at " << me.x << "," << me.y;
    }
}

// Ground cratered by a fight, as a game left it (rows 97 to 129, solid spans [from, to) of x
// from x = 30): the bot in a notch behind a crest, its enemy in a crater beyond. The walk
// up the crest slides back into the notch every few steps, and the shot over the crest is
// clear from the top of the slide only. Holding for the shot whenever it is clear, the bot
// never fires (the aim never rests long enough) and never walks on; a fight whose shot
// comes and goes is as fruitless as any, and it leaves the place.
TEST(BotFight, LeavesAPlaceWhereItsShotComesAndGoes) {
    static const std::vector<std::vector<std::pair<int, int>>> rows = {
        {{32, 33}}, {{31, 34}}, {{29, 35}}, {{28, 37}}, {{25, 38}}, {{23, 41}},
        {{7, 8}, {19, 43}, {62, 64}, {71, 72}}, {{6, 43}, {58, 66}, {69, 72}},
        {{5, 43}, {52, 72}, {81, 83}}, {{4, 43}, {52, 72}, {81, 83}},
        {{3, 44}, {51, 73}, {80, 83}}, {{2, 44}, {51, 73}, {80, 84}},
        {{0, 46}, {49, 75}, {78, 84}}, {{0, 86}}, {{0, 88}}, {{0, 88}}, {{0, 87}}, {{0, 87}},
        {{0, 87}}, {{0, 87}}, {{0, 87}}, {{0, 88}}, {{0, 88}, {158, 160}}, {{0, 90}, {156, 160}},
        {{0, 92}, {138, 141}, {152, 160}}, {{0, 92}, {137, 160}}, {{0, 92}, {136, 160}},
        {{0, 93}, {135, 160}}, {{0, 93}, {100, 102}, {133, 160}}, {{0, 95}, {98, 103}, {132, 160}},
        {{0, 106}, {129, 160}}, {{0, 105}, {127, 160}}, {{0, 105}, {123, 160}}
    };
    auto craters = [](int x, int y) {
        if (y >= 130) return true;
        if (y < 97) return false;
        if (x < 30) return y >= 110;
        if (x >= 190) return y >= 105;
        for (auto [from, to] : rows[y - 97])
            if (x - 30 >= from && x - 30 < to) return true;
        return false;
    };
    for (unsigned world = 1; world <= 4; ++world) {
        seed_random(world);
        Arena arena(craters, 320, 200);
        Player& me = arena.BotAgainstIdle(world, 44, 93, 152, 119);
        arena.ArmOnly<Inventory::FlakCannon>()->ammo = 2;
        const int i = arena.PlayUntil(20, [&] { return std::fabs(me.x - 44) >= 10; });
        EXPECT_LT(i, 20 * 60) << "still in the notch after 20 s, world seed " << world;
    }
}

// Whole games on generated levels, normal bot against idle, that bring the bot to a place
// where it can go round in a circle for minutes: each turn looks like progress, or keeps
// the manoeuvre for no progress waiting. It sees through it and wins a match of eight
// kills in each.
TEST(Match, WinsGamesWithCirclesThatLookLikeProgress) {
    struct Game {
        levelgen::LevelRecipe level;
        unsigned seed;
        const char* circle;
    };
    const Game games[] = {
        // After 96 s: the bot's jumps from a stepping stone meet the bulging side of the
        // island its enemy stands on and bring it back onto the stone; near the top of
        // every other one its shot shows for a step, a hold too short to fire.
        {{13, 1280, 800, "islands"}, 13, "a shot that shows for a step"},
        // After 70 s: the bot climbs the face of a mound, a little higher than a jump and
        // leaning over it, falls back to its foot and climbs again, no higher than before.
        {levelgen::LevelRecipe{}, 145, "a climb that falls back"},
        // After 162 s: in a cave, the bot's hops towards a shaft it must dig never land as
        // foreseen; each ends by running its length and the next starts in that step.
        {{16, 1280, 800, "caves"}, 16, "hop after hop"},
    };
    for (const Game& g : games) {
        testsupport::TempDir dir;
        testsupport::ScopedConfig config;
        MatchSetup setup;
        setup.level_file = generated_level(dir, g.level);
        setup.players = {Contestant::Bot, Contestant::Idle};
        setup.seed = g.seed;
        setup.rules.kills = 8;
        const MatchResult r = play_match(setup);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(8, r.players[0].kills) << g.circle << ": " << r.outcome;
    }
}
