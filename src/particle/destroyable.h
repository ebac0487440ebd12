#ifndef VORLIN_PARTICLE_DESTROYABLE_H
#define VORLIN_PARTICLE_DESTROYABLE_H

#include "particle/particle.h"

// A particle with health. Health 0 or less means destroyed; a destroyed object takes no
// further damage.
class Destroyable : public Particle {
public:
    float health;

    Destroyable(float health, Game* game, Level* level, int control, float radius, float x,
                float y);

    // True when this blow destroyed the object.
    bool Damage(Particle* source, float amount);

    // The health actually lost; the base truncates the amount.
    virtual int DamageAmount(Particle* source, float amount);
    // After health was reduced.
    virtual void OnDamage(Particle* source, float amount);
    // Once, when health reaches zero; true when the object stays in the world.
    virtual bool OnDestroyed();

    void Digest(Hasher& h) const override;
};

#endif
