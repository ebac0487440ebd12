#include "ammunition/ammunition.h"

#include <allegro.h>

#include <typeinfo>

#include "ammunition/projectile.h"
#include "game/game.h"
#include "base/random.h"

namespace Ammunition {

namespace {

constexpr double FLAK_SPEED = 400.0;
constexpr int FLAK_RADIUS = 10;      // contact damage reach, blast circle and crater
constexpr int SPLINTER_RADIUS = 4;   // same for a splinter
constexpr int SPLINTERS = 14;
// Splinter speed: 200 plus a raw 15-bit draw scaled onto 0 .. 400 pixels per second.
constexpr double SPLINTER_MIN_SPEED = 200.0;
constexpr double SPLINTER_SPEED_SCALE = 0.012207403790398877;

// A blow that fades linearly from full force at the centre to nothing at `reach`.
void contact_blow(Particle& source, Player* owner, Destroyable& target, double d, int reach) {
    const int amount = static_cast<int>(rand_range(75, 90) * (reach - d) * (1.0 / reach));
    detail::strike(target, &source, owner, amount, SW_Flak);
}

}  // namespace

Flak::Flak(Player* owner, Game* game, Level* level, float x, float y, float angle)
    : Particle(game, level, PC_Normal, 4.0f, x, y),
      owner(owner),
      stage(STAGE_FLYING),
      stage_time(0.0),
      burst(false),
      explosion_age(0.0) {
    detail::launch(*this, angle, FLAK_SPEED);
}

void Flak::Digest(Hasher& h) const { detail::digest_explosive(h, *this, "Flak"); }

bool Flak::Update(double dt) {
    return detail::explosive_update(*this, dt, 0.0, [this] {
        detail::open_blast(*this, FLAK_RADIUS, SK_FlakBurst);
        if (!game) return;
        for (int i = 0; i < SPLINTERS; ++i) {
            // The speed's draw comes before the angle's.
            const float speed =
                static_cast<float>(SPLINTER_MIN_SPEED + random15() * SPLINTER_SPEED_SCALE);
            const float angle = static_cast<float>(2 * rand01() * PI);
            game->AddParticle(new Shrapnel(owner, game, level, x, y, angle, speed));
        }
    });
}

void Flak::Draw(BITMAP* target, int originX, int originY) const {
    detail::draw_explosive(*this, target, originX, originY, 4, FLAK_RADIUS);
}

void Flak::OnCollision(Particle* other) {
    if (auto* target = dynamic_cast<Destroyable*>(other)) {
        const double d = detail::centre_distance(*this, *other);
        if (d <= FLAK_RADIUS) contact_blow(*this, owner, *target, d, FLAK_RADIUS);
    }
    // Every contact, also one during the explosion, restarts the explosion's clock;
    // `burst` keeps the blast from coming twice.
    detail::start_explosion(*this);
}

Flak::Shrapnel::Shrapnel(Player* owner, Game* game, Level* level, float x, float y,
                         float angle, float speed)
    : Particle(game, level, PC_Normal, 1.0f, x, y),
      owner(owner),
      stage(STAGE_FLYING),
      stage_time(0.0),
      burst(false),
      explosion_age(0.0) {
    detail::launch(*this, angle, speed);
}

void Flak::Shrapnel::Digest(Hasher& h) const {
    detail::digest_explosive(h, *this, "Shrapnel");
}

bool Flak::Shrapnel::Update(double dt) {
    return detail::explosive_update(*this, dt, 0.0, [this] {
        detail::open_blast(*this, SPLINTER_RADIUS, SK_SplinterBlast);
    });
}

void Flak::Shrapnel::Draw(BITMAP* target, int originX, int originY) const {
    detail::draw_explosive(*this, target, originX, originY, 1, SPLINTER_RADIUS);
}

void Flak::Shrapnel::OnCollision(Particle* other) {
    // The splinters of a burst fly through each other and through their shell.
    if (other) {
        const std::type_info& type = typeid(*other);
        if (type == typeid(Shrapnel) || type == typeid(Flak)) return;
    }
    if (auto* target = dynamic_cast<Destroyable*>(other)) {
        const double d = detail::centre_distance(*this, *other);
        // A splinter only grazing the target's circle flies on.
        if (d > SPLINTER_RADIUS) return;
        contact_blow(*this, owner, *target, d, SPLINTER_RADIUS);
    }
    detail::start_explosion(*this);
}

}  // namespace Ammunition
