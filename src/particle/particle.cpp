#include "particle/particle.h"

#include <cmath>

#include "base/hasher.h"
#include "base/det_math.h"
#include "collision/clgo.h"
#include "level/level.h"

Particle::Particle(Game* game, Level* level, int control, float radius, float x, float y)
    : x(x),
      y(y),
      vx(0.0f),
      vy(0.0f),
      bound(clgo_create_circle(static_cast<int>(x), static_cast<int>(y), radius)),
      level(level),
      game(game),
      control(static_cast<ParticleControl>(control)),
      state(PS_Normal),
      dead(false),
      detached(false) {}

Particle::Particle(const Particle& other)
    : x(other.x),
      y(other.y),
      vx(other.vx),
      vy(other.vy),
      bound(clgo_create_circle(static_cast<int>(other.x), static_cast<int>(other.y),
                               other.bound ? other.bound->radius : 0.0f)),
      level(other.level),
      game(other.game),
      control(other.control),
      state(other.state),
      dead(other.dead),
      detached(other.detached) {
    if (bound && other.bound) *bound = *other.bound;
}

void Particle::AssignParticle(const Particle& o) {
    x = o.x;
    y = o.y;
    vx = o.vx;
    vy = o.vy;
    if (bound && o.bound) *bound = *o.bound;
    control = o.control;
    state = o.state;
    dead = o.dead;
    detached = o.detached;
}

Particle::~Particle() {
    if (bound) clgo_destroy_circle(bound);
}

bool Particle::Update(double dt) {
    const int w = level->width;
    const int h = level->height;

    // Sides and bottom only: objects may leave through the top and fall back.
    if (x < 0.0f) x = 0.0f;
    if (x >= static_cast<float>(w)) x = static_cast<float>(w - 1);
    if (y > static_cast<float>(h)) {
        y = static_cast<float>(h - 1);
        if (vy > 0.0f) vy = 0.0f;
    }

    int ix = static_cast<int>(x);
    int iy = static_cast<int>(y);

    // Explicit Euler: the move uses the velocity held at the start of the step.
    const float dx = static_cast<float>(dt * vx);
    const float dy = static_cast<float>(dt * vy);
    x += dx;
    y += dy;
    clgo_set_position(bound, static_cast<int>(x), static_cast<int>(y));

    const bool moving = vx >= REST_SPEED || vx <= -REST_SPEED || vy >= REST_SPEED ||
                        vy <= -REST_SPEED;
    // The sides and the bottom are walls: a move that ends beyond them is a hit as on
    // terrain. Otherwise the terrain test of an object pressed against a side runs outside
    // the level, where there is none: it sinks through the ground of the edge column and,
    // when nothing else ends it (a dirt clod or a shell has no age limit), it stays on the
    // bottom edge for the rest of the game, one more entry in the world table every time.
    const bool beyond = x < 0.0f || x >= static_cast<float>(w) || y > static_cast<float>(h);
    if (moving && control != PC_None && (beyond || level->CircleHitsTerrain(bound, true))) {
        // Only the centre pixel is traced, so a large object usually runs the whole
        // path and stops about where the move took it.
        const float angle = static_cast<float>(det_atan2(dy, dx));
        const float length = std::sqrt(dx * dx + dy * dy);
        // A corrupt velocity must not turn the trace into an endless walk.
        const unsigned steps =
            length < 1.0e6f ? static_cast<unsigned>(static_cast<int>(length)) + 1 : 1000000u;
        level->TraceToSolid(ix, iy, angle, steps);
        // A trace that met no terrain stops at the wall it ran into.
        if (ix < 0) ix = 0;
        if (ix >= w) ix = w - 1;
        if (iy > h) iy = h - 1;
        SetPosition(static_cast<float>(ix), static_cast<float>(iy));
        OnCollision(nullptr);
        if (control == PC_Normal) state = PS_Normal;
        vx = 0.0f;
        vy = 0.0f;
    }

    if (control == PC_Normal) {
        if (state == PS_Normal) {
            if (level->CircleHitsTerrain(bound, true)) return false;
            state = PS_Falling;
        }
        if (state == PS_Falling) vy = static_cast<float>(vy + dt * GRAVITY);
    }
    return false;
}

void Particle::OnCollision(Particle*) {}

void Particle::SetPosition(float nx, float ny) {
    x = nx;
    y = ny;
    clgo_set_position(bound, static_cast<int>(nx), static_cast<int>(ny));
}

bool Particle::TouchesTerrain(bool below) const {
    if (control == PC_None) return false;
    return level->CircleHitsTerrain(bound, below);
}

bool Particle::Collides(const Particle* other) const {
    if (!other || (other->control != PC_Normal && other->control != PC_Flying)) return false;
    return clgo_circles_overlap(bound, other->bound) != 0;
}

void Particle::Digest(Hasher& h) const {
    h.Float(x);
    h.Float(y);
    h.Float(vx);
    h.Float(vy);
    h.Int(control);
    h.Int(state);
    h.Bool(dead);
    h.Bool(detached);
    if (bound) {
        h.Int(bound->x);
        h.Int(bound->y);
        h.Float(bound->radius);
    }
}
