#include <allegro.h>
#include <gtest/gtest.h>

#include <memory>

#include "game/game.h"
#include "base/random.h"
#include "level/level.h"
#include "particle/particle.h"
#include "support/test_support.h"

namespace {

// A square of one colour, to see where objects land on the frame.
class Marker : public Particle {
public:
    Marker(Game* game, float x, float y, int colour)
        : Particle(game, &game->level, PC_None, 1, x, y), colour(colour) {}
    bool Update(double) override { return false; }
    void Draw(BITMAP* target, int ox, int oy) const override {
        const int sx = static_cast<int>(x) - ox, sy = static_cast<int>(y) - oy;
        rectfill(target, sx - 10, sy - 10, sx + 10, sy + 10, colour);
    }
    int colour;
};

// Two players on a 1000 x 800 level, drawn into a 640 x 480 frame.
class GameDraw : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::unique_ptr<Game> game;
    BITMAP* frame = nullptr;

    void SetUp() override { Build(1000, 800, 2); }
    void TearDown() override {
        if (frame) destroy_bitmap(frame);
    }

    void Build(int w, int h, int players) {
        const std::string file = dir.file("map.lvl");
        testsupport::save_level_file(file,
                                     *testsupport::make_level(w, h, [](int, int y) { return y >= 700; }));
        testsupport::ScopedConfig config;
        seed_random(5);
        game = std::make_unique<Game>(640, 480);
        ASSERT_TRUE(game->Load(file, players));
        if (!frame) frame = create_bitmap(640, 480);
        clear_to_color(frame, makecol(255, 255, 255));
    }

    Player& player(int n) { return *std::next(game->players.begin(), n - 1); }
    int render_at(int x, int y) { return getpixel(game->level.render, x, y); }
};

TEST_F(GameDraw, CamerasFollowThePlayersAndStopAtTheLevelEdges) {
    player(1).SetPosition(5, 300);    // near the left edge: camera x 0
    player(2).SetPosition(995, 790);  // near the right and bottom edges
    game->Draw(frame);
    // View 1: camera (0, 300 - 240); a point below the status box.
    EXPECT_EQ(render_at(10, 60 + 100), getpixel(frame, 10, 100));
    EXPECT_EQ(render_at(300, 60 + 200), getpixel(frame, 300, 200));
    // View 2 starts at x 321; its camera stops at (1000 - 320, 800 - 480).
    EXPECT_EQ(render_at(680 + 10, 320 + 100), getpixel(frame, 321 + 10, 100));
    EXPECT_EQ(render_at(680 + 250, 320 + 470), getpixel(frame, 321 + 250, 470));
}

TEST_F(GameDraw, DividerAndScoreBox) {
    player(1).kills = 3;
    player(2).kills = 12;
    game->Draw(frame);
    const int black = makecol(0, 0, 0);
    // Down to the score box, which is drawn over them.
    for (int y = 0; y < 450; ++y) {
        ASSERT_EQ(black, getpixel(frame, 319, y)) << y;
        ASSERT_EQ(black, getpixel(frame, 320, y)) << y;
    }
    // Frame of the score box in grey, its inside dark grey where no text is.
    EXPECT_EQ(makecol(128, 128, 128), getpixel(frame, 270, 450));
    EXPECT_EQ(makecol(128, 128, 128), getpixel(frame, 370, 470));
    EXPECT_EQ(makecol(32, 32, 32), getpixel(frame, 271, 451));
    EXPECT_EQ(makecol(32, 32, 32), getpixel(frame, 369, 478));

    // The score lines, compared with the same text drawn on the same box.
    BITMAP* expected = create_bitmap(640, 480);
    blit(frame, expected, 0, 0, 0, 0, 640, 480);
    rectfill(expected, 271, 451, 369, 479, makecol(32, 32, 32));
    textout_ex(expected, font, "Player 1  3", 272, 452, makecol(255, 255, 255), -1);
    textout_ex(expected, font, "Player 2 12", 272, 462, makecol(255, 255, 255), -1);
    for (int y = 451; y < 480; ++y)
        for (int x = 271; x < 370; ++x)
            ASSERT_EQ(getpixel(expected, x, y), getpixel(frame, x, y)) << x << "," << y;
    destroy_bitmap(expected);
}

TEST_F(GameDraw, AnObjectOnTheDividerIsClippedToEachView) {
    player(1).SetPosition(500, 400);
    player(2).SetPosition(500, 400);  // the same camera in both views: (340, 160)
    const int yellow = makecol(255, 255, 0);
    game->AddParticle(new Marker(game.get(), 340 + 312, 160 + 200, yellow));
    game->Draw(frame);
    EXPECT_EQ(yellow, getpixel(frame, 310, 200));  // in view 1, near its right edge
    EXPECT_EQ(yellow, getpixel(frame, 318, 200));
    // View 2 shows the level from its own left edge: no yellow spills across.
    for (int x = 321; x < 330; ++x)
        EXPECT_NE(yellow, getpixel(frame, x, 200)) << x;
    // In view 2 the marker lies at 321 + 312 = 633: drawn there, up to the frame's edge.
    EXPECT_EQ(yellow, getpixel(frame, 635, 200));
}

TEST_F(GameDraw, ALevelSmallerThanTheViewIsFramedInBlack) {
    Build(200, 100, 1);
    player(1).SetPosition(100, 50);
    game->Draw(frame);
    // The camera stops at (200 - 640, 100 - 480): the level lies in the bottom-right
    // corner and the rest of the view is black, not the white the frame held before.
    const int black = makecol(0, 0, 0);
    EXPECT_EQ(black, getpixel(frame, 150, 300));
    EXPECT_EQ(black, getpixel(frame, 439, 479));
    EXPECT_EQ(black, getpixel(frame, 639, 379));
    EXPECT_EQ(render_at(160, 20), getpixel(frame, 600, 400));
    EXPECT_EQ(render_at(199, 99), getpixel(frame, 639, 479));
}

TEST_F(GameDraw, TheTimingLineSitsAtTheBottomLeft) {
    game->show_timing = true;
    game->Logic(testsupport::kStepDt);
    game->Draw(frame);
    const std::string line = game->stats.str();
    EXPECT_NE(std::string::npos, line.find("Draw: ")) << line;
    EXPECT_EQ("ms", line.substr(line.size() - 2));
    // White glyph pixels on the last text row band, left part.
    int white = 0;
    for (int y = 480 - text_height(font); y < 480; ++y)
        for (int x = 0; x < 40; ++x) white += getpixel(frame, x, y) == makecol(255, 255, 255);
    EXPECT_GT(white, 10);
}

}  // namespace
