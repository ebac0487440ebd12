#include "sound/wav_file.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "level/image_check.h"

namespace {

bool refuse(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return false;
}

std::uint32_t le16(const std::uint8_t* p) { return p[0] | (std::uint32_t(p[1]) << 8); }

std::uint32_t le32(const std::uint8_t* p) { return le16(p) | (le16(p + 2) << 16); }

// A chunk name as it can be shown: anything unprintable becomes '?'.
std::string chunk_name(const std::uint8_t* id) {
    std::string name(4, '?');
    for (int i = 0; i < 4; ++i)
        if (id[i] >= 32 && id[i] < 127) name[i] = static_cast<char>(id[i]);
    return "\"" + name + "\"";
}

bool check_fmt(const std::uint8_t* chunk, std::uint32_t length, WavFormat* f, std::string* why) {
    if (length < 16)
        return refuse(why, "\"fmt \" chunk of " + std::to_string(length) + " bytes, less than 16");
    const std::uint32_t tag = le16(chunk);
    if (tag != 1) return refuse(why, "not PCM (format tag " + std::to_string(tag) + ")");
    f->channels = static_cast<int>(le16(chunk + 2));
    if (f->channels != 1 && f->channels != 2)
        return refuse(why, std::to_string(f->channels) + " channels (1 or 2 play)");
    const std::uint32_t rate = le32(chunk + 4);
    if (rate < kMinWavFrequency || rate > kMaxWavFrequency)
        return refuse(why, "sample rate " + std::to_string(rate) + " Hz outside " +
                               std::to_string(kMinWavFrequency) + ".." +
                               std::to_string(kMaxWavFrequency));
    f->frequency = static_cast<int>(rate);
    f->bits = static_cast<int>(le16(chunk + 14));
    if (f->bits != 8 && f->bits != 16)
        return refuse(why, std::to_string(f->bits) + " bits per sample (8 or 16 play)");
    return true;
}

bool check_data(std::uint32_t length, WavFormat* f, std::string* why) {
    const std::uint32_t frame = static_cast<std::uint32_t>(f->channels * f->bits / 8);
    if (length == 0) return refuse(why, "no samples");
    if (length % frame != 0)
        return refuse(why, std::to_string(length) + " bytes of samples are not a whole number of " +
                               std::to_string(frame) + "-byte frames");
    f->frames = length / frame;
    if (f->frames >
        static_cast<std::size_t>(kMaxWavSeconds) * static_cast<std::size_t>(f->frequency))
        return refuse(why, "longer than " + std::to_string(kMaxWavSeconds) + " s");
    return true;
}

void put_le(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool read_capped(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* why) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) return refuse(why, std::string("cannot open it: ") + std::strerror(errno));
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return refuse(why, "cannot read it");
    const long size = std::ftell(f.get());
    if (size < 0) return refuse(why, "cannot read it");
    if (static_cast<unsigned long>(size) > kMaxWavFileBytes)
        return refuse(why, "file too large (" + std::to_string(size) + " bytes)");
    std::rewind(f.get());
    bytes->resize(static_cast<std::size_t>(size));
    if (std::fread(bytes->data(), 1, bytes->size(), f.get()) != bytes->size())
        return refuse(why, "cannot read it");
    return true;
}

}  // namespace

bool check_wav(const std::uint8_t* data, std::size_t size, WavFormat* format, std::string* why) {
    if (!data || size < 12) return refuse(why, "too short for a WAV header");
    if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return refuse(why, "not a RIFF WAVE file");
    const std::uint64_t promised = std::uint64_t(le32(data + 4)) + 8;
    if (promised > size)
        return refuse(why, "truncated: the header promises " + std::to_string(promised) +
                               " bytes, the file has " + std::to_string(size));

    WavFormat f;
    bool have_fmt = false, have_data = false;
    // The loader reads chunk after chunk to the end of the file, whatever the RIFF
    // length says, so every byte of the file must belong to a chunk.
    for (std::size_t pos = 12; pos < size;) {
        if (size - pos < 8)
            return refuse(why, "truncated chunk header at byte " + std::to_string(pos));
        const std::uint8_t* id = data + pos;
        const std::uint32_t length = le32(data + pos + 4);
        pos += 8;
        if (length > size - pos)
            return refuse(why, "chunk " + chunk_name(id) + " of " + std::to_string(length) +
                                   " bytes runs past the end of the file");
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (have_fmt) return refuse(why, "more than one \"fmt \" chunk");
            if (!check_fmt(data + pos, length, &f, why)) return false;
            have_fmt = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (!have_fmt) return refuse(why, "\"data\" chunk before the \"fmt \" chunk");
            if (have_data) return refuse(why, "more than one \"data\" chunk");
            if (!check_data(length, &f, why)) return false;
            have_data = true;
        }
        pos += length;
    }
    if (!have_fmt) return refuse(why, "no \"fmt \" chunk");
    if (!have_data) return refuse(why, "no \"data\" chunk");
    if (format) *format = f;
    return true;
}

SAMPLE* decode_wav_sample(const std::uint8_t* data, std::size_t size, std::string* why) {
    WavFormat f;
    if (!check_wav(data, size, &f, why)) return nullptr;
    PACKFILE* pf = open_memory_packfile(data, size);
    if (!pf) {
        refuse(why, "out of memory");
        return nullptr;
    }
    SAMPLE* sample = load_wav_pf(pf);
    pack_fclose(pf);
    if (!sample) refuse(why, "out of memory");
    return sample;
}

SAMPLE* load_checked_sample(const std::string& path, std::string* why) {
    std::vector<std::uint8_t> bytes;
    if (!read_capped(path, &bytes, why)) return nullptr;
    return decode_wav_sample(bytes.data(), bytes.size(), why);
}

std::vector<std::uint8_t> encode_wav(int channels, int bits, int frequency,
                                     const std::vector<std::uint8_t>& pcm) {
    const std::uint32_t frame = static_cast<std::uint32_t>(channels * bits / 8);
    std::vector<std::uint8_t> out = {'R', 'I', 'F', 'F'};
    put_le(out, static_cast<std::uint32_t>(36 + pcm.size()), 4);
    for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<std::uint8_t>(c));
    put_le(out, 16, 4);
    put_le(out, 1, 2);
    put_le(out, static_cast<std::uint32_t>(channels), 2);
    put_le(out, static_cast<std::uint32_t>(frequency), 4);
    put_le(out, static_cast<std::uint32_t>(frequency) * frame, 4);
    put_le(out, frame, 2);
    put_le(out, static_cast<std::uint32_t>(bits), 2);
    for (char c : std::string("data")) out.push_back(static_cast<std::uint8_t>(c));
    put_le(out, static_cast<std::uint32_t>(pcm.size()), 4);
    out.insert(out.end(), pcm.begin(), pcm.end());
    return out;
}

std::vector<std::uint8_t> encode_wav(int frequency, const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> pcm;
    pcm.reserve(samples.size() * 2);
    for (std::int16_t s : samples) put_le(pcm, static_cast<std::uint16_t>(s), 2);
    return encode_wav(1, 16, frequency, pcm);
}
