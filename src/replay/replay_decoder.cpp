#include "replay/replay_decoder.h"

#include "game/console_commands.h"
#include "input/input_handler.h"
#include "replay/replay_format.h"

namespace {

// Commands of one step: a person types at most one line a step.
constexpr std::size_t kMaxCommandsPerStep = 16;
constexpr int kMaxVarintBytes = 5;

bool printable(const std::string& text) {
    for (unsigned char c : text)
        if (c < 32 || c == 127) return false;
    return true;
}

}  // namespace

ReplayDecoder::ReplayDecoder(const unsigned char* data, std::size_t size, int players,
                             std::size_t file_offset, bool rope)
    : data_(data),
      size_(size),
      file_offset_(file_offset),
      players_(players),
      actions_(static_cast<std::size_t>(players > 0 ? players : 0)),
      rope_(rope) {}

ReplayDecoder::Entry ReplayDecoder::Next(StepInput* step, std::uint64_t* digest, std::string* why) {
    if (finished_) return Entry::Stop;
    const Entry e = NextEntry(step, digest, why);
    // After the end, a cut or a fault nothing more is read.
    finished_ = e == Entry::End || e == Entry::Stop || e == Entry::Bad;
    return e;
}

// Changes and commands only prepare the step that the next run begins with; every other
// entry ends the call.
ReplayDecoder::Entry ReplayDecoder::NextEntry(StepInput* step, std::uint64_t* digest,
                                              std::string* why) {
    if (run_left_ > 0) {
        --run_left_;
        return Emit(step);
    }
    for (;;) {
        entry_at_ = pos_;
        unsigned tag = 0;
        if (Byte(&tag) != Read::Ok) return Entry::Stop;
        const bool digest_due = steps_ % kDigestInterval == 0 && !digest_seen_;
        if (tag == kTagDigest) {
            if (!digest_due || pending_) return Bad(why, "a digest out of place");
            if (U64(digest) != Read::Ok) return Entry::Stop;
            digest_seen_ = true;
            return Entry::Digest;
        }
        if (digest_due) return Bad(why, "no digest after step " + std::to_string(steps_));

        Entry e;
        if (tag == kTagEnd) return Closing(digest, why);
        if (tag >= kTagRun) return Run(tag, step, why);
        if (tag >= kTagToggle)
            e = Toggle(tag, why);
        else if (tag == kTagSet)
            e = Set(why);
        else if (tag == kTagCommand)
            e = Command(why);
        else if (tag == kTagRope && rope_)
            e = RopePress(why);
        else
            return Bad(why, "unknown entry " + std::to_string(tag));
        if (e != Entry::Step) return e;
        pending_ = true;
    }
}

bool ReplayDecoder::NextStep(StepInput* step) {
    std::uint64_t digest = 0;
    std::string why;
    for (;;) {
        const Entry e = Next(step, &digest, &why);
        if (e != Entry::Digest) return e == Entry::Step;
    }
}

ReplayDecoder::Entry ReplayDecoder::Emit(StepInput* step) {
    step->players = actions_;
    for (std::size_t i = 0; i < step->players.size(); ++i)
        step->players[i].rope = (rope_presses_ >> i & 1u) != 0;
    rope_presses_ = 0;
    step->commands.swap(commands_);
    commands_.clear();
    pending_ = false;
    ++steps_;
    digest_seen_ = false;
    return Entry::Step;
}

ReplayDecoder::Entry ReplayDecoder::Toggle(unsigned tag, std::string* why) {
    const unsigned player = (tag - kTagToggle) / 8, bit = (tag - kTagToggle) % 8;
    if (player >= static_cast<unsigned>(players_)) return Bad(why, "a change of no player");
    if ((1u << bit) == ACT_WEAPON) return Bad(why, "a weapon switch without its weapon");
    actions_[player].bits ^= 1 << bit;
    return Entry::Step;
}

