// Packets from anyone on the network: the decoder, and a session (lockstep or rollback)
// fed with what it accepts.
//
// The whole input is first one packet: what decodes must encode back to a packet that
// decodes to the same bytes again, within the size limit. Then the input is read as a
// stream of packets, each a little-endian u16 length and that many bytes, handed to a
// session that keeps playing its own side between packets; whatever it sends must be a
// packet the other side can decode.

#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "net/lockstep.h"
#include "net/net_packet.h"

namespace {

std::vector<std::uint8_t> checked_encode(const net::Message& m) {
    const std::vector<std::uint8_t> wire = net::encode(m);
    if (wire.size() > net::kMaxPacketBytes) fuzz::fail("an encoded packet over the limit");
    if (!net::decode(wire.data(), wire.size())) fuzz::fail("an encoded packet does not decode");
    return wire;
}

void round_trip(const std::uint8_t* data, std::size_t size) {
    const std::optional<net::Message> m = net::decode(data, size);
    if (!m) return;
    const std::vector<std::uint8_t> wire = checked_encode(*m);
    const std::optional<net::Message> again = net::decode(wire.data(), wire.size());
    if (net::encode(*again) != wire) fuzz::fail("decoding is not stable");
}

void play_side(net::Lockstep& session, std::int64_t now) {
    if (session.LocalDue()) {
        net::StepRecord r;
        r.actions.bits = static_cast<int>(session.step() % 256);
        if (session.step() % 17 == 0) r.commands.push_back("select 1");
        session.AddLocal(r);
    }
    // A rollback side goes back to a wrong guess as its game would, never before the
    // steps it confirmed.
    if (const std::optional<std::uint32_t> wrong = session.Mispredicted()) {
        if (*wrong < session.confirmed() || *wrong >= session.step())
            fuzz::fail("a wrong guess outside the steps not confirmed");
        const std::uint32_t until = session.step();
        session.Rewind(*wrong);
        while (session.step() < until) session.Advance();
    }
    if (session.Ready()) {
        if (session.Input().players.size() != 2) fuzz::fail("a step input without two players");
        session.Advance();
        if (session.DigestDue()) session.AddLocalDigest(session.step());
    }
    if (session.step() - session.confirmed() > net::kMaxPrediction)
        fuzz::fail("guessed further than a side may");
    for (const net::Message& m : session.Outgoing(now)) checked_encode(m);
}

void stream(const std::uint8_t* data, std::size_t size) {
    net::LockstepOptions options;
    options.local_player = 1 + static_cast<int>(size % 2);
    options.digest_interval = 4;
    // Half the inputs play rollback without a delay.
    if (size % 4 >= 2) {
        options.prediction = net::kMaxPrediction;
        options.delay = 0;
    }
    net::Lockstep session(options, 0);
    std::int64_t now = 0;
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::size_t n = data[at] | static_cast<std::size_t>(data[at + 1]) << 8;
        at += 2;
        const std::size_t take = n < size - at ? n : size - at;
        if (const std::optional<net::Message> m = net::decode(data + at, take)) {
            if (const auto* s = std::get_if<net::Steps>(&*m)) session.Receive(*s, now);
            if (const auto* d = std::get_if<net::Digest>(&*m)) session.Receive(*d, now);
        }
        at += take;
        now += 7;
        play_side(session, now);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    round_trip(data, size);
    stream(data, size);
    return 0;
}
