#include "particle/destroyable.h"

#include "base/hasher.h"

#include <climits>

#include "particle/sound_events.h"

Destroyable::Destroyable(float health, Game* game, Level* level, int control, float radius,
                         float x, float y)
    : Particle(game, level, control, radius, x, y), health(health) {}

bool Destroyable::Damage(Particle* source, float amount) {
    // An object already destroyed (or set to no health from the console) is left alone.
    if (health <= 0.0f) return false;
    const int lost = DamageAmount(source, amount);
    health -= static_cast<float>(lost);
    OnDamage(source, amount);
    if (health > 0.0f) {
        if (lost > 0) emit_sound(game, SK_Hit, x, y);
        return false;
    }
    health = 0.0f;
    emit_sound(game, SK_Death, x, y);
    if (!OnDestroyed()) dead = true;
    return true;
}

int Destroyable::DamageAmount(Particle*, float amount) {
    // Out-of-range amounts saturate instead of overflowing the conversion; NaN does nothing.
    if (!(amount > -2147483520.0f)) return amount < 0.0f ? INT_MIN : 0;
    if (amount >= 2147483520.0f) return INT_MAX;
    return static_cast<int>(amount);
}

void Destroyable::OnDamage(Particle*, float) {}

bool Destroyable::OnDestroyed() { return false; }

void Destroyable::Digest(Hasher& h) const {
    Particle::Digest(h);
    h.Float(health);
}
