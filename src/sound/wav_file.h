#ifndef VORLIN_SOUND_WAV_FILE_H
#define VORLIN_SOUND_WAV_FILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SAMPLE;

// Sound files come from anyone (players replace the game's own), and Allegro's WAV loader
// trusts its header: a short "fmt " chunk reads on into the next one, a "data" length is
// allocated before it is read, a second "data" chunk leaks the first, an empty one makes
// the mixer read outside the sample. A WAV therefore passes the check here, which walks
// the chunks exactly as the loader will, before the loader reads the very bytes checked.

// Sample rates accepted, in frames per second.
constexpr int kMinWavFrequency = 4000;
constexpr int kMaxWavFrequency = 96000;
// Longest sound accepted: effects last seconds.
constexpr int kMaxWavSeconds = 30;
// Largest file read at all: the longest sound at the highest rate in 16-bit stereo, and
// room for other chunks.
constexpr std::size_t kMaxWavFileBytes = 16u << 20;

// What the check found out about an accepted file.
struct WavFormat {
    int channels = 0;   // 1 or 2
    int bits = 0;       // 8 or 16
    int frequency = 0;  // frames per second
    std::size_t frames = 0;
};

// RIFF ... WAVE; chunks laid end to end (the loader knows no padding byte), each within
// the file; exactly one "fmt " chunk of at least 16 bytes, before exactly one "data"
// chunk; PCM with 1 or 2 channels of 8 or 16 bits at a sane rate; data of at least one
// and a whole number of frames, at most kMaxWavSeconds long. False with a reason.
bool check_wav(const std::uint8_t* data, std::size_t size, WavFormat* format, std::string* why);

// Checked, then decoded by the library from the checked bytes; null with a reason.
SAMPLE* decode_wav_sample(const std::uint8_t* data, std::size_t size, std::string* why);

// The file at `path`, read whole (at most kMaxWavFileBytes) and decoded as above; null
// with a reason when it is missing, unreadable, too large or refused.
SAMPLE* load_checked_sample(const std::string& path, std::string* why);

// A canonical PCM WAV file: RIFF header, a 16-byte "fmt " chunk, one "data" chunk.
// `pcm` holds whole frames as they go into the file (8-bit unsigned, 16-bit signed
// little-endian, channels interleaved).
std::vector<std::uint8_t> encode_wav(int channels, int bits, int frequency,
                                     const std::vector<std::uint8_t>& pcm);
// Mono 16-bit samples.
std::vector<std::uint8_t> encode_wav(int frequency, const std::vector<std::int16_t>& samples);

#endif
