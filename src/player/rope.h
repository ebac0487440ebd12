#ifndef VORLIN_PLAYER_ROPE_H
#define VORLIN_PLAYER_ROPE_H

struct BITMAP;
class Hasher;
class Level;
class Particle;

// The numbers of the rope, in level pixels and seconds.
struct RopeTable {
    float hook_speed;      // pixels per second along the aim, on top of the holder's motion
    float hook_start;      // the hook leaves this far from the holder's centre
    float max_length;      // the hook flies no farther from the holder; the longest rest length
    float min_length;      // the shortest rest length
    float attach_length;   // rest length when the hook sticks (the distance, if shorter)
    float reel_speed;      // pixels per second of rest length while up or down is held
    float stiffness;       // pull, pixels per second squared per pixel of stretch
    float damping;         // per second, of the speed along the line while it is taut
    float max_pull;        // pixels per second squared at most
    float drag_speed;      // pixels per second towards the hook, at least, of a holder that
                           // touches terrain while the line is taut
};

extern const RopeTable kRopeTable;

enum RopeState {
    RS_None = 0,      // nothing fired
    RS_Flying = 1,    // the hook is on its way
    RS_Attached = 2,  // the hook sticks in the terrain
};

// A grappling line: a hook fired along the aim that sticks in the terrain it meets and then
// pulls its holder towards it like an elastic line (no force while slack). Everything it
// computes uses only + - * / and sqrt, so that it steps alike on every machine.
class Rope {
public:
    int state = RS_None;  // RopeState
    float hx = 0, hy = 0;    // the hook
    float hvx = 0, hvy = 0;  // the hook's velocity while flying
    float length = 0;        // rest length while attached
    int reel = 0;            // this step's reeling: -1 shorten, +1 lengthen, 0 neither

    // Fires from the holder along `aim` (radians, as Player::aim); the hook starts with the
    // holder's velocity added.
    void Fire(const Particle& holder, float aim);
    void Release();
    bool Attached() const { return state == RS_Attached; }

    // One step: the hook flies and sticks, comes loose when its terrain is gone, the rest
    // length follows `reel` (then reset), and the holder's velocity takes the pull.
    void Update(Particle& holder, const Level& level, double dt);

    // The line from the holder to the hook and the hook's point, in `colour`.
    void Draw(BITMAP* target, const Particle& holder, int originX, int originY, int colour) const;
    void Digest(Hasher& h) const;

private:
    void Fly(const Particle& holder, const Level& level, double dt);
    void Reel(double dt);
    void Pull(Particle& holder, const Level& level, double dt) const;
};


#endif
