#ifndef VORLIN_NET_NET_PEER_H
#define VORLIN_NET_NET_PEER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

namespace net {

// The UDP port a host listens on unless told otherwise.
constexpr std::uint16_t kDefaultPort = 24816;

// A port number, 1..65535, in decimal digits. False on anything else.
bool parse_port(const std::string& digits, std::uint16_t* port);
// "HOST" or "HOST:PORT" (the default port when absent). False on anything else.
bool parse_address(const std::string& text, std::string* host, std::uint16_t* port);

// Milliseconds of a steady clock: the times the network's sessions are given.
std::int64_t now_ms();

// One end of the connection between the two machines, over ENet. Channel 0 carries
// unreliable packets (the step records, which repeat until acknowledged; a late one is
// dropped by ENet once a newer one arrived), channel 1 reliable ones in order (handshake,
// digests, goodbye). Nothing here ever waits, except Close.
class Peer {
public:
    enum class EventKind { Connected, Received, Disconnected };
    struct Event {
        EventKind kind = EventKind::Received;
        std::vector<std::uint8_t> data;  // Received: the packet's bytes
    };

    // Listens on `port` (0: any free port, see port()) for one opponent; a further
    // machine that connects is sent a Bye (Busy), turned away and counted.
    static std::unique_ptr<Peer> Host(std::uint16_t port, std::string* error);
    // Starts connecting to `host`:`port`; Connected or Disconnected follows.
    static std::unique_ptr<Peer> Join(const std::string& host, std::uint16_t port,
                                      std::string* error);
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    // The next thing that happened with the opponent; false when nothing is left.
    bool Poll(Event* event);
    void Send(const std::vector<std::uint8_t>& bytes, bool reliable);
    // Hands what Send queued to the network now rather than at the next Poll.
    void Flush();
    // Tells the opponent goodbye after the reliable packets queued before, and waits at
    // most `wait_ms` for it to be acknowledged.
    void Close(int wait_ms);
    // Forgets the opponent without a word, as a machine that lost its power would.
    void Vanish();

    bool hosting() const { return hosting_; }
    bool connected() const { return connected_; }
    std::uint16_t port() const;
    // Third machines turned away and packets from anything but the opponent.
    std::uint64_t refused() const { return refused_; }
    // Bytes of ENet datagrams, headers included (not UDP and IP's).
    std::uint64_t bytes_sent() const;
    std::uint64_t bytes_received() const;
    // Datagrams sent: each adds 28 bytes of UDP and IPv4 headers to bytes_sent.
    std::uint64_t datagrams_sent() const;

private:
    Peer(ENetHost* host, bool hosting);
    void Turn(ENetPeer* stranger);

    ENetHost* host_;
    ENetPeer* opponent_ = nullptr;
    bool hosting_;
    bool connected_ = false;
    bool had_opponent_ = false;
    std::uint64_t refused_ = 0;
};

}  // namespace net

#endif
