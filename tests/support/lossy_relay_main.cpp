// A bad network between two games on one machine, for tests and measurements:
//
//   lossy_relay --listen PORT --to PORT [--delay MS] [--drop PERCENT] [--seed N]
//
// The joining game connects to 127.0.0.1:LISTEN; the relay passes its datagrams to the
// host on 127.0.0.1:TO and back, each held MS milliseconds (default 50) in each
// direction, PERCENT of them (default 5) dropped, the same ones for the same seed
// (default 1). Runs until interrupted; prints what it forwarded and dropped then.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "support/lossy_relay.h"

namespace {

volatile std::sig_atomic_t stop = 0;

void on_signal(int) { stop = 1; }

const char* const kUsage =
    "usage: lossy_relay --listen PORT --to PORT [--delay MS] [--drop PERCENT] [--seed N]\n";

int usage_error() {
    std::fputs(kUsage, stderr);
    return 2;
}

// A whole decimal number within [lo, hi].
bool number(const char* text, long lo, long hi, long* out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end || v < lo || v > hi) return false;
    *out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long listen = -1, to = -1, delay = 50, drop = 5, seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") return std::fputs(kUsage, stdout), 0;
        long* target = arg == "--listen" ? &listen : arg == "--to" ? &to : arg == "--delay" ? &delay
                     : arg == "--drop"   ? &drop   : arg == "--seed" ? &seed : nullptr;
        const long hi = arg == "--listen" || arg == "--to" ? 65535 : arg == "--drop" ? 100 : 1000000000;
        if (!target || i + 1 >= argc || !number(argv[++i], 0, hi, target)) return usage_error();
    }
    if (listen < 1 || to < 1) return usage_error();

    testsupport::LossyRelay relay(static_cast<std::uint16_t>(listen), static_cast<std::uint16_t>(to),
                                  static_cast<int>(delay), drop / 100.0,
                                  static_cast<std::uint32_t>(seed));
    if (!relay.ok()) {
        std::fprintf(stderr, "lossy_relay: cannot use UDP port %ld\n", listen);
        return 1;
    }
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    const auto start = std::chrono::steady_clock::now();
    while (!stop) {
        const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start).count();
        relay.Pump(now);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("forwarded %llu dropped %llu\n", static_cast<unsigned long long>(relay.forwarded()),
                static_cast<unsigned long long>(relay.dropped()));
    return 0;
}
