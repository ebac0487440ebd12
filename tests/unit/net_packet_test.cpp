#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "input/input_handler.h"
#include "net/lockstep.h"
#include "net/net_packet.h"

namespace {

using net::Message;

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> out;
    for (int b : list) out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

std::optional<Message> decode(const std::vector<std::uint8_t>& b, std::string* why = nullptr) {
    return net::decode(b.data(), b.size(), why);
}

net::StepRecord record(int bits, int weapon = -1, std::vector<std::string> commands = {}) {
    net::StepRecord r;
    r.actions.bits = bits;
    r.actions.weapon = weapon;
    r.commands = std::move(commands);
    return r;
}

TEST(NetPacket, EveryMessageComesBackAsItWasSent) {
    net::Hello hello;
    hello.level_digest = 0x0123456789abcdefull;
    hello.step_length = 0.01666666753590107;
    hello.seed = 0xdeadbeef;
    hello.delay = 8;
    net::Steps steps;
    steps.received = 70000;
    steps.first = 65535;
    steps.records = {record(ACT_LEFT | ACT_FIRE), record(ACT_WEAPON, 3),
                     record(0, -1, {"select 2", "quit"}), record(ACT_DIG),
                     record(ACT_WEAPON | ACT_JUMP, 0, {"player health 5"})};
    const std::vector<Message> messages = {hello, steps, net::Steps{}, net::Digest{120, ~0ull},
                                           net::Bye{net::ByeReason::Busy}};
    for (const Message& m : messages) {
        const std::vector<std::uint8_t> wire = net::encode(m);
        std::string why;
        const std::optional<Message> back = decode(wire, &why);
        ASSERT_TRUE(back) << why;
        ASSERT_EQ(m.index(), back->index());
        EXPECT_EQ(wire, net::encode(*back));
    }
    const net::Steps got = std::get<net::Steps>(*decode(net::encode(steps)));
    EXPECT_EQ(steps.records, got.records);
    EXPECT_EQ(65535u, got.first);
    const net::Hello h = std::get<net::Hello>(*decode(net::encode(hello)));
    EXPECT_EQ(hello.step_length, h.step_length);
    EXPECT_EQ(hello.level_digest, h.level_digest);
}

TEST(NetPacket, AHelloOfAnotherProtocolIsReadUpToItsNumber) {
    const auto got = decode(bytes({1, 'V', 'R', 'L', 'N', 7, 0, 0xff, 0xff, 0xff}));
    ASSERT_TRUE(got);
    EXPECT_EQ(7, std::get<net::Hello>(*got).protocol);
}

TEST(NetPacket, MalformedPacketsAreRefusedWithTheirReason) {
    const std::vector<std::uint8_t> good_steps = net::encode(net::Steps{1, 2, {record(1)}});
    std::vector<std::uint8_t> trailing = good_steps;
    trailing.push_back(0);
    std::vector<std::uint8_t> truncated = good_steps;
    truncated.pop_back();
    std::vector<std::uint8_t> oversized(net::kMaxPacketBytes + 1, 0);
    oversized[0] = 3;
    net::Hello slow;
    slow.delay = net::kMaxDelay + 1;
    net::Hello weird_step;
    weird_step.step_length = -1.0;
    const struct {
        std::vector<std::uint8_t> packet;
        const char* why;
    } cases[] = {
        {{}, "empty"},
        {oversized, "oversized"},
        {bytes({9, 0}), "unknown type"},
        {trailing, "trailing bytes"},
        {truncated, "truncated"},
        {bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 101}), "too many records"},
        {bytes({2, 0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 1, 0}), "step numbers overflow"},
        {bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x80}), "truncated"},
        {bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0x81, 0, 0}), "bad command records"},
        {bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0x81, 0, 1, 1, 1, 1, 'a'}), "bad command records"},
        {bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0x82, 0, 0, 2, 1, 1, 1, 'a', 0, 1, 1, 'b'}),
         "bad command records"},
        {bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0x81, 0, 1, 0, 5}), "bad command count"},
        {bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0x81, 0, 1, 0, 1, 2, 'a', 10}), "bad command"},
        {bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0x81, 0, 1, 0, 1, 0}), "bad command"},
        {bytes({1, 'V', 'R', 'L', 'X', 1, 0}), "bad magic"},
        {net::encode(slow), "bad delay"},
        {net::encode(weird_step), "bad step length"},
        {bytes({4, 9}), "unknown reason"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(decode(c.packet, &why)) << c.why;
        EXPECT_EQ(c.why, why);
    }
}

TEST(NetPacket, OnlyWhatCanTravelIsKeptInARecord) {
    const net::StepRecord r = net::travelling(
        record(0x1ff, 300, {"a", "", "b\x01", std::string(net::kMaxCommandLength + 1, 'x'), "c", "d", "e"}));
    EXPECT_EQ(0xff & ~ACT_WEAPON, r.actions.bits);
    EXPECT_EQ(-1, r.actions.weapon);
    EXPECT_EQ((std::vector<std::string>{"a", "c", "d", "e"}), r.commands);
    EXPECT_EQ(r, std::get<net::Steps>(*decode(net::encode(net::Steps{0, 0, {r}}))).records[0]);
}

