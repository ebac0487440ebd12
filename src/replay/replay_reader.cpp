#include "replay/replay_reader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/hasher.h"
#include "level/level_choice.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads the whole file, `limit` bytes at most (a larger file sets *too_big).
bool read_file(const std::string& path, std::size_t limit, std::vector<unsigned char>* bytes,
               bool* too_big, std::string* why) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        *why = std::strerror(errno);
        return false;
    }
    bytes->clear();
    *too_big = false;
    unsigned char chunk[65536];
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f.get());
        if (bytes->size() + n > limit) {
            *too_big = true;
            return true;
        }
        bytes->insert(bytes->end(), chunk, chunk + n);
        if (n < sizeof chunk) break;
    }
    if (std::ferror(f.get())) {
        *why = std::strerror(errno);
        return false;
    }
    return true;
}

// A little-endian reader over the header bytes.
class HeaderBytes {
public:
    explicit HeaderBytes(const std::vector<unsigned char>& b) : b_(b) {}
    bool Take(std::size_t n, const unsigned char** p) {
        if (b_.size() - pos_ < n) return false;
        *p = b_.data() + pos_;
        pos_ += n;
        return true;
    }
    bool Number(int bytes, std::uint64_t* v) {
        const unsigned char* p;
        if (!Take(static_cast<std::size_t>(bytes), &p)) return false;
        *v = 0;
        for (int i = 0; i < bytes; ++i) *v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
        return true;
    }
    bool Peek(const unsigned char** p) const {
        if (pos_ >= b_.size()) return false;
        *p = b_.data() + pos_;
        return true;
    }
    // An unsigned LEB128 of at most 5 bytes.
    bool Varint(std::uint64_t* v) {
        *v = 0;
        for (int i = 0; i < 5; ++i) {
            const unsigned char* p;
            if (!Take(1, &p)) return false;
            *v |= static_cast<std::uint64_t>(*p & 0x7f) << (7 * i);
            if (!(*p & 0x80)) return true;
        }
        return false;
    }
    std::size_t pos() const { return pos_; }

private:
    const std::vector<unsigned char>& b_;
    std::size_t pos_ = 0;
};

bool known_depth(std::uint64_t d) { return d == 8 || d == 15 || d == 16 || d == 24 || d == 32; }

bool version_text(const unsigned char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] < 33 || p[i] > 126) return false;
    return n > 0;
}

bool refuse(std::string* why, const std::string& reason) {
    *why = reason;
    return false;
}

const char* const kCut = "truncated: the header is incomplete";

// The magic, the format and the version of the game that wrote it.
bool parse_origin(HeaderBytes& in, ReplayHeader* header, std::string* why) {
    const unsigned char* p;
    std::uint64_t format = 0, version_length = 0;
    if (!in.Take(sizeof kReplayMagic, &p) || !in.Number(2, &format)) return refuse(why, kCut);
    if (format > static_cast<std::uint64_t>(kReplayFormat))
        return refuse(why, "made by a newer version of the game (replay format " +
                               std::to_string(format) + ", this one reads up to " +
                               std::to_string(kReplayFormat) + ")");
    if (format == 0) return refuse(why, "corrupt header: replay format 0");
    header->format = static_cast<int>(format);
    if (!in.Number(1, &version_length) || !in.Take(version_length, &p)) return refuse(why, kCut);
    if (version_length > kMaxVersionText || !version_text(p, version_length))
        return refuse(why, "corrupt header: the game version is no version");
    header->game_version.assign(reinterpret_cast<const char*>(p), version_length);
    return true;
}

// The recorded game's start: level, random state, step, players, colour depth.
bool parse_game(HeaderBytes& in, ReplayHeader* header, std::string* why) {
    std::uint64_t level = 0, random = 0, dt_bits = 0, players = 0, depth = 0;
    if (!in.Number(8, &level) || !in.Number(4, &random) || !in.Number(8, &dt_bits) ||
        !in.Number(1, &players) || !in.Number(1, &depth))
        return refuse(why, kCut);
    double dt;
    std::memcpy(&dt, &dt_bits, sizeof dt);
    if (!(dt >= 0.0 && dt <= kMaxStepDt))
        return refuse(why, "absurd step length: " + std::to_string(dt) + " s");
    if (players < 1 || players > static_cast<std::uint64_t>(kMaxReplayPlayers))
        return refuse(why, "absurd number of players: " + std::to_string(players));
    if (!known_depth(depth))
        return refuse(why, "corrupt header: colour depth " + std::to_string(depth));
    header->level_digest = level;
    header->random_state = static_cast<std::uint32_t>(random);
    header->step_dt = dt;
    header->players = static_cast<int>(players);
    header->colour_depth = static_cast<int>(depth);
    return true;
}

