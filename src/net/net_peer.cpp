#include "net/net_peer.h"

#include <enet/enet.h>

#include <chrono>
#include <cstdlib>

#include "net/net_packet.h"

namespace net {

namespace {

constexpr int kChannels = 2;
constexpr enet_uint8 kUnreliableChannel = 0;
constexpr enet_uint8 kReliableChannel = 1;
// ENet's own give-up time for a peer that stops acknowledging (ms): above the game's
// silence limit, which is the one that speaks.
constexpr enet_uint32 kEnetTimeoutMin = 5000;
constexpr enet_uint32 kEnetTimeoutMax = 15000;

// Once connected (the call sends a command to the peer). ENet drops unreliable packets
// at random when the round trip varies, taking that for congestion. Ours are a few dozen
// bytes sixty times a second, and a step waits for each: never throttled.
void set_up(ENetPeer* peer) {
    enet_peer_timeout(peer, 0, kEnetTimeoutMin, kEnetTimeoutMax);
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL,
                                 ENET_PEER_PACKET_THROTTLE_SCALE, 0);
}

bool enet_ready() {
    static const bool ready = [] {
        if (enet_initialize() != 0) return false;
        std::atexit(enet_deinitialize);
        return true;
    }();
    return ready;
}

}  // namespace

bool parse_port(const std::string& digits, std::uint16_t* port) {
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long value = std::strtol(digits.c_str(), nullptr, 10);
    if (value < 1 || value > 65535) return false;
    *port = static_cast<std::uint16_t>(value);
    return true;
}

bool parse_address(const std::string& text, std::string* host, std::uint16_t* port) {
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    if (name.empty() || name.find_first_of(" \t") != std::string::npos) return false;
    std::uint16_t number = kDefaultPort;
    if (colon != std::string::npos && !parse_port(text.substr(colon + 1), &number)) return false;
    *host = name;
    *port = number;
    return true;
}

std::int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Peer::Peer(ENetHost* host, bool hosting) : host_(host), hosting_(hosting) {}

Peer::~Peer() {
    // Unannounced, the other side would only notice after its silence limit.
    if (connected_) enet_peer_disconnect_now(opponent_, 0);
    enet_host_destroy(host_);
}

std::unique_ptr<Peer> Peer::Host(std::uint16_t port, std::string* error) {
    if (!enet_ready()) return *error = "the network library did not start", nullptr;
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    // One slot beyond the opponent, so that a third machine hears why it is turned away.
    ENetHost* host = enet_host_create(&address, 2, kChannels, 0, 0);
    if (!host) {
        *error = "cannot listen on UDP port " + std::to_string(port) + " (is it in use?)";
        return nullptr;
    }
    return std::unique_ptr<Peer>(new Peer(host, true));
}

std::unique_ptr<Peer> Peer::Join(const std::string& name, std::uint16_t port, std::string* error) {
    if (!enet_ready()) return *error = "the network library did not start", nullptr;
    ENetAddress address{};
    if (enet_address_set_host(&address, name.c_str()) != 0)
        return *error = "unknown host " + name, nullptr;
    address.port = port;
    ENetHost* host = enet_host_create(nullptr, 1, kChannels, 0, 0);
    if (!host) return *error = "cannot open a UDP socket", nullptr;
    std::unique_ptr<Peer> peer(new Peer(host, false));
    peer->opponent_ = enet_host_connect(host, &address, kChannels, 0);
    if (!peer->opponent_) return *error = "cannot connect to " + name, nullptr;
    enet_peer_timeout(peer->opponent_, 0, kEnetTimeoutMin, kEnetTimeoutMax);
    return peer;
}

void Peer::Turn(ENetPeer* stranger) {
    ++refused_;
    const std::vector<std::uint8_t> bye = encode(Bye{ByeReason::Busy});
    ENetPacket* packet = enet_packet_create(bye.data(), bye.size(), ENET_PACKET_FLAG_RELIABLE);
    if (enet_peer_send(stranger, kReliableChannel, packet) != 0) enet_packet_destroy(packet);
    enet_peer_disconnect_later(stranger, 0);
}

bool Peer::Poll(Event* event) {
    ENetEvent e;
    while (enet_host_service(host_, &e, 0) > 0) {
        switch (e.type) {
        case ENET_EVENT_TYPE_CONNECT:
            // The host takes the first machine only, even after it left.
            if (hosting_ && had_opponent_) {
                Turn(e.peer);
                continue;
            }
            if (!hosting_ && e.peer != opponent_) continue;
            opponent_ = e.peer;
            connected_ = true;
            had_opponent_ = true;
            set_up(opponent_);
            event->kind = EventKind::Connected;
            event->data.clear();
            return true;
        case ENET_EVENT_TYPE_RECEIVE:
            if (e.peer == opponent_ && connected_) {
                event->kind = EventKind::Received;
                event->data.assign(e.packet->data, e.packet->data + e.packet->dataLength);
                enet_packet_destroy(e.packet);
                return true;
            }
            ++refused_;
            enet_packet_destroy(e.packet);
            continue;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (e.peer != opponent_) continue;
            // The slot may serve a stranger later; it is no longer the opponent's.
            opponent_ = nullptr;
            connected_ = false;
            event->kind = EventKind::Disconnected;
            event->data.clear();
            return true;
        case ENET_EVENT_TYPE_NONE:
            break;
        }
    }
    return false;
}

void Peer::Send(const std::vector<std::uint8_t>& bytes, bool reliable) {
    if (!connected_) return;
    ENetPacket* packet =
        enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (enet_peer_send(opponent_, reliable ? kReliableChannel : kUnreliableChannel, packet) != 0)
        enet_packet_destroy(packet);
}

void Peer::Flush() { enet_host_flush(host_); }

void Peer::Close(int wait_ms) {
    if (!connected_) return;
    enet_peer_disconnect_later(opponent_, 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
    ENetEvent e;
    while (connected_ && std::chrono::steady_clock::now() < until) {
        if (enet_host_service(host_, &e, 1) <= 0) continue;
        if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
        if (e.type == ENET_EVENT_TYPE_DISCONNECT && e.peer == opponent_) connected_ = false;
    }
    if (connected_) enet_peer_reset(opponent_);
    connected_ = false;
}

void Peer::Vanish() {
    if (opponent_) enet_peer_reset(opponent_);
    opponent_ = nullptr;
    connected_ = false;
}

std::uint16_t Peer::port() const {
    ENetAddress address{};
    if (enet_socket_get_address(host_->socket, &address) != 0) return 0;
    return address.port;
}

std::uint64_t Peer::bytes_sent() const { return host_->totalSentData; }
std::uint64_t Peer::bytes_received() const { return host_->totalReceivedData; }
std::uint64_t Peer::datagrams_sent() const { return host_->totalSentPackets; }

}  // namespace net