// ---------------------------------------------------------------- the lockstep session

net::LockstepOptions options(int player, int delay = 3) {
    net::LockstepOptions o;
    o.local_player = player;
    o.delay = delay;
    o.digest_interval = 10;
    o.silence_ms = 1000;
    return o;
}

// Moves what one session sends into the other, through the wire format, losing the
// packets `lost` picks.
template <class Lost>
void deliver(net::Lockstep& from, net::Lockstep& to, std::int64_t now, Lost lost) {
    for (const Message& m : from.Outgoing(now)) {
        if (lost()) continue;
        const std::vector<std::uint8_t> wire = net::encode(m);
        const Message back = *net::decode(wire.data(), wire.size());
        if (auto* s = std::get_if<net::Steps>(&back)) {
            EXPECT_TRUE(to.Receive(*s, now));
        } else if (auto* d = std::get_if<net::Digest>(&back)) {
            EXPECT_TRUE(to.Receive(*d, now));
        }
    }
}

TEST(Lockstep, BothSidesRunTheSameRecordsInPlayerOrderDespiteLostPackets) {
    net::Lockstep host(options(1), 0), joiner(options(2), 0);
    std::vector<StepInput> ran[2];
    int packet = 0;
    auto every_third_lost = [&packet] { return ++packet % 3 == 0; };
    for (std::int64_t now = 0; now < 5000 && (ran[0].size() < 200 || ran[1].size() < 200); now += 5) {
        net::Lockstep* sides[] = {&host, &joiner};
        for (int i = 0; i < 2; ++i) {
            net::Lockstep& s = *sides[i];
            if (s.LocalDue()) {
                // Player p's record for step n: bits n % 7 + 16 * p, a command now and then.
                const int n = static_cast<int>(s.step()) + s.delay(), p = s.local_player();
                s.AddLocal(record(n % 7 + 16 * p, -1,
                                  n % 50 == 0 ? std::vector<std::string>{"c" + std::to_string(p)}
                                              : std::vector<std::string>{}));
            }
            if (s.Ready() && ran[i].size() < 200) {
                ran[i].push_back(s.Input());
                s.Advance();
                if (s.DigestDue()) s.AddLocalDigest(s.step());
            }
        }
        deliver(host, joiner, now, every_third_lost);
        deliver(joiner, host, now, every_third_lost);
    }
    ASSERT_EQ(200u, ran[0].size());
    ASSERT_EQ(200u, ran[1].size());
    for (std::size_t n = 0; n < 200; ++n) {
        const int early = n < 3 ? 0 : 1;  // the first `delay` records are empty
        ASSERT_EQ(2u, ran[0][n].players.size());
        EXPECT_EQ(early * (int(n) % 7 + 16), ran[0][n].players[0].bits) << n;
        EXPECT_EQ(early * (int(n) % 7 + 32), ran[0][n].players[1].bits) << n;
        EXPECT_EQ(ran[0][n].players[1].bits, ran[1][n].players[1].bits) << n;
        EXPECT_EQ(ran[0][n].commands, ran[1][n].commands) << n;
    }
    EXPECT_EQ((std::vector<std::string>{"c1", "c2"}), ran[1][50].commands);
    EXPECT_FALSE(host.desync());
    EXPECT_EQ(0u, host.rejected() + joiner.rejected());
}

TEST(Lockstep, StepNumbersNoSideCouldSendAreRejectedAndCounted) {
    net::Lockstep s(options(1), 0);  // holds local records 0..2, remote 0..2
    const std::vector<net::StepRecord> one = {record(1)};
    EXPECT_TRUE(s.Receive(net::Steps{3, 3, one}, 0));
    EXPECT_FALSE(s.Receive(net::Steps{3, 5, one}, 0)) << "a gap";
    EXPECT_FALSE(s.Receive(net::Steps{3, 7, one}, 0)) << "beyond what our records allow";
    EXPECT_FALSE(s.Receive(net::Steps{4, 4, {}}, 0)) << "acknowledges a record never made";
    EXPECT_FALSE(s.Receive(net::Steps{0, 4000000000u, one}, 0));
    EXPECT_FALSE(s.Receive(net::Digest{7, 1}, 0)) << "not a digest step";
    EXPECT_FALSE(s.Receive(net::Digest{600, 1}, 0)) << "ahead of every record";
    EXPECT_EQ(6u, s.rejected());
    EXPECT_TRUE(s.Receive(net::Steps{3, 0, {record(0), record(0), record(0), record(1)}}, 0))
        << "repeats of known records are no fault";
}

TEST(Lockstep, AnUnacknowledgingSideStopsTheLocalRecordsNotTheMemory) {
    net::Lockstep s(options(1), 0);
    std::uint32_t theirs = 3;  // their next record
    // The other side sends a record whenever it may and never acknowledges one of ours.
    for (int i = 0; i < 5000; ++i) {
        if (s.LocalDue()) s.AddLocal(record(1));
        if (s.Receive(net::Steps{0, theirs, {record(2)}}, 0)) ++theirs;
        if (s.Ready()) s.Advance();
    }
    EXPECT_FALSE(s.LocalDue());
    EXPECT_FALSE(s.Ready());
    EXPECT_LE(s.step(), net::kMaxRecordsPerPacket + 3);
    const auto out = s.Outgoing(10000);
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ(net::kMaxRecordsPerPacket, std::get<net::Steps>(out[0]).records.size());
}

