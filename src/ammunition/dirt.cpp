#include "ammunition/ammunition.h"

#include <allegro.h>

#include "ammunition/projectile.h"
#include "base/random.h"

namespace Ammunition {

namespace {

constexpr int CLOD_RADIUS = 2;  // drawn, and piled up where it lands

int clod_colour() { return makecol(128, 0, 0); }

}  // namespace

Dirt::Dirt(Player* owner, Game* game, Level* level, float x, float y, float angle)
    : Particle(game, level, PC_Normal, 1.0f, x, y), owner(owner) {
    detail::launch(*this, angle, 350.0 + 100.0 * rand01());
}

void Dirt::Digest(Hasher& h) const {
    Particle::Digest(h);
    h.Text("Dirt");
    detail::digest_owner(h, owner);
}

bool Dirt::Update(double dt) {
    Particle::Update(dt);
    // Stopped this step (terrain clears the velocity): one pixel down lies in what it has
    // just piled up, so the update reports touching terrain.
    if (vy == 0.0f) SetPosition(x, y + 1.0f);
    return level->CircleHitsTerrain(bound, false);
}

void Dirt::Draw(BITMAP* target, int originX, int originY) const {
    circlefill(target, static_cast<int>(x) - originX, static_cast<int>(y) - originY,
               CLOD_RADIUS, clod_colour());
}

void Dirt::OnCollision(Particle* other) {
    if (!other) {
        const int cx = static_cast<int>(x);
        const int cy = static_cast<int>(y);
        level->AddDirt(cx, cy, CLOD_RADIUS);
        level->Paint(cx, cy, CLOD_RADIUS, clod_colour());
        dead = true;
        return;
    }
    // A clod is no weapon against players: the blow, dealt in the firing player's name,
    // truncates to nothing, and the clod flies on.
    auto* target = dynamic_cast<Destroyable*>(other);
    if (!target) return;
    const float before = target->health;
    const bool destroyed = target->Damage(owner, 0.1f);
    count_blow(owner, *target, before, destroyed, SW_Dirt);
}

}  // namespace Ammunition
