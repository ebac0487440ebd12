#include "ammunition/ammunition.h"

#include <allegro.h>

#include <cstddef>

#include "ammunition/projectile.h"
#include "game/game.h"
#include "base/random.h"

namespace Ammunition {

namespace {

constexpr double ROCKET_SPEED = 400.0;
// Upward thrust in flight: net fall 270 - 180 = 90 pixels per second squared.
constexpr double ROCKET_LIFT = 180.0;
constexpr int BLAST_RADIUS = 30;

}  // namespace

Rocket::Rocket(Player* owner, Game* game, Level* level, float x, float y, float angle)
    : Particle(game, level, PC_Normal, 2.0f, x, y),
      owner(owner),
      stage(STAGE_FLYING),
      stage_time(0.0),
      burst(false),
      explosion_age(0.0) {
    detail::launch(*this, angle, ROCKET_SPEED);
}

void Rocket::Digest(Hasher& h) const { detail::digest_explosive(h, *this, "Rocket"); }

bool Rocket::Update(double dt) {
    return detail::explosive_update(*this, dt, ROCKET_LIFT, [this] {
        detail::open_blast(*this, BLAST_RADIUS, SK_RocketBlast);
        if (!game) return;
        // By index, re-reading the table: a blow may have any side effect on the world,
        // and the table's storage may move when something is added to it.
        for (std::size_t i = 0; i < game->particles.size(); ++i) {
            Particle* p = game->particles[i];
            if (!p || p == this || !Collides(p)) continue;
            auto* target = dynamic_cast<Destroyable*>(p);
            if (!target) continue;
            const double d = detail::centre_distance(*this, *p);
            if (d > BLAST_RADIUS) continue;
            // Full force (up to 89) at the centre, none at the rim.
            const int amount = static_cast<int>(rand_range(75, 90) * (BLAST_RADIUS - d) *
                                                0.03333333333333333);
            detail::strike(*target, this, owner, amount, SW_Rockets);
        }
    });
}

void Rocket::Draw(BITMAP* target, int originX, int originY) const {
    detail::draw_explosive(*this, target, originX, originY, 2, BLAST_RADIUS);
}

void Rocket::OnCollision(Particle*) {
    // No contact damage: everything comes from the blast. Later contacts are ignored.
    if (stage != STAGE_EXPLODING) detail::start_explosion(*this);
}

}  // namespace Ammunition