TEST(Lockstep, DifferingDigestsNameTheFirstStepAndSilenceIsNoticed) {
    net::Lockstep s(options(2), 0);
    for (int n = 0; n < 25; ++n) {
        if (s.LocalDue()) s.AddLocal(record(0));
        EXPECT_TRUE(s.Receive(net::Steps{s.step() + 3, s.step() + 3, {record(0)}}, 100));
        ASSERT_TRUE(s.Ready());
        s.Advance();
        if (s.DigestDue()) s.AddLocalDigest(s.step() == 20 ? 99 : 1);
    }
    EXPECT_TRUE(s.Receive(net::Digest{10, 1}, 100));
    EXPECT_FALSE(s.desync());
    EXPECT_TRUE(s.Receive(net::Digest{20, 1}, 100));
    EXPECT_EQ(20u, s.desync());
    EXPECT_FALSE(s.Silent(1099));
    EXPECT_TRUE(s.Silent(1100));
}

// ---------------------------------------------------------------- rollback

net::LockstepOptions rollback_options() {
    net::LockstepOptions o = options(1, 0);
    o.prediction = net::kMaxPrediction;
    return o;
}

// Runs the next step with a local record of `bits`; the other player's bits it ran with.
int run_guessed(net::Lockstep& s, int bits) {
    if (s.LocalDue()) s.AddLocal(record(bits));
    EXPECT_TRUE(s.Ready());
    const int theirs = s.Input().players[1].bits;
    s.Advance();
    return theirs;
}

TEST(Rollback, TheHelloCarriesItAndOnlyItMayHaveNoDelay) {
    net::Hello hello;
    hello.delay = 0;
    std::string why;
    EXPECT_FALSE(decode(net::encode(hello), &why)) << "lockstep needs a delay";
    EXPECT_EQ("bad delay", why);
    hello.rollback = net::kMaxPrediction;
    const std::optional<Message> back = decode(net::encode(hello), &why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(net::kMaxPrediction, std::get<net::Hello>(*back).rollback);
    hello.rollback = net::kMaxPrediction + 1;
    EXPECT_FALSE(decode(net::encode(hello), &why));
    EXPECT_EQ("bad rollback", why);
}

TEST(Rollback, GuessesHoldTheLastKnownActionsAndAWrongOneIsNamedAndPlayedAgain) {
    net::Lockstep s(rollback_options(), 0);
    EXPECT_EQ(0, run_guessed(s, 1)) << "nothing known: the other player does nothing";
    ASSERT_TRUE(s.Receive(net::Steps{1, 0, {record(4)}}, 0));
    EXPECT_EQ(0u, s.Mispredicted());
    EXPECT_EQ(0u, s.confirmed());
    s.Rewind(0);
    EXPECT_EQ(4, run_guessed(s, 1));
    EXPECT_EQ(1u, s.confirmed());
    for (int n = 1; n < 4; ++n) EXPECT_EQ(4, run_guessed(s, 1)) << "the last known record held";
    // Step 1 was right, step 2 was not; step 3 was guessed wrong too, but after step 2.
    ASSERT_TRUE(s.Receive(net::Steps{4, 1, {record(4), record(6), record(7)}}, 0));
    EXPECT_EQ(2u, s.Mispredicted());
    EXPECT_EQ(2u, s.confirmed()) << "no step from a wrong guess on is confirmed";
    s.Rewind(2);
    EXPECT_FALSE(s.Mispredicted());
    EXPECT_EQ(6, run_guessed(s, 1));
    EXPECT_EQ(7, run_guessed(s, 1));
    EXPECT_EQ(4u, s.confirmed());
    EXPECT_EQ(7, run_guessed(s, 1)) << "guessing on from the newest record";
}

TEST(Rollback, ASideWaitsBeyondItsGuessesAndKnowsHowFarAheadItRuns) {
    net::Lockstep s(rollback_options(), 0);
    for (int n = 0; n < net::kMaxPrediction; ++n) run_guessed(s, 1);
    s.AddLocal(record(1));
    EXPECT_FALSE(s.Ready()) << "no more than the most guessed steps";
    // They hold our first 2 records and have given 2 of theirs: they are level with what
    // they know; we have given 9 and hold 2 of theirs.
    ASSERT_TRUE(s.Receive(net::Steps{2, 0, {record(0), record(0)}}, 0));
    EXPECT_EQ((9 - 2 - 0) / 2, s.Lead());
    EXPECT_TRUE(s.Ready());
    EXPECT_FALSE(s.Receive(net::Steps{9, 2, std::vector<net::StepRecord>(20, record(0))}, 0))
        << "no side guesses that far beyond our records";
}

}  // namespace
