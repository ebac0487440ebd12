#ifndef VORLIN_BASE_RANDOM_H
#define VORLIN_BASE_RANDOM_H

// The program's one random source: state = state * 214013 + 2531011 (mod 2^32), result
// bits 16..30 of the new state. Seeded once from the clock at start-up; a fixed seed
// replays a game exactly.

void seed_random(unsigned seed);
// The generator's whole state: seed_random(random_state()) later continues the same
// sequence, which is how a recorded game starts again.
unsigned random_state();
// Raw 15-bit value, 0..32767.
int random15();
// random15() times the single-precision value nearest 1/32767: in [0, 1), never 1.
double rand01();
// trunc(lo + rand01() * (hi - lo)): lo .. hi - 1 for integers.
int rand_range(int lo, int hi);

#endif
