// Sound files from anyone: the road a WAV takes from the disk into the game's sample bank
// (load_checked_sample: the size limit, the chunk walk and its checks, then the
// library's loader on the checked bytes).
//
// What the check accepts must decode into exactly the sample it described, every frame of
// which can be read: the mixer walks a sample's whole length.

#include <allegro.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "sound/wav_file.h"

namespace {

void check_sample(const SAMPLE* s, const WavFormat& f) {
    if (s->bits != f.bits || (s->stereo != 0) != (f.channels == 2) || s->freq != f.frequency)
        fuzz::fail("decoded sample of another format than the check found");
    if (s->len != f.frames || s->len < 1) fuzz::fail("decoded sample of another length");
    const std::size_t bytes = s->len * static_cast<std::size_t>(f.channels * f.bits / 8);
    const auto* data = static_cast<const volatile std::uint8_t*>(s->data);
    // Both ends of the sample: the sanitizer reports a short allocation.
    if (data[0] + data[bytes - 1] > 510) fuzz::fail("impossible byte");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::init();
    const std::string path = fuzz::write_file("sound.wav", data, size);
    WavFormat format;
    std::string why;
    const bool accepted = check_wav(data, size, &format, &why);
    SAMPLE* sample = load_checked_sample(path, &why);
    if (accepted != (sample != nullptr)) fuzz::fail("the check and the loader disagree");
    if (!sample) return 0;
    check_sample(sample, format);
    destroy_sample(sample);
    return 0;
}
