#include "replay/replay_writer.h"

#include <cerrno>
#include <cstring>

#include "input/input_handler.h"
#include "level/level_choice.h"

namespace {

// The weapon only means something with ACT_WEAPON; elsewhere it is "none", so that equal
// actions compare equal.
PlayerActions normalised(const PlayerActions& a) {
    PlayerActions n;
    n.bits = a.bits & 0xff;
    n.weapon =
        (n.bits & ACT_WEAPON) && a.weapon >= 0 && a.weapon <= kMaxWeaponIndex ? a.weapon : -1;
    return n;
}

bool same(const PlayerActions& a, const PlayerActions& b) {
    return a.bits == b.bits && a.weapon == b.weapon;
}

}  // namespace

ReplayWriter::~ReplayWriter() {
    if (file_) std::fclose(file_);
}

bool ReplayWriter::Open(const std::string& path, const ReplayHeader& header, std::string* why) {
    path_ = path;
    players_ = header.players;
    rope_ = header.rules.rope();
    if (players_ < 1 || players_ > kMaxReplayPlayers) {
        *why = "Unable to record " + path + ": " + std::to_string(players_) + " players";
        return false;
    }
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        *why = "Unable to record " + path + ": " + std::strerror(errno);
        return false;
    }
    out_.assign(kReplayMagic, kReplayMagic + sizeof kReplayMagic);
    out_.push_back(static_cast<unsigned char>(kReplayFormat & 0xff));
    out_.push_back(static_cast<unsigned char>(kReplayFormat >> 8));
    const std::string version = header.game_version.substr(0, kMaxVersionText);
    out_.push_back(static_cast<unsigned char>(version.size()));
    out_.insert(out_.end(), version.begin(), version.end());
    PutU64(header.level_digest);
    for (int i = 0; i < 4; ++i)
        out_.push_back(static_cast<unsigned char>(header.random_state >> (8 * i)));
    std::uint64_t dt_bits;
    std::memcpy(&dt_bits, &header.step_dt, sizeof dt_bits);
    PutU64(dt_bits);
    out_.push_back(static_cast<unsigned char>(players_));
    out_.push_back(static_cast<unsigned char>(header.colour_depth));
    if (!header.rules.plain()) {
        out_.push_back(kTagRules);
        for (int limit : {header.rules.kills, header.rules.minutes, header.rules.lives})
            PutVarint(static_cast<std::uint64_t>(limit));
        PutVarint(header.rules.flags);
    }
    if (!header.level_name.empty()) {
        const std::string name = header.level_name.substr(0, kMaxLevelName);
        out_.push_back(kTagLevelName);
        PutVarint(name.size());
        out_.insert(out_.end(), name.begin(), name.end());
    }
    last_.assign(static_cast<std::size_t>(players_), PlayerActions());
    Write();
    if (!ok()) *why = error_;
    return ok();
}

void ReplayWriter::AddStep(const StepInput& input) {
    std::vector<PlayerActions> actions(static_cast<std::size_t>(players_));
    for (std::size_t i = 0; i < actions.size() && i < input.players.size(); ++i)
        actions[i] = normalised(input.players[i]);
    bool changed = false;
    for (std::size_t i = 0; i < actions.size(); ++i)
        changed = changed || !same(actions[i], last_[i]);

    bool rope = false;
    for (std::size_t i = 0; i < actions.size() && i < input.players.size(); ++i)
        rope = rope || (rope_ && input.players[i].rope);

    // A step that changes something begins a run; so does the step after a digest's,
    // written or not.
    if (changed || rope || !input.commands.empty() || steps_ % kDigestInterval == 0)
        FlushRun();
    for (const std::string& line : input.commands) {
        const std::string text = line.substr(0, kMaxCommandText);
        if (text.empty()) continue;
        out_.push_back(kTagCommand);
        PutVarint(text.size());
        out_.insert(out_.end(), text.begin(), text.end());
    }
    if (changed) PutChanges(actions);
    if (rope) PutRopePresses(input);
    ++run_;
    last_ = actions;
    ++steps_;
    digest_written_ = false;
    if (!out_.empty()) Write();
}

bool ReplayWriter::DigestDue() const {
    return file_ && !digest_written_ && steps_ % kDigestInterval == 0;
}

void ReplayWriter::AddDigest(std::uint64_t digest) {
    FlushRun();
    out_.push_back(kTagDigest);
    PutU64(digest);
    digest_written_ = true;
    Write();
}

bool ReplayWriter::Finish(std::uint64_t digest) {
    if (!file_) return false;
    FlushRun();
    out_.push_back(kTagEnd);
    PutVarint(steps_);
    PutU64(digest);
    Write();
    if (file_ && std::fclose(file_) != 0 && ok()) error_ = "Unable to write " + path_;
    file_ = nullptr;
    return ok();
}

void ReplayWriter::PutVarint(std::uint64_t v) {
    do {
        const unsigned char low = v & 0x7f;
        v >>= 7;
        out_.push_back(v ? low | 0x80 : low);
    } while (v);
}

void ReplayWriter::PutU64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out_.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A key pressed or released flips one bit: one byte. A weapon switch, which needs its
// position, and changes of many bits at once set the player's actions whole.
void ReplayWriter::PutChanges(const std::vector<PlayerActions>& actions) {
    unsigned mask = 0;
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (same(actions[i], last_[i])) continue;
        const unsigned flipped = static_cast<unsigned>(actions[i].bits ^ last_[i].bits);
        const bool weapon = ((actions[i].bits | last_[i].bits) & ACT_WEAPON) != 0;
        if (weapon || __builtin_popcount(flipped) > 2) {
            mask |= 1u << i;
            continue;
        }
        for (unsigned bit = 0; bit < 8; ++bit)
            if (flipped & (1u << bit))
                out_.push_back(static_cast<unsigned char>(kTagToggle + i * 8 + bit));
    }
    if (!mask) return;
    out_.push_back(kTagSet);
    out_.push_back(static_cast<unsigned char>(mask));
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (!(mask & (1u << i))) continue;
        out_.push_back(static_cast<unsigned char>(actions[i].bits));
        if (actions[i].bits & ACT_WEAPON)
            PutVarint(static_cast<std::uint64_t>(actions[i].weapon + 1));
    }
}

// A press is an event of one step, like a command: it is not part of the actions that
// a run repeats.
void ReplayWriter::PutRopePresses(const StepInput& input) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(players_) && i < input.players.size(); ++i) {
        if (!input.players[i].rope) continue;
        out_.push_back(kTagRope);
        out_.push_back(static_cast<unsigned char>(i));
    }
}

// A run never passes a digest: the digest's step breaks it.
void ReplayWriter::FlushRun() {
    if (run_ == 0) return;
    out_.push_back(static_cast<unsigned char>(kTagRun + (run_ - 1)));
    run_ = 0;
}

void ReplayWriter::Write() {
    if (!file_) {
        out_.clear();
        return;
    }
    const bool written =
        std::fwrite(out_.data(), 1, out_.size(), file_) == out_.size() && std::fflush(file_) == 0;
    out_.clear();
    if (written) return;
    error_ = "Unable to write " + path_ + ": " + std::strerror(errno);
    std::fclose(file_);
    file_ = nullptr;
}