ReplayDecoder::Entry ReplayDecoder::Set(std::string* why) {
    unsigned mask = 0;
    if (Byte(&mask) != Read::Ok) return Entry::Stop;
    if (mask == 0 || (mask >> players_) != 0) return Bad(why, "a change of no player");
    for (int i = 0; i < players_; ++i) {
        if (!(mask & (1u << i))) continue;
        unsigned bits = 0;
        if (Byte(&bits) != Read::Ok) return Entry::Stop;
        PlayerActions& a = actions_[static_cast<std::size_t>(i)];
        a.bits = static_cast<int>(bits);
        a.weapon = -1;
        if (!(bits & ACT_WEAPON)) continue;
        std::uint64_t w = 0;
        const Read r = Varint(&w);
        if (r != Read::Ok) return r == Read::Short ? Entry::Stop : Bad(why, "a broken number");
        if (w > kMaxWeaponIndex + 1u)
            return Bad(why, "a weapon position of " + std::to_string(w));
        a.weapon = static_cast<int>(w) - 1;
    }
    return Entry::Step;
}

ReplayDecoder::Entry ReplayDecoder::Command(std::string* why) {
    std::uint64_t n = 0;
    const Read r = Varint(&n);
    if (r != Read::Ok) return r == Read::Short ? Entry::Stop : Bad(why, "a broken number");
    if (n == 0 || n > kMaxCommandText)
        return Bad(why, "a command of " + std::to_string(n) + " bytes");
    if (n > size_ - pos_) return Entry::Stop;
    std::string line(reinterpret_cast<const char*>(data_ + pos_), static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    if (!printable(line)) return Bad(why, "a command with a control character");
    if (!Game::CommandProcessor::ChangesWorld(line))
        return Bad(why, "a command that does not change the game");
    if (commands_.size() >= kMaxCommandsPerStep) return Bad(why, "too many commands in one step");
    commands_.push_back(std::move(line));
    return Entry::Step;
}

ReplayDecoder::Entry ReplayDecoder::RopePress(std::string* why) {
    unsigned player = 0;
    if (Byte(&player) != Read::Ok) return Entry::Stop;
    if (player >= static_cast<unsigned>(players_)) return Bad(why, "a rope press of no player");
    if (rope_presses_ >> player & 1u) return Bad(why, "a rope pressed twice in one step");
    rope_presses_ |= 1u << player;
    return Entry::Step;
}

// A run plays the prepared step and repeats its actions; it never passes the step of the
// next digest.
ReplayDecoder::Entry ReplayDecoder::Run(unsigned tag, StepInput* step, std::string* why) {
    const unsigned n = tag - kTagRun + 1;
    if (n > kMaxRun) return Bad(why, "unknown entry " + std::to_string(tag));
    if (steps_ % kDigestInterval + n > kDigestInterval)
        return Bad(why, "a run of " + std::to_string(n) + " steps past a digest");
    run_left_ = n - 1;
    return Emit(step);
}

ReplayDecoder::Entry ReplayDecoder::Closing(std::uint64_t* digest, std::string* why) {
    std::uint64_t steps = 0;
    const Read r = Varint(&steps);
    if (r != Read::Ok) return r == Read::Short ? Entry::Stop : Bad(why, "a broken number");
    if (U64(digest) != Read::Ok) return Entry::Stop;
    if (steps != steps_)
        return Bad(why, "an end after " + std::to_string(steps) + " steps where " +
                            std::to_string(steps_) + " were recorded");
    if (pending_) return Bad(why, "changes without their step");
    if (pos_ != size_) return Bad(why, "bytes after the end");
    return Entry::End;
}

ReplayDecoder::Entry ReplayDecoder::Bad(std::string* why, const std::string& what) const {
    *why = "corrupt record at byte " + std::to_string(file_offset_ + entry_at_) + ": " + what;
    return Entry::Bad;
}

ReplayDecoder::Read ReplayDecoder::Byte(unsigned* v) {
    if (pos_ >= size_) return Read::Short;
    *v = data_[pos_++];
    return Read::Ok;
}

ReplayDecoder::Read ReplayDecoder::Varint(std::uint64_t* v) {
    *v = 0;
    for (int i = 0; i < kMaxVarintBytes; ++i) {
        unsigned b = 0;
        if (Byte(&b) != Read::Ok) return Read::Short;
        *v |= static_cast<std::uint64_t>(b & 0x7f) << (7 * i);
        if (!(b & 0x80)) return Read::Ok;
    }
    return Read::Bad;
}

ReplayDecoder::Read ReplayDecoder::U64(std::uint64_t* v) {
    if (size_ - pos_ < 8) return Read::Short;
    *v = 0;
    for (int i = 0; i < 8; ++i) *v |= static_cast<std::uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += 8;
    return Read::Ok;
}
