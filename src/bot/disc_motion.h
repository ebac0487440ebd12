#ifndef VORLIN_BOT_DISC_MOTION_H
#define VORLIN_BOT_DISC_MOTION_H

class MaskView;

// A player's disc moved as the game moves it (the walk along the ground, the jump, the
// fall and its stop at terrain), over the bot's view of the mask, so that the bot can see
// where holding a key for a while takes it before it presses it. Nothing of the world is
// changed; what it leaves out (digging, other objects, the rope) the look ahead cannot
// foresee.
struct DiscMotion {
    float x, y;          // centre, pixels
    float vx, vy;        // pixels per second
    bool resting;        // movement state normal: touching terrain
    bool locked;         // a jump or a dig still under way: no new one
    float lock_left;     // seconds of the lock still to run

    // One logic step of `dt` seconds with the walk (-1, 0, +1) and the jump key.
    void Step(const MaskView& mask, double dt, int walk, bool jump);
    // At rest on terrain under the disc, not held by its side or its head.
    bool Standing(const MaskView& mask) const { return resting && Grounded(mask, x, y); }
    // Terrain just under a disc centred at (x, y).
    static bool Grounded(const MaskView& mask, float x, float y);
    // The side (+1 right, -1 left) where terrain touches the disc and holds it at rest,
    // as against a wall; 0 when neither does.
    static int HeldAside(const MaskView& mask, float x, float y);
    // Terrain where it holds the disc as against a wall, on either side, or one pixel
    // further out on the left: a straight jump or fall ends a pixel to the left of where it
    // began, which brings a wall that near to the disc.
    static bool WallBeside(const MaskView& mask, float x, float y);
    // Nothing at the head or the sides that stops a rising disc centred at (x, y).
    static bool ClearToRise(const MaskView& mask, float x, float y);
    // Pixels a jump from standing lifts the disc at most: its speed spent against gravity.
    static int JumpRise();
    struct Pixel {
        int x, y;
    };
    // The pixel where the walk towards `dir` looks for the ground from a disc centred at
    // (x, y): terrain there and the walk does not move it at all.
    static Pixel WalkProbe(float x, float y, int dir);
};

#endif
