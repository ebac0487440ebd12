#include "bot/disc_motion.h"

#include <cmath>

#include "base/det_math.h"
#include "bot/mask_view.h"
#include "particle/particle.h"

namespace {

// The player's disc and the rules that move it (see the player and the particle).
constexpr int kRadius = 10;
constexpr float kJumpImpulse = 170.0f;
constexpr float kJumpLock = 0.5f;
// The walk probes the column one pixel beyond the disc, from 7 rows under the centre,
// at most 3 pixels down; the ground found ends up 9 rows under the new centre.
constexpr int kProbeBelow = 7, kProbeDrop = 3, kGroundBelow = 9;

// The four points one radius away, one pixel lower: a disc touching terrain rests.
bool touches(const MaskView& m, int x, int y) {
    return m.Solid(x, y + kRadius + 1) || m.Solid(x - kRadius, y + 1) || m.Solid(x + kRadius, y + 1) ||
           m.Solid(x, y - kRadius + 1);
}

void walk(DiscMotion& d, const MaskView& m, int dir) {
    const DiscMotion::Pixel probe = DiscMotion::WalkProbe(d.x, d.y, dir);
    const int px = probe.x;
    if (px < 0 || px >= m.width()) return;
    const int start = probe.y;
    int py = start;
    for (int i = 0; i < kProbeDrop && !m.Solid(px, py); ++i) ++py;
    if (py == start) return;
    d.x = static_cast<float>(px - dir * kRadius);
    d.y = static_cast<float>(py - kGroundBelow);
}

// Back along the centre's move to its first solid pixel, or the whole way.
void trace_back(const MaskView& m, int& x, int& y, float dx, float dy) {
    const float angle = static_cast<float>(det_atan2(dy, dx));
    const double c = det_cos(angle), s = det_sin(angle);
    const int steps = static_cast<int>(std::sqrt(dx * dx + dy * dy)) + 1;
    double fx = x, fy = y;
    for (int i = 0; i < steps && !m.Solid(x, y); ++i) {
        fx += c;
        fy += s;
        x = static_cast<int>(fx);
        y = static_cast<int>(fy);
    }
}

}  // namespace

void DiscMotion::Step(const MaskView& m, double dt, int walk_dir, bool jump) {
    if (walk_dir != 0) walk(*this, m, walk_dir);
    if (jump && !locked && resting) {
        vy -= kJumpImpulse;
        locked = true;
        lock_left = kJumpLock;
    }
    const int w = m.width(), h = m.height();
    if (x < 0.0f) x = 0.0f;
    if (x >= static_cast<float>(w)) x = static_cast<float>(w - 1);
    if (y > static_cast<float>(h)) {
        y = static_cast<float>(h - 1);
        if (vy > 0.0f) vy = 0.0f;
    }
    int ix = static_cast<int>(x), iy = static_cast<int>(y);
    const float dx = static_cast<float>(dt * vx), dy = static_cast<float>(dt * vy);
    x += dx;
    y += dy;
    const bool moving = std::fabs(vx) >= REST_SPEED || std::fabs(vy) >= REST_SPEED;
    const bool beyond = x < 0.0f || x >= static_cast<float>(w) || y > static_cast<float>(h);
    if (moving && (beyond || touches(m, static_cast<int>(x), static_cast<int>(y)))) {
        trace_back(m, ix, iy, dx, dy);
        x = static_cast<float>(ix < 0 ? 0 : ix >= w ? w - 1 : ix);
        y = static_cast<float>(iy > h ? h - 1 : iy);
        resting = true;
        vx = vy = 0.0f;
    }
    if (resting && !touches(m, static_cast<int>(x), static_cast<int>(y))) resting = false;
    if (!resting) vy = static_cast<float>(vy + dt * GRAVITY);
    if (locked && (lock_left -= static_cast<float>(dt)) <= 1e-6f) locked = false;
}

int DiscMotion::HeldAside(const MaskView& m, float x, float y) {
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    return m.Solid(ix + kRadius, iy + 1) ? 1 : m.Solid(ix - kRadius, iy + 1) ? -1 : 0;
}

bool DiscMotion::WallBeside(const MaskView& m, float x, float y) {
    return HeldAside(m, x, y) != 0 || m.Solid(static_cast<int>(x) - kRadius - 1, static_cast<int>(y) + 1);
}

bool DiscMotion::ClearToRise(const MaskView& m, float x, float y) {
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    return !m.Solid(ix, iy - kRadius + 1) && !m.Solid(ix - kRadius, iy + 1) && !m.Solid(ix + kRadius, iy + 1);
}

int DiscMotion::JumpRise() { return static_cast<int>(kJumpImpulse * kJumpImpulse / (2.0f * GRAVITY)); }

DiscMotion::Pixel DiscMotion::WalkProbe(float x, float y, int dir) {
    return {static_cast<int>(x) + dir * (kRadius + 1), static_cast<int>(y) + kProbeBelow};
}

bool DiscMotion::Grounded(const MaskView& m, float x, float y) {
    return m.Solid(static_cast<int>(x), static_cast<int>(y) + kRadius + 1);
}
