#include "support/lossy_relay.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace testsupport {

namespace {

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int bound_socket(std::uint16_t port) {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) return -1;
    const sockaddr_in a = loopback(port);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

}  // namespace

LossyRelay::LossyRelay(std::uint16_t listen_port, std::uint16_t server_port, int delay_ms,
                       double drop_share, std::uint32_t seed)
    : front_(bound_socket(listen_port)),
      back_(bound_socket(0)),
      server_(loopback(server_port)),
      delay_ms_(delay_ms),
      drop_below_(static_cast<std::uint32_t>(std::clamp(drop_share, 0.0, 1.0) * 4294967295.0)),
      random_(seed ? seed : 1) {}

LossyRelay::~LossyRelay() {
    if (front_ >= 0) ::close(front_);
    if (back_ >= 0) ::close(back_);
}

std::uint16_t LossyRelay::port() const {
    sockaddr_in a{};
    socklen_t n = sizeof a;
    if (front_ < 0 || ::getsockname(front_, reinterpret_cast<sockaddr*>(&a), &n) != 0) return 0;
    return ntohs(a.sin_port);
}

bool LossyRelay::Drop() {
    // xorshift32: the relay's own sequence, nothing the game draws from.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return random_ < drop_below_;
}

void LossyRelay::Take(int socket, bool to_server, std::int64_t now_ms) {
    char buffer[65536];
    for (;;) {
        sockaddr_in from{};
        socklen_t n = sizeof from;
        const ssize_t got = ::recvfrom(socket, buffer, sizeof buffer, MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &n);
        if (got < 0) return;
        if (to_server) {
            // The first machine that speaks is the client; others are not relayed.
            if (!have_client_) client_ = from, have_client_ = true;
            if (from.sin_port != client_.sin_port || from.sin_addr.s_addr != client_.sin_addr.s_addr)
                continue;
        }
        if (Drop()) {
            ++dropped_;
            continue;
        }
        held_.push_back(Held{now_ms + delay_ms_, to_server, std::vector<char>(buffer, buffer + got)});
    }
}

void LossyRelay::Pump(std::int64_t now_ms) {
    if (!ok()) return;
    Take(front_, true, now_ms);
    Take(back_, false, now_ms);
    // One delay for all: the queue is in due order.
    while (!held_.empty() && held_.front().due <= now_ms) {
        const Held& h = held_.front();
        const int socket = h.to_server ? back_ : front_;
        const sockaddr_in& to = h.to_server ? server_ : client_;
        ::sendto(socket, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
        ++forwarded_;
        held_.pop_front();
    }
}

int LossyRelay::NextDueIn(std::int64_t now_ms) const {
    if (held_.empty()) return -1;
    return static_cast<int>(std::max<std::int64_t>(0, held_.front().due - now_ms));
}

}  // namespace testsupport
