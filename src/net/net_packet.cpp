#include "net/net_packet.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "input/input_handler.h"
#include "level/level_choice.h"

namespace net {

namespace {

enum Type : std::uint8_t {
    T_Hello = 1,
    T_Steps = 2,
    T_Digest = 3,
    T_Bye = 4,
    T_LevelCheck = 5,
    T_LevelPart = 6,
    T_RopeSteps = 7,
};
// The tags of a hello's optional fields.
enum HelloField : unsigned { kHelloRules = 1, kHelloLevel = 2, kHelloRollback = 3 };
// In the record count of a Steps packet: some of its records carry commands.
constexpr unsigned kCommandsFollow = 0x80;
const char kMagic[4] = {'V', 'R', 'L', 'N'};

bool plain_text(const std::string& s, std::size_t max) {
    if (s.empty() || s.size() > max) return false;
    for (unsigned char c : s)
        if (c < 32 || c == 127) return false;
    return true;
}

class Writer {
public:
    void u8(unsigned v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
    void uint(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void text(const std::string& s) {
        u8(static_cast<unsigned>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    std::vector<std::uint8_t> bytes;
};

// Every read is checked against the end; after the first failure all reads give zero
// and `ok` stays false.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : p_(data), left_(size) {}
    std::uint64_t uint(int n) {
        if (!ok || left_ < static_cast<std::size_t>(n)) return fail("truncated");
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(p_[i]) << (8 * i);
        p_ += n;
        left_ -= static_cast<std::size_t>(n);
        return v;
    }
    unsigned u8() { return static_cast<unsigned>(uint(1)); }
    std::string text(std::size_t max, const char* what) {
        const std::size_t n = u8();
        if (!ok || left_ < n) return fail("truncated"), std::string();
        std::string s(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        left_ -= n;
        if (!plain_text(s, max)) fail(what);
        return s;
    }
    bool bytes(const char* expected, std::size_t n) {
        if (!ok || left_ < n || std::memcmp(p_, expected, n) != 0) return fail("bad magic"), false;
        p_ += n;
        left_ -= n;
        return true;
    }
    std::uint64_t fail(const char* reason) {
        if (ok) why = reason;
        ok = false;
        return 0;
    }
    bool at_end() const { return left_ == 0; }
    std::vector<std::uint8_t> take(std::size_t n) {
        if (!ok || left_ < n) return fail("truncated"), std::vector<std::uint8_t>();
        std::vector<std::uint8_t> out(p_, p_ + n);
        p_ += n;
        left_ -= n;
        return out;
    }
    void skip_rest() {
        p_ += left_;
        left_ = 0;
    }

    bool ok = true;
    std::string why;

private:
    const std::uint8_t* p_;
    std::size_t left_;
};

std::uint64_t bits_of(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

double double_of(std::uint64_t b) {
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
}

void put(Writer& w, const Hello& h) {
    w.u8(T_Hello);
    for (char c : kMagic) w.u8(static_cast<unsigned char>(c));
    w.uint(h.protocol, 2);
    w.text(h.game_version);
    w.uint(h.level_digest, 8);
    w.uint(bits_of(h.step_length), 8);
    w.uint(h.seed, 4);
    w.u8(h.delay);
    if (!h.rules.plain()) {
        w.u8(kHelloRules);
        for (int limit : {h.rules.kills, h.rules.minutes, h.rules.lives})
            w.uint(static_cast<std::uint64_t>(limit), 2);
        w.u8(h.rules.flags);
    }
    if (!h.level_name.empty()) {
        w.u8(kHelloLevel);
        w.text(h.level_name);
    }
    if (h.rollback) {
        w.u8(kHelloRollback);
        w.u8(h.rollback);
    }
}

void put(Writer& w, const StepRecord& r) {
    w.u8(static_cast<unsigned>(r.actions.bits) & 0xff);
    if (r.actions.bits & ACT_WEAPON) w.u8(static_cast<unsigned>(r.actions.weapon));
}

void put_commands(Writer& w, const std::vector<std::string>& commands) {
    w.u8(static_cast<unsigned>(commands.size()));
    for (const std::string& c : commands) w.text(c);
}

// The positions of the records that press the rope key.
void put_rope_presses(Writer& w, const Steps& s, std::size_t presses) {
    w.u8(static_cast<unsigned>(presses));
    for (std::size_t i = 0; i < s.records.size(); ++i)
        if (s.records[i].actions.rope) w.u8(static_cast<unsigned>(i));
}

void put(Writer& w, const Steps& s) {
    std::size_t typed = 0, presses = 0;
    for (const StepRecord& r : s.records) {
        typed += !r.commands.empty();
        presses += r.actions.rope;
    }
    w.u8(presses ? T_RopeSteps : T_Steps);
    w.uint(s.received, 4);
    w.uint(s.first, 4);
    w.u8(static_cast<unsigned>(s.records.size()) | (typed ? kCommandsFollow : 0));
    for (const StepRecord& r : s.records) put(w, r);
    if (typed) {
        w.u8(static_cast<unsigned>(typed));
        for (std::size_t i = 0; i < s.records.size(); ++i) {
            if (s.records[i].commands.empty()) continue;
            w.u8(static_cast<unsigned>(i));
            put_commands(w, s.records[i].commands);
        }
    }
    if (presses) put_rope_presses(w, s, presses);
}

void put(Writer& w, const Digest& d) {
    w.u8(T_Digest);
    w.uint(d.steps, 4);
    w.uint(d.value, 8);
}

void put(Writer& w, const Bye& b) {
    w.u8(T_Bye);
    w.u8(static_cast<unsigned>(b.reason));
}

void read_rules(Reader& r, MatchRules* rules) {
    rules->kills = static_cast<int>(r.uint(2));
    rules->minutes = static_cast<int>(r.uint(2));
    rules->lives = static_cast<int>(r.uint(2));
    rules->flags = r.u8();
    if (r.ok && (rules->kills > MatchRules::kMaxKills || rules->minutes > MatchRules::kMaxMinutes ||
                 rules->lives > MatchRules::kMaxLives || (rules->flags & ~MatchRules::kKnownFlags) ||
                 rules->plain()))
        r.fail("bad match rules");
}

void put(Writer& w, const LevelCheck& c) {
    w.u8(T_LevelCheck);
    w.u8(c.have ? 1 : 2);
}

void put(Writer& w, const LevelPart& p) {
    w.u8(T_LevelPart);
    w.uint(p.size, 4);
    w.uint(p.offset, 4);
    w.uint(p.bytes.size(), 2);
    w.bytes.insert(w.bytes.end(), p.bytes.begin(), p.bytes.end());
}

LevelPart read_level_part(Reader& r) {
    LevelPart p;
    p.size = static_cast<std::uint32_t>(r.uint(4));
    p.offset = static_cast<std::uint32_t>(r.uint(4));
    const std::size_t n = r.uint(2);
    // The size is the receiver's to judge (a level too large is refused with a word).
    if (r.ok && (n == 0 || n > kLevelPartBytes || p.offset > p.size || n > p.size - p.offset))
        r.fail("bad level part");
    p.bytes = r.take(n);
    return p;
}

Hello read_hello(Reader& r) {
    Hello h;
    r.bytes(kMagic, sizeof kMagic);
    h.protocol = static_cast<std::uint16_t>(r.uint(2));
    // Another protocol may lay out the rest differently; its number is all we compare.
    if (r.ok && h.protocol != kProtocolVersion) {
        h.game_version.clear();
        r.skip_rest();
        return h;
    }
    h.game_version = r.text(kMaxVersionLength, "bad game version");
    h.level_digest = r.uint(8);
    h.step_length = double_of(r.uint(8));
    h.seed = static_cast<std::uint32_t>(r.uint(4));
    h.delay = static_cast<std::uint8_t>(r.u8());
    if (r.ok && !(std::isfinite(h.step_length) && h.step_length >= 0.0 && h.step_length <= 1.0))
        r.fail("bad step length");
    bool seen[4] = {};
    while (r.ok && !r.at_end()) {
        const unsigned field = r.u8();
        if (field < kHelloRules || field > kHelloRollback) {
            r.fail("unknown hello field");
        } else if (seen[field]) {
            r.fail("a hello field twice");
        } else if (field == kHelloRules) {
            read_rules(r, &h.rules);
        } else if (field == kHelloLevel) {
            h.level_name = r.text(kMaxLevelName, "bad level name");
            if (r.ok && !valid_level_name(h.level_name)) r.fail("bad level name");
        } else {
            h.rollback = static_cast<std::uint8_t>(r.u8());
            if (r.ok && (h.rollback == 0 || h.rollback > kMaxPrediction)) r.fail("bad rollback");
        }
        if (r.ok) seen[field] = true;
    }
    // Only a rollback game may act on a key in the step it was pressed.
    const int least_delay = h.rollback ? 0 : kMinDelay;
    if (r.ok && (h.delay < least_delay || h.delay > kMaxDelay)) r.fail("bad delay");
    return h;
}

StepRecord read_record(Reader& r) {
    StepRecord rec;
    rec.actions.bits = static_cast<int>(r.u8());
    if (rec.actions.bits & ACT_WEAPON) rec.actions.weapon = static_cast<int>(r.u8());
    return rec;
}

std::vector<std::string> read_commands(Reader& r) {
    std::vector<std::string> commands;
    const std::size_t n = r.u8();
    if (n == 0 || n > kMaxCommandsPerRecord) r.fail("bad command count");
    for (std::size_t i = 0; i < n && r.ok; ++i)
        commands.push_back(r.text(kMaxCommandLength, "bad command"));
    return commands;
}

// The records that carry commands, each named by its position, in increasing order.
void read_typed(Reader& r, std::vector<StepRecord>& records) {
    const std::size_t typed = r.u8();
    if (typed == 0 || typed > records.size()) r.fail("bad command records");
    std::size_t next = 0;
    for (std::size_t i = 0; i < typed && r.ok; ++i) {
        const std::size_t at = r.u8();
        if (r.ok && (at < next || at >= records.size())) r.fail("bad command records");
        if (!r.ok) break;
        records[at].commands = read_commands(r);
        next = at + 1;
    }
}

Steps read_steps(Reader& r) {
    Steps s;
    s.received = static_cast<std::uint32_t>(r.uint(4));
    s.first = static_cast<std::uint32_t>(r.uint(4));
    const unsigned count = r.u8();
    const std::size_t n = count & ~kCommandsFollow;
    if (n > kMaxRecordsPerPacket) r.fail("too many records");
    if (s.first > UINT32_MAX - n) r.fail("step numbers overflow");
    for (std::size_t i = 0; i < n && r.ok; ++i) s.records.push_back(read_record(r));
    if (r.ok && (count & kCommandsFollow)) read_typed(r, s.records);
    return s;
}

void read_rope_presses(Reader& r, std::vector<StepRecord>& records) {
    const std::size_t presses = r.u8();
    if (presses == 0 || presses > records.size()) r.fail("bad rope presses");
    std::size_t next = 0;
    for (std::size_t i = 0; i < presses && r.ok; ++i) {
        const std::size_t at = r.u8();
        if (r.ok && (at < next || at >= records.size())) r.fail("bad rope presses");
        if (!r.ok) break;
        records[at].actions.rope = true;
        next = at + 1;
    }
}

Steps read_rope_steps(Reader& r) {
    Steps s = read_steps(r);
    if (r.ok) read_rope_presses(r, s.records);
    return s;
}

}  // namespace

std::vector<std::uint8_t> encode(const Message& message) {
    Writer w;
    std::visit([&w](const auto& m) { put(w, m); }, message);
    return std::move(w.bytes);
}

StepRecord travelling(StepRecord record) {
    PlayerActions& a = record.actions;
    a.bits &= 0xff;
    // A switch to no weapon switches nothing: it travels as no switch at all.
    if ((a.bits & ACT_WEAPON) && (a.weapon < 0 || a.weapon > 255)) a.bits &= ~ACT_WEAPON;
    if (!(a.bits & ACT_WEAPON)) a.weapon = -1;
    std::vector<std::string> kept;
    for (std::string& c : record.commands)
        if (kept.size() < kMaxCommandsPerRecord && plain_text(c, kMaxCommandLength))
            kept.push_back(std::move(c));
    record.commands = std::move(kept);
    return record;
}

std::size_t encoded_size(const StepRecord& record) {
    Writer w;
    put(w, record);
    // Its position and its commands in the packet's list of commands.
    if (!record.commands.empty()) w.u8(0), put_commands(w, record.commands);
    // Its position among the rope presses, and their count, which only a packet with
    // presses has.
    if (record.actions.rope) w.u8(0), w.u8(0);
    return w.bytes.size();
}

std::optional<Message> decode(const std::uint8_t* data, std::size_t size, std::string* why) {
    auto refuse = [why](const std::string& reason) -> std::optional<Message> {
        if (why) *why = reason;
        return std::nullopt;
    };
    if (!data || size == 0) return refuse("empty");
    if (size > kMaxPacketBytes) return refuse("oversized");
    Reader r(data + 1, size - 1);
    Message m;
    switch (data[0]) {
    case T_Hello:
        m = read_hello(r);
        break;
    case T_Steps:
        m = read_steps(r);
        break;
    case T_RopeSteps:
        m = read_rope_steps(r);
        break;
    case T_Digest: {
        Digest d;
        d.steps = static_cast<std::uint32_t>(r.uint(4));
        d.value = r.uint(8);
        m = d;
        break;
    }
    case T_Bye: {
        const unsigned reason = r.u8();
        if (reason < 1 || reason > 4) r.fail("unknown reason");
        m = Bye{static_cast<ByeReason>(reason)};
        break;
    }
    case T_LevelCheck: {
        const unsigned answer = r.u8();
        if (answer < 1 || answer > 2) r.fail("unknown level check");
        m = LevelCheck{answer == 1};
        break;
    }
    case T_LevelPart:
        m = read_level_part(r);
        break;
    default:
        return refuse("unknown type");
    }
    if (r.ok && !r.at_end()) r.fail("trailing bytes");
    if (!r.ok) return refuse(r.why);
    return m;
}

}  // namespace net
