#ifndef VORLIN_BASE_HASHER_H
#define VORLIN_BASE_HASHER_H

#include <cstdint>
#include <cstring>

// A 64-bit running hash for telling two states apart: FNV-1a taken a word at a time
// (xor, then multiply by the FNV prime), with the high half folded into the low half
// after every word so that a change in a word's high bits still reaches every later
// bit. Every step is a bijection of the running value, so a change to any single word
// always changes the result. Not for security: for digests of the world and of files.
class Hasher {
public:
    static constexpr std::uint64_t kOffset = 14695981039346656037ull;
    static constexpr std::uint64_t kPrime = 1099511628211ull;

    void Word(std::uint64_t v) {
        h_ = (h_ ^ v) * kPrime;
        h_ ^= h_ >> 32;
    }
    void Int(long long v) { Word(static_cast<std::uint64_t>(v)); }
    void Bool(bool v) { Word(v ? 1u : 0u); }
    // Floating-point values by their bits: -0 and 0 differ, as they may in the world.
    void Float(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Word(bits);
    }
    void Double(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Word(bits);
    }
    // The text and its length, so that "ab" + "c" and "a" + "bc" differ.
    void Text(const char* text) {
        std::uint64_t n = 0;
        for (; text[n]; ++n) Word(static_cast<unsigned char>(text[n]));
        Word(n);
    }
    // Bytes taken eight at a time as little-endian words, the last one padded with zeros,
    // then the count: the same value on every machine.
    void Bytes(const void* data, std::size_t size) {
        const unsigned char* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; i += 8) {
            std::uint64_t w = 0;
            for (std::size_t k = 0; k < 8 && i + k < size; ++k)
                w |= static_cast<std::uint64_t>(p[i + k]) << (8 * k);
            Word(w);
        }
        Word(size);
    }

    std::uint64_t value() const { return h_; }

private:
    std::uint64_t h_ = kOffset;
};

#endif
