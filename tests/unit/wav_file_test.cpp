#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/wav_file.h"
#include "support/test_support.h"

namespace {

std::string le(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * i));
    return out;
}

std::string chunk(const std::string& id, const std::string& body) {
    return id + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

std::string fmt(int channels = 1, int bits = 16, std::uint32_t rate = 22050, int tag = 1) {
    const int frame = channels * bits / 8;
    return chunk("fmt ", le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * frame, 4) +
                             le(frame, 2) + le(bits, 2));
}

// A RIFF file whose own length field is right, so that only the fault under test shows.
std::string riff(const std::string& chunks) {
    return "RIFF" + le(static_cast<std::uint32_t>(4 + chunks.size()), 4) + "WAVE" + chunks;
}

const std::string kSamples = le(0, 2) + le(0x7FFF, 2) + le(0x8000, 2);  // 0, max, min
const std::string kGood = riff(fmt() + chunk("data", kSamples));

SAMPLE* decode(const std::string& bytes, std::string* why) {
    return decode_wav_sample(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                             why);
}

}  // namespace

TEST(WavFile, RefusesWhatTheLoaderWouldTrustAndSaysWhy) {
    std::string cut = kGood;
    cut.resize(cut.size() - 2);
    std::string past_end = kGood;
    past_end.replace(past_end.size() - 10, 4, le(0x7FFFFFFF, 4));  // the data length
    const std::string short_fmt = chunk("fmt ", fmt().substr(8, 14));
    struct Case {
        std::string bytes, reason;
    } cases[] = {
        {"RIFF", "too short"},
        {"RIFX" + kGood.substr(4), "not a RIFF WAVE file"},
        {cut, "truncated: the header promises 50 bytes, the file has 48"},
        {past_end, "chunk \"data\" of 2147483647 bytes runs past the end"},
        {kGood + "ab", "truncated chunk header at byte 50"},
        {riff(short_fmt + chunk("data", kSamples)), "\"fmt \" chunk of 14 bytes, less than 16"},
        {riff(fmt(1, 16, 22050, 3) + chunk("data", kSamples)), "not PCM (format tag 3)"},
        {riff(fmt(3) + chunk("data", kSamples)), "3 channels"},
        {riff(fmt(1, 24) + chunk("data", kSamples)), "24 bits per sample"},
        {riff(fmt(1, 16, 0) + chunk("data", kSamples)), "sample rate 0 Hz"},
        {riff(fmt(1, 16, 2147483647) + chunk("data", kSamples)), "sample rate 2147483647 Hz"},
        {riff(fmt() + chunk("data", "")), "no samples"},
        {riff(fmt() + chunk("data", "abc")), "3 bytes of samples are not a whole number of 2-byte"},
        {riff(fmt(1, 8, 4000) + chunk("data", std::string(31 * 4000, '\x80'))), "longer than 30 s"},
        {riff(chunk("data", kSamples) + fmt()), "\"data\" chunk before the \"fmt \" chunk"},
        {riff(fmt() + chunk("data", kSamples) + chunk("data", kSamples)), "more than one \"data\""},
        {riff(fmt() + fmt() + chunk("data", kSamples)), "more than one \"fmt \""},
        {riff(fmt() + chunk("LIST", "info")), "no \"data\" chunk"},
        {riff(chunk("LIST", "info")), "no \"fmt \" chunk"},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(decode(c.bytes, &why), nullptr) << c.reason;
        EXPECT_NE(why.find(c.reason), std::string::npos)
            << "expected: " << c.reason << "\n got: " << why;
    }
}

TEST(WavFile, DecodesTheCheckedBytesWithOtherChunksAround) {
    struct Case {
        std::string bytes;
        int bits, stereo, frames;
    } cases[] = {
        // An 18-byte "fmt " (with the extension size) and a chunk after the samples.
        {riff(chunk("fmt ", fmt().substr(8) + le(0, 2)) + chunk("data", kSamples) +
              chunk("LIST", "info")),
         16, 0, 3},
        {riff(fmt(2, 8, 8000) + chunk("data", "\x01\x02\x03\x04")), 8, 1, 2},
    };
    for (const Case& c : cases) {
        std::string why;
        SAMPLE* s = decode(c.bytes, &why);
        ASSERT_NE(s, nullptr) << why;
        EXPECT_EQ(s->bits, c.bits);
        EXPECT_EQ(s->stereo != 0, c.stereo != 0);
        EXPECT_EQ(static_cast<int>(s->len), c.frames);
        if (c.bits == 16) {  // the library keeps 16-bit samples unsigned
            const auto* v = static_cast<const std::uint16_t*>(s->data);
            EXPECT_EQ(v[0], 0x8000);
            EXPECT_EQ(v[1], 0xFFFF);
            EXPECT_EQ(v[2], 0x0000);
        }
        destroy_sample(s);
    }
}

TEST(WavFile, FilesThatCannotBeReadOrAreTooLargeAreRefusedUnread) {
    testsupport::TempDir dir;
    std::string why;
    EXPECT_EQ(load_checked_sample(dir.file("missing.wav"), &why), nullptr);
    EXPECT_NE(why.find("cannot open it: No such file"), std::string::npos) << why;

    testsupport::write_file(dir.file("huge.wav"), "");
    std::filesystem::resize_file(dir.file("huge.wav"), kMaxWavFileBytes + 1);
    EXPECT_EQ(load_checked_sample(dir.file("huge.wav"), &why), nullptr);
    EXPECT_NE(why.find("file too large"), std::string::npos) << why;

    testsupport::write_file(dir.file("good.wav"), kGood);
    SAMPLE* s = load_checked_sample(dir.file("good.wav"), &why);
    ASSERT_NE(s, nullptr) << why;
    EXPECT_EQ(s->freq, 22050);
    destroy_sample(s);
}
