#include "effects.h"

#include <algorithm>
#include <cmath>

namespace soundgen {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Every effect and every layer ends in a linear fade this long: no click at the cut.
constexpr double kTailFade = 0.004;

using W = Wave;

// White noise from a fixed seed per layer: xorshift32 mapped onto [-1, 1).
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ * (2.0 / 4294967296.0) - 1.0;
    }

private:
    std::uint32_t state_;
};

double envelope(const Layer& l, double t) {
    const double shape = t < l.attack ? t / l.attack : std::exp(-(t - l.attack) / l.decay);
    return shape * std::min(1.0, (l.length - t) / kTailFade);
}

// Adds one layer into `out`; `seed` makes its noise its own.
void add_layer(const Layer& l, std::uint32_t seed, std::vector<double>& out) {
    const std::size_t first = static_cast<std::size_t>(std::lround(l.start * kRate));
    const std::size_t length = static_cast<std::size_t>(std::lround(l.length * kRate));
    const std::size_t last = std::min(out.size(), first + length);
    Noise noise(seed);
    double phase = 0.0, filtered = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double t = static_cast<double>(i - first) / kRate;
        const double f = l.f0 * std::pow(l.f1 / l.f0, t / l.length);
        double v = 0.0;
        switch (l.wave) {
        case W::Sine: v = std::sin(kTwoPi * phase); break;
        case W::Square: v = phase < 0.5 ? 1.0 : -1.0; break;
        case W::Saw: v = 2.0 * phase - 1.0; break;
        case W::Noise: {
            // One-pole low-pass at f, scaled back to the loudness of the unfiltered noise.
            const double a = 1.0 - std::exp(-kTwoPi * f / kRate);
            filtered += a * (noise.next() - filtered);
            v = filtered * std::sqrt((2.0 - a) / a);
            break;
        }
        }
        out[i] += l.gain * envelope(l, t) * v;
        phase += f / kRate;
        phase -= std::floor(phase);
    }
}

}  // namespace

const std::vector<Effect>& effects() {
    static const std::vector<Effect> all = {
        {SK_PistolShot, 0.25, 0.85,
         {{W::Noise, 0, 0.25, 8000, 2000, 0.001, 0.03, 1.0},
          {W::Square, 0, 0.12, 1200, 300, 0.001, 0.02, 0.5},
          {W::Sine, 0, 0.2, 180, 80, 0.002, 0.05, 0.6}}},
        {SK_ShotgunShot, 0.6, 0.9,
         {{W::Noise, 0, 0.6, 5000, 500, 0.001, 0.12, 1.0},
          {W::Sine, 0, 0.4, 110, 45, 0.003, 0.12, 0.9},
          {W::Noise, 0, 0.05, 10000, 6000, 0.0005, 0.01, 0.5}}},
        {SK_RocketLaunch, 0.7, 0.75,
         {{W::Noise, 0, 0.7, 300, 3000, 0.12, 0.15, 1.0},
          {W::Saw, 0, 0.6, 90, 220, 0.05, 0.15, 0.25}}},
        {SK_FlakShot, 0.35, 0.8,
         {{W::Sine, 0, 0.3, 400, 150, 0.002, 0.06, 1.0},
          {W::Noise, 0, 0.2, 3000, 800, 0.001, 0.03, 0.6}}},
        {SK_DirtShot, 0.25, 0.8,
         {{W::Sine, 0, 0.25, 120, 50, 0.003, 0.05, 1.0},
          {W::Noise, 0, 0.1, 600, 200, 0.002, 0.03, 0.7}}},
        {SK_RocketBlast, 1.2, 0.95,
         {{W::Noise, 0, 1.2, 2500, 150, 0.003, 0.25, 1.0},
          {W::Sine, 0, 0.9, 70, 28, 0.005, 0.2, 1.0},
          {W::Noise, 0, 0.08, 9000, 4000, 0.001, 0.02, 0.5}}},
        {SK_FlakBurst, 0.7, 0.9,
         {{W::Noise, 0, 0.7, 3500, 300, 0.002, 0.14, 1.0},
          {W::Square, 0, 0.3, 160, 60, 0.002, 0.07, 0.4}}},
        {SK_SplinterBlast, 0.15, 0.55,
         {{W::Noise, 0, 0.15, 7000, 3000, 0.001, 0.02, 1.0},
          {W::Sine, 0, 0.08, 2400, 1200, 0.001, 0.015, 0.3}}},
        {SK_Dig, 0.18, 0.6,
         {{W::Noise, 0, 0.18, 1800, 500, 0.006, 0.04, 1.0},
          {W::Noise, 0.05, 0.1, 900, 300, 0.004, 0.025, 0.6}}},
        {SK_Pickup, 0.4, 0.7,
         {{W::Sine, 0, 0.15, 880, 880, 0.003, 0.05, 1.0},
          {W::Sine, 0.09, 0.3, 1320, 1320, 0.003, 0.07, 1.0},
          {W::Sine, 0.09, 0.3, 2640, 2640, 0.003, 0.05, 0.2}}},
        {SK_Hit, 0.22, 0.8,
         {{W::Square, 0, 0.15, 260, 110, 0.002, 0.04, 0.6},
          {W::Noise, 0, 0.1, 4000, 1000, 0.001, 0.02, 0.8},
          {W::Sine, 0, 0.2, 150, 70, 0.002, 0.045, 0.7}}},
        {SK_Death, 1.0, 0.85,
         {{W::Saw, 0, 0.95, 420, 55, 0.01, 0.25, 0.6},
          {W::Noise, 0, 0.6, 2000, 200, 0.005, 0.15, 0.7},
          {W::Sine, 0, 0.9, 200, 40, 0.01, 0.22, 0.5}}},
        {SK_Respawn, 0.6, 0.7,
         {{W::Sine, 0, 0.55, 300, 1200, 0.06, 0.12, 1.0},
          {W::Sine, 0, 0.55, 600, 2400, 0.06, 0.1, 0.35}}},
        {SK_WeaponSwitch, 0.09, 0.55,
         {{W::Square, 0, 0.03, 1800, 1800, 0.0005, 0.008, 0.7},
          {W::Noise, 0.03, 0.05, 6000, 3000, 0.0005, 0.008, 0.6}}},
        {SK_ConsoleOpen, 0.25, 0.6,
         {{W::Sine, 0, 0.12, 660, 660, 0.003, 0.04, 1.0},
          {W::Sine, 0.08, 0.15, 990, 990, 0.003, 0.04, 1.0}}},
    };
    return all;
}

std::vector<std::int16_t> render(const Effect& effect) {
    std::vector<double> mix(static_cast<std::size_t>(std::lround(effect.length * kRate)), 0.0);
    for (std::size_t i = 0; i < effect.layers.size(); ++i)
        add_layer(effect.layers[i], 0x9E3779B9u * static_cast<std::uint32_t>(effect.kind * 16 + i + 1),
                  mix);

    double loudest = 0.0;
    for (double v : mix) loudest = std::max(loudest, std::abs(v));
    const double scale = loudest > 0.0 ? effect.peak * 32767.0 / loudest : 0.0;
    std::vector<std::int16_t> out(mix.size());
    const std::size_t fade = static_cast<std::size_t>(kTailFade * kRate);
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const std::size_t left = mix.size() - i;
        const double tail = left < fade ? static_cast<double>(left - 1) / fade : 1.0;
        out[i] = static_cast<std::int16_t>(std::lround(mix[i] * scale * tail));
    }
    return out;
}

}  // namespace soundgen