// The rules entry a match's replay begins with; an endless game has none.
bool parse_rules(HeaderBytes& in, ReplayHeader* header, std::string* why) {
    header->rules = MatchRules();
    const unsigned char* tag;
    if (!in.Peek(&tag) || *tag != kTagRules) return true;
    in.Take(1, &tag);
    struct Limit {
        int MatchRules::*field;
        int max;
    };
    static const Limit limits[] = {{&MatchRules::kills, MatchRules::kMaxKills},
                                   {&MatchRules::minutes, MatchRules::kMaxMinutes},
                                   {&MatchRules::lives, MatchRules::kMaxLives}};
    for (const Limit& limit : limits) {
        std::uint64_t v = 0;
        if (!in.Varint(&v)) return refuse(why, kCut);
        if (v > static_cast<std::uint64_t>(limit.max))
            return refuse(why, "corrupt header: absurd match rules");
        header->rules.*limit.field = static_cast<int>(v);
    }
    std::uint64_t flags = 0;
    if (!in.Varint(&flags)) return refuse(why, kCut);
    if (flags & ~std::uint64_t(MatchRules::kKnownFlags))
        return refuse(why, "made by a newer version of the game (unknown match rules)");
    header->rules.flags = static_cast<unsigned>(flags);
    if (header->rules.plain()) return refuse(why, "corrupt header: match rules of no match");
    return true;
}

// The level of the levels folder the game was played on, when it was not the default.
bool parse_level_name(HeaderBytes& in, ReplayHeader* header, std::string* why) {
    header->level_name.clear();
    const unsigned char* tag;
    if (!in.Peek(&tag) || *tag != kTagLevelName) return true;
    in.Take(1, &tag);
    std::uint64_t length = 0;
    const unsigned char* text;
    if (!in.Varint(&length) || length > kMaxLevelName || !in.Take(length, &text))
        return refuse(why, kCut);
    header->level_name.assign(reinterpret_cast<const char*>(text), length);
    if (!valid_level_name(header->level_name))
        return refuse(why, "corrupt header: the level's name is no name");
    return true;
}

}  // namespace

bool level_file_digest(const std::string& path, std::uint64_t* digest, std::string* why) {
    // A level file is a few megabytes; the limit only keeps a wrong path from eating memory.
    constexpr std::size_t kMaxLevelBytes = std::size_t(1) << 30;
    std::vector<unsigned char> bytes;
    bool too_big = false;
    if (!read_file(path, kMaxLevelBytes, &bytes, &too_big, why)) {
        *why = "cannot read " + path + ": " + *why;
        return false;
    }
    if (too_big) {
        *why = "cannot read " + path + ": larger than a level can be";
        return false;
    }
    Hasher h;
    h.Bytes(bytes.data(), bytes.size());
    *digest = h.value();
    return true;
}

bool ReplayReader::Open(const std::string& path, std::string* why) {
    std::vector<unsigned char> bytes;
    bool too_big = false;
    if (!read_file(path, kMaxReplayBytes, &bytes, &too_big, why)) return false;
    if (too_big) {
        *why = "absurd size: a replay is at most " + std::to_string(kMaxReplayBytes >> 20) + " MB";
        return false;
    }
    return Parse(std::move(bytes), why);
}

bool ReplayReader::Parse(std::vector<unsigned char> bytes, std::string* why) {
    bytes_ = std::move(bytes);
    steps_ = digests_ = 0;
    complete_ = false;
    if (bytes_.size() > kMaxReplayBytes) {
        *why = "absurd size: a replay is at most " + std::to_string(kMaxReplayBytes >> 20) + " MB";
        return false;
    }
    if (!ParseHeader(why)) return false;

    ReplayDecoder entries = Entries();
    StepInput step;
    std::uint64_t digest = 0;
    for (;;) {
        switch (entries.Next(&step, &digest, why)) {
            case ReplayDecoder::Entry::Step: continue;
            case ReplayDecoder::Entry::Digest: ++digests_; continue;
            case ReplayDecoder::Entry::End:
                ++digests_;
                complete_ = true;
                break;
            case ReplayDecoder::Entry::Stop: break;
            case ReplayDecoder::Entry::Bad: return false;
        }
        steps_ = entries.steps();
        return true;
    }
}

ReplayDecoder ReplayReader::Entries() const {
    return ReplayDecoder(bytes_.data() + records_at_, bytes_.size() - records_at_, header_.players,
                         records_at_, header_.rules.rope());
}

bool ReplayReader::ParseHeader(std::string* why) {
    const std::size_t compared = std::min(bytes_.size(), sizeof kReplayMagic);
    if (bytes_.empty() || std::memcmp(bytes_.data(), kReplayMagic, compared) != 0)
        return refuse(why, "not a replay file");
    HeaderBytes in(bytes_);
    if (!parse_origin(in, &header_, why) || !parse_game(in, &header_, why) ||
        !parse_rules(in, &header_, why) || !parse_level_name(in, &header_, why))
        return false;
    records_at_ = in.pos();
    return true;
}
