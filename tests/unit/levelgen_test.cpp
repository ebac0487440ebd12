#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/hasher.h"
#include "bot/path_planner.h"
#include "bot/terrain_grid.h"
#include "level/level.h"
#include "level/level_thumbnail.h"
#include "levelgen_looks.h"
#include "levelgen_options.h"
#include "support/test_support.h"

namespace {

using levelgen::LevelRecipe;
using testsupport::TempDir;

// Writes the level's files as levelgen does.
void write_level(const LevelRecipe& recipe, const TempDir& dir) {
    const levelgen::LevelImages images = levelgen::make_level_images(recipe);
    ASSERT_TRUE(images.mask);
    std::string why;
    ASSERT_TRUE(levelgen::save_level_images(images, dir.path(), &why)) << why;
}

// The level as the game builds it from those files.
std::unique_ptr<Level> build_level(const TempDir& dir) {
    return std::make_unique<Level>(dir.file("mask.bmp"), dir.file("undiggable.bmp"), dir.file("fore.bmp"),
                                   dir.file("back.bmp"));
}

// The node of a player once it has fallen from the spawn height at column x: the cell of
// its centre or, where the planner's cells of 8 pixels do not fit a disc there (beside a
// merlon, on a narrow top), the nearest that does within two cells.
PathNode landing(const Level& level, const TerrainGrid& grid, int x) {
    int y = 20 + 10;
    level.DropToSolid(x, y, unsigned(level.height));
    const int cx = TerrainGrid::CellOf(float(x)), cy = TerrainGrid::CellOf(float(y - 11));
    for (int d : {0, 1, -1, 2, -2})
        for (int up : {0, 1})
            if (grid.Open(cx + d, cy - up)) return {cx + d, cy - up, Move::Start};
    return {cx, cy, Move::Start};
}

}  // namespace

// The default level is the one the game has always shipped: the digest of its four files
// as the generator wrote them before it had any options.
TEST(Levelgen, DefaultLevelIsTheFirstLevelByteForByte) {
    TempDir dir;
    write_level(LevelRecipe{}, dir);
    Hasher h;
    for (const char* name : {"back.bmp", "fore.bmp", "mask.bmp", "undiggable.bmp"}) {
        const std::string bytes = testsupport::read_file(dir.file(name));
        h.Bytes(bytes.data(), bytes.size());
    }
    EXPECT_EQ(h.value(), 0xf6220dc821ccc65cull);
}

// Every look, small and at the usual size: the game builds a level from the files; the
// spawn band is open; players dropped at four places across the level can each walk,
// jump and dig their way to every other one as the computer player plans it, and one of
// them down into the lower half of the level.
TEST(Levelgen, EveryLookIsPlayableAtTwoSizes) {
    const std::pair<int, int> sizes[] = {{320, 200}, {1280, 800}};
    for (const levelgen::Look& look : levelgen::looks())
        for (const auto& [w, h] : sizes) {
            SCOPED_TRACE(std::string(look.name) + " " + std::to_string(w) + "x" + std::to_string(h));
            TempDir dir;
            write_level({7, w, h, look.name}, dir);
            const std::unique_ptr<Level> level = build_level(dir);
            ASSERT_EQ(level->width, w);
            ASSERT_EQ(level->height, h);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < w; ++x) ASSERT_FALSE(level->IsSolid(x, y)) << x << "," << y;

            TerrainGrid grid;
            grid.Build(*level);
            PathPlanner planner(grid.cols() * grid.rows());
            std::vector<PathNode> drops;
            for (int i = 0; i < 4; ++i) drops.push_back(landing(*level, grid, w * (2 * i + 1) / 8));
            for (const PathNode& from : drops)
                for (const PathNode& to : drops) {
                    planner.Plan(grid, from.cx, from.cy, to.cx, to.cy);
                    EXPECT_TRUE(planner.reached()) << "from " << from.cx << "," << from.cy << " to " << to.cx
                                                   << "," << to.cy;
                }
            const std::vector<PathNode> down = planner.Plan(grid, drops[1].cx, drops[1].cy, grid.cols() / 2, grid.rows());
            ASSERT_FALSE(down.empty());
            EXPECT_GE(down.back().cy, grid.rows() / 2);
        }
}

