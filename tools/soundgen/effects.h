#ifndef VORLIN_TOOLS_SOUNDGEN_EFFECTS_H
#define VORLIN_TOOLS_SOUNDGEN_EFFECTS_H

#include <cstdint>
#include <vector>

#include "particle/sound_events.h"

// The game's own sound effects, synthesised: each is a few layers of a waveform or
// filtered noise, with a pitch (or, for noise, a cut-off) sweeping exponentially from a
// start to an end frequency under an envelope that rises for `attack` and then decays
// exponentially. The same samples come out on every run and every machine.
namespace soundgen {

constexpr int kRate = 22050;  // frames per second; 16-bit mono

enum class Wave { Sine, Square, Saw, Noise };

struct Layer {
    Wave wave;
    double start, length;  // seconds from the effect's start
    double f0, f1;         // Hz at the layer's start and end
    double attack, decay;  // seconds: linear rise, then the time constant of the fade
    double gain;           // relative to the effect's other layers
};

struct Effect {
    SoundKind kind;
    double length;  // seconds
    double peak;    // loudest sample as a share of full scale; sets the effects' balance
    std::vector<Layer> layers;
};

// One effect for every sound the game plays.
const std::vector<Effect>& effects();

std::vector<std::int16_t> render(const Effect& effect);

}  // namespace soundgen

#endif
