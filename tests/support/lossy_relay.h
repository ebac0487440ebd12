#ifndef VORLIN_TESTS_LOSSY_RELAY_H
#define VORLIN_TESTS_LOSSY_RELAY_H

#include <cstdint>
#include <deque>
#include <vector>

#include <netinet/in.h>

namespace testsupport {

// A bad network on the loopback interface: a UDP forwarder between one client and a
// server on 127.0.0.1 that holds every datagram `delay_ms` in each direction and drops a
// share of them. The drops come from the seed alone, so a run can be repeated.
class LossyRelay {
public:
    // Listens on 127.0.0.1:`listen_port` (0: any free port, see port()).
    LossyRelay(std::uint16_t listen_port, std::uint16_t server_port, int delay_ms,
               double drop_share, std::uint32_t seed);
    ~LossyRelay();
    LossyRelay(const LossyRelay&) = delete;
    LossyRelay& operator=(const LossyRelay&) = delete;

    // False when a socket could not be set up.
    bool ok() const { return front_ >= 0 && back_ >= 0; }
    std::uint16_t port() const;
    // Takes in every waiting datagram and sends those whose time has come. Never waits.
    void Pump(std::int64_t now_ms);
    // Milliseconds until the next held datagram is due (-1: none held).
    int NextDueIn(std::int64_t now_ms) const;

    std::uint64_t forwarded() const { return forwarded_; }
    std::uint64_t dropped() const { return dropped_; }

private:
    struct Held {
        std::int64_t due;
        bool to_server;
        std::vector<char> bytes;
    };
    void Take(int socket, bool to_server, std::int64_t now_ms);
    bool Drop();

    int front_ = -1;  // faces the client
    int back_ = -1;   // faces the server
    sockaddr_in server_{};
    sockaddr_in client_{};
    bool have_client_ = false;
    int delay_ms_;
    std::uint32_t drop_below_;
    std::uint32_t random_;
    std::deque<Held> held_;
    std::uint64_t forwarded_ = 0, dropped_ = 0;
};

}  // namespace testsupport

#endif
