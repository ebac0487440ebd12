#include "player/rope.h"

#include <allegro.h>

#include <cmath>

#include "base/det_math.h"
#include "base/hasher.h"
#include "collision/clgo.h"
#include "level/level.h"
#include "particle/particle.h"

// Tuned on the default level with bench/crossing_bench.cpp (README: the rope): a shot
// reaches the slope beyond the next valley, the pull flings the holder there at about
// 900 pixels a second, so that the level's width takes a player who plays well about
// 4 s; a hanging holder stretches the line by GRAVITY / stiffness, 17 pixels, and a
// line hooked in a hall's roof still swings its holder below the roof.
const RopeTable kRopeTable = {
    1500.0f,  // hook_speed
    12.0f,    // hook_start
    480.0f,   // max_length
    16.0f,    // min_length
    160.0f,   // attach_length
    300.0f,   // reel_speed
    16.0f,    // stiffness
    1.0f,     // damping
    3000.0f,  // max_pull
    260.0f,   // drag_speed
};

namespace {

// A hook flying faster than this (a corrupt velocity) is lost rather than traced.
constexpr float kLongestHookStep = 10000.0f;

bool solid_at(const Level& level, float x, float y) {
    return level.IsSolid(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

float distance(float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    return std::sqrt(dx * dx + dy * dy);
}

// Whether terrain stops the holder in this step: it touches terrain, or will where its
// velocity takes it (the test Particle::Update makes after the move).
bool meets_terrain(const Particle& holder, const Level& level, double dt) {
    if (holder.TouchesTerrain(true)) return true;
    clgo_circle moved = *holder.bound;
    moved.x = static_cast<int>(holder.x + static_cast<float>(dt * holder.vx));
    moved.y = static_cast<int>(holder.y + static_cast<float>(dt * holder.vy));
    return level.CircleHitsTerrain(&moved, true);
}

// Whether terrain lies just beyond the holder's edge along (ux, uy), where a drag would
// push it: a line that runs into the ground or a roof leaves its holder against it, not
// buried in it.
bool line_runs_into_terrain(const Particle& holder, const Level& level, float ux, float uy) {
    const float edge = holder.bound->radius;
    for (int i = 1; i <= 4; ++i) {
        const float reach = edge + static_cast<float>(i);
        if (solid_at(level, holder.x + reach * ux, holder.y + reach * uy)) return true;
    }
    return false;
}

// Terrain right over the holder's top, up to two pixels off.
bool roof_over(const Particle& holder, const Level& level) {
    const float top = holder.y - holder.bound->radius;
    for (int i = -1; i <= 2; ++i)
        if (solid_at(level, holder.x, top - static_cast<float>(i))) return true;
    return false;
}

}  // namespace

void Rope::Fire(const Particle& holder, float aim) {
    const double c = det_cos(aim), s = det_sin(aim);
    // Level y grows downwards: the aim points along (cos, -sin).
    const float dx = static_cast<float>(c), dy = static_cast<float>(-s);
    hx = holder.x + kRopeTable.hook_start * dx;
    hy = holder.y + kRopeTable.hook_start * dy;
    hvx = holder.vx + kRopeTable.hook_speed * dx;
    hvy = holder.vy + kRopeTable.hook_speed * dy;
    length = 0;
    reel = 0;
    state = RS_Flying;
}

void Rope::Release() {
    *this = Rope();
}

void Rope::Update(Particle& holder, const Level& level, double dt) {
    if (state == RS_Flying) {
        Fly(holder, level, dt);
    } else if (state == RS_Attached) {
        if (!solid_at(level, hx, hy)) {
            Release();
            return;
        }
        Reel(dt);
        Pull(holder, level, dt);
    }
    reel = 0;
}

// Pixel by pixel along this step's flight, so that no wall is jumped over; the hook
// sticks at the first solid pixel. Beyond the sides or the bottom, or farther from the
// holder than the longest rope, it is lost.
void Rope::Fly(const Particle& holder, const Level& level, double dt) {
    const float dx = static_cast<float>(hvx * dt), dy = static_cast<float>(hvy * dt);
    const float step = std::sqrt(dx * dx + dy * dy);
    if (!(step < kLongestHookStep)) {
        Release();
        return;
    }
    const int pixels = static_cast<int>(step) + 1;
    for (int i = 0; i <= pixels; ++i) {
        const float px = hx + dx * static_cast<float>(i) / static_cast<float>(pixels);
        const float py = hy + dy * static_cast<float>(i) / static_cast<float>(pixels);
        if (px < 0.0f || px >= static_cast<float>(level.width) ||
            py >= static_cast<float>(level.height)) {
            Release();
            return;
        }
        if (!solid_at(level, px, py)) continue;
        hx = px;
        hy = py;
        const float d = distance(holder.x, holder.y, hx, hy);
        length = d < kRopeTable.attach_length ? d : kRopeTable.attach_length;
        if (length < kRopeTable.min_length) length = kRopeTable.min_length;
        state = RS_Attached;
        return;
    }
    hx += dx;
    hy += dy;
    hvy = static_cast<float>(hvy + dt * GRAVITY);
    if (distance(holder.x, holder.y, hx, hy) > kRopeTable.max_length) Release();
}

void Rope::Reel(double dt) {
    if (reel == 0) return;
    length = static_cast<float>(length + reel * dt * kRopeTable.reel_speed);
    if (length < kRopeTable.min_length) length = kRopeTable.min_length;
    if (length > kRopeTable.max_length) length = kRopeTable.max_length;
}

// Towards the hook, growing with the stretch beyond the rest length and damped by the
// speed at which the stretch grows; a slack line does nothing and a line never pushes.
void Rope::Pull(Particle& holder, const Level& level, double dt) const {
    const float dx = hx - holder.x, dy = hy - holder.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float stretch = d - length;
    if (!(stretch > 0.0f) || d < 1.0e-3f) return;
    const float ux = dx / d;
    float uy = dy / d;
    const float closing = holder.vx * ux + holder.vy * uy;
    float pull = kRopeTable.stiffness * stretch - kRopeTable.damping * closing;
    if (pull < 0.0f) return;
    if (pull > kRopeTable.max_pull) pull = kRopeTable.max_pull;
    // Terrain stops whatever meets it at every step, at whole pixels. So the terrain that
    // the line runs into takes its pull, and a roof its upward part: a holder pressed
    // against either would otherwise creep into it a pixel a step.
    const bool contact = meets_terrain(holder, level, dt);
    if (contact && line_runs_into_terrain(holder, level, ux, uy)) return;
    if (contact && uy < 0.0f && roof_over(holder, level)) uy = 0.0f;
    holder.vx = static_cast<float>(holder.vx + dt * pull * ux);
    holder.vy = static_cast<float>(holder.vy + dt * pull * uy);
    // A pull that only added up would never get its holder off the ground or along a
    // wall: a taut line drags it there.
    if (!contact) return;
    const float along = holder.vx * ux + holder.vy * uy;
    if (along >= kRopeTable.drag_speed) return;
    holder.vx += (kRopeTable.drag_speed - along) * ux;
    holder.vy += (kRopeTable.drag_speed - along) * uy;
}

void Rope::Draw(BITMAP* target, const Particle& holder, int originX, int originY,
                int colour) const {
    if (state == RS_None) return;
    const int sx = static_cast<int>(holder.x) - originX;
    const int sy = static_cast<int>(holder.y) - originY;
    const int ex = static_cast<int>(std::floor(hx)) - originX;
    const int ey = static_cast<int>(std::floor(hy)) - originY;
    line(target, sx, sy, ex, ey, colour);
    circlefill(target, ex, ey, 2, colour);
}

void Rope::Digest(Hasher& h) const {
    h.Int(state);
    h.Float(hx);
    h.Float(hy);
    h.Float(hvx);
    h.Float(hvy);
    h.Float(length);
}