// A look's terrain follows its seed and nothing else.
TEST(Levelgen, SeedsMakeDifferentLevelsAndTheSameSeedTheSame) {
    for (const levelgen::Look& look : levelgen::looks()) {
        SCOPED_TRACE(look.name);
        const auto cells = [&](std::uint32_t seed) { return levelgen::make_terrain({seed, 640, 400, look.name}).cells; };
        const std::vector<levelgen::Cell> one = cells(1);
        EXPECT_EQ(one, cells(1));
        EXPECT_NE(one, cells(2));
    }
}

// The islands' pit floor is one walk from side to side: what stands on it (a stair's
// first step) is low enough to jump onto, and whatever hangs over it (a stalk, an island)
// leaves a player's height free above it.
TEST(Levelgen, TheIslandsPitFloorIsOneWalk) {
    constexpr int kPlayerHeight = 22;  // the disc and a pixel over and under it
    constexpr int kHighestStep = 40;   // a jump lifts a player 53 pixels
    struct Sizes {
        int w, h;
        std::uint32_t seeds;
    };
    for (const Sizes size : {Sizes{1280, 800, 12}, Sizes{4096, 2048, 1}}) {
        for (std::uint32_t seed = 0; seed < size.seeds; ++seed) {
            const levelgen::Terrain t = levelgen::make_terrain({seed, size.w, size.h, "islands"});
            int last_ground = 0;
            for (int x = 0; x < t.w; ++x) {
                SCOPED_TRACE(testing::Message() << size.w << "x" << size.h << " seed " << seed << ", x " << x);
                int y = t.surface[x] - 1;
                while (y > t.sky && t.at(x, y) != levelgen::Air) --y;
                const int ground = y + 1;
                if (x > 0) {
                    EXPECT_LE(std::abs(ground - last_ground), kHighestStep) << "a step too high beside it";
                }
                last_ground = ground;
                EXPECT_LE(t.surface[x] - ground, kHighestStep) << "a step too high to climb";
                while (y > t.sky && t.at(x, y) == levelgen::Air) --y;
                EXPECT_TRUE(y <= t.sky || ground - 1 - y >= kPlayerHeight)
                    << "terrain hangs " << ground - 1 - y << " pixels over it";
            }
        }
    }
}

