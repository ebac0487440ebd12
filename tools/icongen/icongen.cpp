// icongen LEVEL_DIR OUT.bmp
//
// Draws the game's icon: a player aiming up over the ground of the level whose bitmaps are
// in LEVEL_DIR (mask.bmp, fore.bmp, back.bmp and, when present, undiggable.bmp), with the
// shot it has just fired, as a 64 x 64 BMP. The player, the shot and the terrain are drawn
// by the game's own drawing code, so the icon looks as the game does.

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ammunition/ammunition.h"
#include "collision/clgo.h"
#include "game/game.h"
#include "level/level.h"
#include "particle/direction.h"
#include "player/player.h"

namespace {

constexpr int kSize = 64;
// Where on the level the icon looks: a column in the valley of the default level, the
// player a little left of the middle, aiming 50 degrees up to the right.
constexpr double kColumn = 0.45;  // of the level's width
constexpr int kPlayerOffset = -8;
constexpr float kAim = 0.87f;
constexpr float kShotDistance = 22.0f;  // from the player's centre, along the aim
constexpr int kGroundBelowCentre = 8;   // the player's centre above the view's middle, pixels

int fail(const std::string& why) {
    std::printf("icongen: %s\n", why.c_str());
    return 1;
}

// The first solid pixel from the top of column x, or the level's height.
int surface_at(const Level& level, int x) {
    int y = 0;
    while (y < level.height && !level.IsSolid(x, y)) ++y;
    return y;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::puts("usage: icongen LEVEL_DIR OUT.bmp");
        return 0;
    }
    if (argc != 3) {
        std::fputs("usage: icongen LEVEL_DIR OUT.bmp\n", stderr);
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) return fail("cannot start Allegro");
    set_color_depth(32);

    const std::string dir = argv[1];
    const std::string undiggable = dir + "/undiggable.bmp";
    Level level(dir + "/mask.bmp", exists(undiggable.c_str()) ? undiggable : std::string(),
                dir + "/fore.bmp", dir + "/back.bmp");
    Game game(kSize, kSize);

    Player player(&game, &level, 1);
    // Standing on the ground: its circle's lowest point on the first solid pixel's top.
    const int px = static_cast<int>(level.width * kColumn) + kPlayerOffset;
    const int py = surface_at(level, px) - static_cast<int>(player.bound->radius);
    player.SetPosition(static_cast<float>(px), static_cast<float>(py));
    player.aim = kAim;
    const Direction<float> d = direction(kAim);
    Ammunition::PistolShot shot(&player, &game, &level, px + kShotDistance * d.x,
                                py + kShotDistance * d.y, kAim);

    // Across: centred between the player and its shot. Down: the ground fills the lower
    // third.
    const int ox = px + static_cast<int>(kShotDistance * d.x / 2) - kSize / 2;
    const int oy = py - kSize / 2 + kGroundBelowCentre;
    BITMAP* icon = create_bitmap(kSize, kSize);
    if (!icon) return fail("cannot make the picture");
    level.Draw(icon, ox, oy, 0, 0, kSize, kSize);
    player.Draw(icon, ox, oy);
    shot.Draw(icon, ox, oy);
    const bool saved = save_bitmap(argv[2], icon, nullptr) == 0;
    destroy_bitmap(icon);
    return saved ? 0 : fail(std::string("cannot write ") + argv[2]);
}
