#ifndef VORLIN_AMMUNITION_AMMUNITION_H
#define VORLIN_AMMUNITION_AMMUNITION_H

#include "particle/particle.h"

class Player;

// Projectiles. Each is created where it is fired and handed to Game::AddParticle at once;
// `owner` is the player credited with its hits (players never move or disappear).
namespace Ammunition {

enum Stage {
    STAGE_FLYING = 0,
    STAGE_EXPLODING = 1,
};

// Pistol shot and shotgun pellet: fly, dig a small hole or hurt, vanish after 2 s.
// Both derive straight from Particle; they share their update through free functions.
class PistolShot : public Particle {
public:
    double age;  // seconds since creation
    Player* owner;

    PistolShot(Player* owner, Game* game, Level* level, float x, float y, float angle);
    bool Update(double dt) override;
    void Draw(BITMAP* target, int originX, int originY) const override;
    void OnCollision(Particle* other) override;
    void Digest(Hasher& h) const override;
    Particle* Clone() const override { return new PistolShot(*this); }
};

class BirdShot : public Particle {
public:
    double age;
    Player* owner;

    BirdShot(Player* owner, Game* game, Level* level, float x, float y, float angle);
    bool Update(double dt) override;
    void Draw(BITMAP* target, int originX, int originY) const override;
    void OnCollision(Particle* other) override;
    void Digest(Hasher& h) const override;
    Particle* Clone() const override { return new BirdShot(*this); }
};

// Rocket, flak shell and splinter share the explosion stages: flying until a contact,
// then exploding; the blast is applied once after 0.25 s and the object goes after 0.5 s.
class Rocket : public Particle {
public:
    Player* owner;
    int stage;          // Stage
    double stage_time;  // seconds; restarts at 0 when the explosion begins
    bool burst;         // the blast has been applied
    // Seconds since the explosion first began; unlike stage_time no contact restarts it,
    // so an explosion kept alive by a lasting contact still bursts and ends.
    double explosion_age;

    Rocket(Player* owner, Game* game, Level* level, float x, float y, float angle);
    bool Update(double dt) override;
    void Draw(BITMAP* target, int originX, int originY) const override;
    void OnCollision(Particle* other) override;
    void Digest(Hasher& h) const override;
    Particle* Clone() const override { return new Rocket(*this); }
};

class Flak : public Particle {
public:
    class Shrapnel;

    Player* owner;
    int stage;
    double stage_time;
    bool burst;
    double explosion_age;

    Flak(Player* owner, Game* game, Level* level, float x, float y, float angle);
    bool Update(double dt) override;
    void Draw(BITMAP* target, int originX, int originY) const override;
    void OnCollision(Particle* other) override;
    void Digest(Hasher& h) const override;
    Particle* Clone() const override { return new Flak(*this); }
};

class Flak::Shrapnel : public Particle {
public:
    Player* owner;
    int stage;
    double stage_time;
    bool burst;
    double explosion_age;

    Shrapnel(Player* owner, Game* game, Level* level, float x, float y, float angle,
             float speed);
    bool Update(double dt) override;
    void Draw(BITMAP* target, int originX, int originY) const override;
    void OnCollision(Particle* other) override;
    void Digest(Hasher& h) const override;
    Particle* Clone() const override { return new Shrapnel(*this); }
};

// A clod of earth that piles up where it lands.
class Dirt : public Particle {
public:
    Player* owner;

    Dirt(Player* owner, Game* game, Level* level, float x, float y, float angle);
    bool Update(double dt) override;
    void Draw(BITMAP* target, int originX, int originY) const override;
    void OnCollision(Particle* other) override;
    void Digest(Hasher& h) const override;
    Particle* Clone() const override { return new Dirt(*this); }
};

}  // namespace Ammunition

#endif