// The caves are entered from the top and none is a trap: from every place where a player
// stands after arriving at the top and walking on (up a step of a small hop at most) or
// falling, a walk leads back up to the surface.
TEST(Levelgen, EveryCaveAPlayerFallsIntoIsWalkedBackOutOf) {
    constexpr int kHead = 22;  // air a player needs over the ground: the disc and a pixel
    constexpr int kHop = 8;    // the highest step taken without a real jump
    struct Case {
        int w, h;
        std::uint32_t seed;
    };
    for (const Case c : {Case{1280, 800, 0}, Case{1280, 800, 1}, Case{1280, 800, 2}, Case{1280, 800, 3},
                         Case{1280, 800, 4}, Case{1280, 800, 5}, Case{4096, 2048, 1}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " seed " << c.seed);
        const levelgen::Terrain t = levelgen::make_terrain({c.seed, c.w, c.h, "caves"});
        const auto air = [&](int x, int y0, int y1) {  // rows [y0, y1) of column x
            for (int y = std::max(y0, 0); y < y1; ++y)
                if (t.at(x, y) != levelgen::Air) return false;
            return true;
        };
        // A place to stand: (column, first solid row under the player), numbered; the
        // numbers of each column's places, top first.
        std::vector<std::pair<int, int>> places;
        std::vector<std::vector<int>> in_column(t.w);
        for (int x = 0; x < t.w; ++x)
            for (int y = 1; y < t.h; ++y)
                if (t.at(x, y) != levelgen::Air && air(x, y - kHead, y)) {
                    in_column[x].push_back(int(places.size()));
                    places.push_back({x, y});
                }
        const auto place = [&](int x, int y) {
            for (int p : in_column[x])
                if (places[p].second == y) return p;
            return -1;
        };
        // Where a step aside from place p ends: on ground no higher than a hop, or after a
        // fall; -1 when terrain or a low roof is in the way.
        const auto step = [&](int p, int to) {
            const auto [x, g] = places[p];
            if (to < 0 || to >= t.w) return -1;
            int s = g - kHop;
            if (t.at(to, s) != levelgen::Air) return -1;
            while (s < t.h && t.at(to, s) == levelgen::Air) ++s;
            if (s >= t.h || !air(to, std::min(g, s) - kHead, s)) return -1;
            return place(to, s);
        };
        std::vector<std::vector<int>> next(places.size()), back(places.size());
        for (std::size_t p = 0; p < places.size(); ++p)
            for (int d : {-1, 1}) {
                const int q = step(int(p), places[p].first + d);
                if (q < 0) continue;
                next[p].push_back(q);
                back[q].push_back(int(p));
            }
        const auto flood = [&](const std::vector<std::vector<int>>& edges) {
            std::vector<char> seen(places.size(), 0);
            std::vector<int> todo;
            for (int x = 0; x < t.w; ++x)
                if (!in_column[x].empty() && air(x, 0, places[in_column[x][0]].second)) todo.push_back(in_column[x][0]);
            for (int p : todo) seen[p] = 1;
            while (!todo.empty()) {
                const int p = todo.back();
                todo.pop_back();
                for (int q : edges[p])
                    if (!seen[q]) seen[q] = 1, todo.push_back(q);
            }
            return seen;
        };
        const std::vector<char> reached = flood(next), leads_up = flood(back);
        int traps = 0, deepest = 0;
        for (std::size_t p = 0; p < places.size(); ++p) {
            if (reached[p]) deepest = std::max(deepest, places[p].second);
            if (reached[p] && !leads_up[p] && traps++ < 3)
                ADD_FAILURE() << "no way back up from " << places[p].first << "," << places[p].second;
        }
        EXPECT_EQ(traps, 0);
        EXPECT_GT(deepest, t.h / 4) << "the maze is not entered below its top row";
    }
}

// A stair of the islands is climbed by jumping past the ends of its stones: no stalk
// stands beside them, within a player's width (and a stone's rise above or below).
TEST(Levelgen, NoStalkOfTheIslandsStandsBesideASteppingStone) {
    constexpr int kAside = 20, kRise = 30;
    for (std::uint32_t seed = 0; seed < 12; ++seed) {
        const levelgen::Terrain t = levelgen::make_terrain({seed, 1280, 800, "islands"});
        // Stalk pixels in the rectangle from the origin to (x, y), both excluded.
        std::vector<int> sum(std::size_t(t.w + 1) * (t.h + 1), 0);
        const auto at = [&](int x, int y) -> int& { return sum[std::size_t(y) * (t.w + 1) + x]; };
        for (int y = 0; y < t.h; ++y)
            for (int x = 0; x < t.w; ++x)
                at(x + 1, y + 1) = at(x, y + 1) + at(x + 1, y) - at(x, y) + (t.tag(x, y) == levelgen::kIslandStalk);
        const auto stalks_in = [&](int x0, int y0, int x1, int y1) {
            x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, t.w), y1 = std::min(y1, t.h);
            return x0 < x1 && y0 < y1 ? at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0) : 0;
        };
        for (int y = 0; y < t.h; ++y)
            for (int x = 0; x < t.w; ++x) {
                if (t.tag(x, y) != levelgen::kIslandStone) continue;
                ASSERT_EQ(stalks_in(x - kAside, y - kRise, x + kAside + 1, y + kRise + 1), 0)
                    << "seed " << seed << ": a stalk beside the stone at " << x << "," << y;
            }
    }
}

