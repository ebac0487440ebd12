#ifndef VORLIN_PARTICLE_PARTICLE_H
#define VORLIN_PARTICLE_PARTICLE_H

struct BITMAP;
class Hasher;
struct clgo_circle;
class Game;
class Level;

// The program's own value of pi; every angle constant of the world is derived from it.
constexpr double PI = 3.1415926538;

// Pixels per second squared, downwards.
constexpr float GRAVITY = 270.0f;
// Below this speed (pixels per second, both axes) an object is at rest and is not
// stopped by terrain.
constexpr float REST_SPEED = 0.01f;

enum ParticleControl {
    PC_None = 0,    // no terrain collision, no gravity, never the other of a collision test
    PC_Normal = 1,  // terrain collision and gravity
    PC_Flying = 2,  // terrain collision, no gravity
};

enum ParticleState {
    PS_Normal = 0,   // resting on terrain
    PS_Falling = 1,
    PS_Flying = 2,
};

// Every object of the world. Positions in level pixels (float), velocities in pixels per
// second; the collision circle's centre follows (x, y) truncated towards zero whenever
// the base class moves the object.
class Particle {
public:
    float x, y;
    float vx, vy;
    clgo_circle* bound;  // owned
    Level* level;        // not owned
    Game* game;          // not owned
    ParticleControl control;
    ParticleState state;
    bool dead;      // the world table deletes it at the end of its turn
    bool detached;  // the world table forgets it without deleting it

    Particle(Game* game, Level* level, int control, float radius, float x, float y);
    // Copies every member; the copy gets a circle of its own, equal to the other's.
    Particle(const Particle& other);
    Particle& operator=(const Particle&) = delete;
    virtual ~Particle();

    // One step of dt seconds; true when the step changed the terrain.
    virtual bool Update(double dt);
    // Draws the object with the world point (originX, originY) at the target's (0, 0).
    virtual void Draw(BITMAP* target, int originX, int originY) const = 0;
    // other == nullptr: this object ran into terrain.
    virtual void OnCollision(Particle* other);
    // Adds everything of the object that the coming steps depend on to a digest of the
    // world; each class adds its kind and its own fields after its base's.
    virtual void Digest(Hasher& h) const;
    // A copy of the object as it is, for a saved world; every world class in the table
    // gives one (null: a class that cannot be saved).
    virtual Particle* Clone() const { return nullptr; }
    // Every field of the base, the circle's as it stands included, from another object.
    void AssignParticle(const Particle& other);

    void SetPosition(float x, float y);
    bool TouchesTerrain(bool below) const;
    bool Collides(const Particle* other) const;
};

#endif
