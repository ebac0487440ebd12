#include <allegro.h>

#include <ctime>
#include <iomanip>

#include "game/game.h"
#include "game/view_camera.h"
#include "particle/particle.h"

namespace {

// Each player's rope in a colour of its own: players are all drawn red.
int rope_colour(int number) {
    return number == 1 ? makecol(255, 230, 60) : makecol(90, 200, 255);
}

}  // namespace

void Game::Draw(BITMAP* target) {
    const int W = target->w;
    const int H = target->h;
    std::clock_t started = 0;
    if (show_timing) started = std::clock();

    if (players.size() == 1) {
        DrawView(target, players.front(), 0, 0, W, H);
    } else if (players.size() == 2) {
        const Player& one = players.front();
        const Player& two = *std::next(players.begin());
        DrawView(target, one, 0, 0, W / 2, H);
        DrawView(target, two, W / 2 + 1, 0, W / 2, H);
        const int black = makecol(0, 0, 0);
        vline(target, W / 2 - 1, 0, H, black);
        vline(target, W / 2, 0, H, black);
        DrawScoreBox(target);
    }
    if (outcome.over) DrawResults(target);

    if (console_active) console.Draw(target, 0, 0);

    if (show_timing) {
        const float ms = static_cast<float>((std::clock() - started) * 1000.0 / CLOCKS_PER_SEC);
        stats << "Draw: " << std::setw(2) << ms << "ms";
        textout_ex(target, font, stats.str().c_str(), 0, H - text_height(font),
                   makecol(255, 255, 255), -1);
    }
}

void Game::DrawView(BITMAP* target, const Player& player, int x, int y, int w, int h) const {
    const int camera_x = view_origin(player.x, w, level.width);
    const int camera_y = view_origin(player.y, h, level.height);

    // A level smaller than the view leaves part of it uncovered: show black there rather
    // than the previous frame.
    if (level.width < w || level.height < h)
        rectfill(target, x, y, x + w - 1, y + h - 1, makecol(0, 0, 0));
    level.Draw(target, camera_x, camera_y, x, y, w, h);

    set_clip_rect(target, x, y, x + w - 1, y + h - 1);
    // Under the players, so that a line leaves its player's edge.
    for (const Player& p : players)
        p.rope.Draw(target, p, camera_x - x, camera_y - y, rope_colour(p.number));
    for (Particle* p : particles) {
        if (p) p->Draw(target, camera_x - x, camera_y - y);
    }
    set_clip_rect(target, 0, 0, target->w - 1, target->h - 1);

    player.DrawStatus(target, x, y, w, h);
}