TEST(Levelgen, OptionsTakeTheFolderAnywhereAndRefuseBadValues) {
    struct Good {
        std::vector<const char*> args;
        LevelRecipe recipe;
        const char* preview;
    };
    const Good good[] = {
        {{"out"}, {0, 1280, 800, "hills"}, ""},
        {{"out", "--preview", "p.bmp"}, {0, 1280, 800, "hills"}, "p.bmp"},
        {{"--seed", "4294967295", "--size=4096x2048", "--look", "caves", "out"}, {4294967295u, 4096, 2048, "caves"}, ""},
        {{"--size", "320x200", "out", "--look", "fortress"}, {0, 320, 200, "fortress"}, ""},
    };
    for (const Good& g : good) {
        std::vector<const char*> argv{"levelgen"};
        argv.insert(argv.end(), g.args.begin(), g.args.end());
        levelgen::Options o;
        std::string why;
        ASSERT_TRUE(levelgen::parse_options(int(argv.size()), argv.data(), &o, &why)) << why;
        EXPECT_EQ(o.dir, "out");
        EXPECT_EQ(o.recipe.seed, g.recipe.seed);
        EXPECT_EQ(o.recipe.width, g.recipe.width);
        EXPECT_EQ(o.recipe.height, g.recipe.height);
        EXPECT_EQ(o.recipe.look, g.recipe.look);
        EXPECT_EQ(o.preview, g.preview);
    }
    const std::vector<const char*> bad[] = {
        {},  {"a", "b"}, {"--seed", "-1", "d"}, {"--seed", "4294967296", "d"}, {"--seed", "1e3", "d"},
        {"--size", "319x200", "d"}, {"--size", "4097x800", "d"}, {"--size", "640x2049", "d"}, {"--size", "640", "d"},
        {"--look", "moon", "d"}, {"--thumb"}, {"--frob", "d"},
    };
    for (const auto& args : bad) {
        std::vector<const char*> argv{"levelgen"};
        argv.insert(argv.end(), args.begin(), args.end());
        levelgen::Options o;
        std::string why;
        EXPECT_FALSE(levelgen::parse_options(int(argv.size()), argv.data(), &o, &why)) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(why.empty());
    }
}

// A thumbnail keeps the level's aspect within 160 x 100, and each of its pixels is the
// mean of the level pixels it covers.
TEST(LevelThumbnail, FitsTheBoxKeepingTheAspectAndAveragesThePicture) {
    struct Case {
        int w, h, tw, th;
    };
    const Case cases[] = {{1280, 800, 160, 100}, {2048, 1024, 160, 80}, {300, 600, 50, 100}, {120, 60, 120, 60}};
    for (const Case& c : cases) {
        const std::unique_ptr<Level> level = testsupport::make_level(c.w, c.h, [](int, int) { return false; });
        // Red left of the middle, blue right of it, with one column of each in a box
        // that straddles the middle when the widths do not divide.
        clear_to_color(level->render, makecol(200, 0, 0));
        rectfill(level->render, c.w / 2, 0, c.w - 1, c.h - 1, makecol(0, 0, 100));
        const OwnedBitmap thumb = make_level_thumbnail(*level);
        ASSERT_TRUE(thumb);
        EXPECT_EQ(thumb->w, c.tw) << c.w << "x" << c.h;
        EXPECT_EQ(thumb->h, c.th) << c.w << "x" << c.h;
        EXPECT_EQ(getpixel(thumb.get(), 0, c.th - 1), makecol(200, 0, 0));
        EXPECT_EQ(getpixel(thumb.get(), c.tw - 1, 0), makecol(0, 0, 100));
    }
    const std::unique_ptr<Level> level = testsupport::make_level(320, 200, [](int, int) { return false; });
    clear_to_color(level->render, makecol(0, 0, 0));
    // One of the four pixels of the first box white: a quarter of white, rounded.
    putpixel(level->render, 1, 1, makecol(255, 255, 255));
    const OwnedBitmap thumb = make_level_thumbnail(*level);
    EXPECT_EQ(getpixel(thumb.get(), 0, 0), makecol(64, 64, 64));
    EXPECT_EQ(getpixel(thumb.get(), 1, 0), makecol(0, 0, 0));
}
