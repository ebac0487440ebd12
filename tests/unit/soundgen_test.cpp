#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "effects.h"
#include "sound/sound_files.h"
#include "sound/wav_file.h"

// Every sound the game plays has its effect; each comes out the same on every call, peaks
// where its balance says without clipping, starts and ends without a click and has faded
// before it is cut off; the file written for it is one the game accepts.
TEST(Soundgen, EveryEffectIsDeterministicWithinRangeAndFadesOut) {
    bool made[SK_Count] = {};
    for (const soundgen::Effect& effect : soundgen::effects()) {
        SCOPED_TRACE(sound_file_name(effect.kind));
        made[effect.kind] = true;
        const std::vector<std::int16_t> samples = soundgen::render(effect);
        ASSERT_EQ(samples, soundgen::render(effect));
        ASSERT_EQ(samples.size(),
                  static_cast<std::size_t>(std::lround(effect.length * soundgen::kRate)));

        int peak = 0;
        for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_NEAR(peak, effect.peak * 32767, 1.0);
        EXPECT_LT(std::abs(samples.front()), 0.02 * peak);
        EXPECT_EQ(samples.back(), 0);
        const std::size_t tail = soundgen::kRate / 50;  // the last 20 ms
        for (std::size_t i = samples.size() - tail; i < samples.size(); ++i)
            ASSERT_LT(std::abs(samples[i]), 0.1 * peak)
                << "still loud " << samples.size() - i << " from the end";

        const std::vector<std::uint8_t> file = encode_wav(soundgen::kRate, samples);
        WavFormat format;
        std::string why;
        ASSERT_TRUE(check_wav(file.data(), file.size(), &format, &why)) << why;
        EXPECT_EQ(format.frames, samples.size());
    }
    for (int k = 0; k < SK_Count; ++k)
        EXPECT_TRUE(made[k]) << sound_file_name(static_cast<SoundKind>(k));
}
