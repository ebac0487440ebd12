#include "main/options.h"

#include "base/option_parser.h"
#include "net/net_driver.h"

const char* const kMainUsage =
    "Usage: vorlin [--record FILE | --replay FILE] [--host [PORT] | --join HOST[:PORT]]\n"
    "Two-player split-screen action game; works in the current folder (vorlin.ini, data/).\n"
    "\n"
    "  --record FILE  play as usual and record the game into the replay FILE\n"
    "  --replay FILE  watch the game recorded in FILE (P or Space pauses, F fast-forwards,\n"
    "                 Escape ends)\n"
    "  --host [PORT]  play over the network as player 1: wait for the other player on UDP\n"
    "                 PORT (default 24816)\n"
    "  --join HOST[:PORT]\n"
    "                 play over the network as player 2 against the game hosted on HOST\n"
    "  --help         show this text\n";

namespace {

// A network game's options, checked.
bool check_network(const MainOptions& o, std::string* why) {
    if (!o.host && o.join.empty()) return true;
    net::NetStart start;
    if (o.host && !o.join.empty()) {
        *why = "--host and --join exclude each other";
    } else if (!o.replay.empty()) {
        *why = "--replay and a network game exclude each other";
    } else if (!network_start(o, &start)) {
        *why = o.host ? "--host needs a port from 1 to 65535, not " + o.host_port
                      : "--join needs HOST or HOST:PORT, not " + o.join;
    } else {
        return true;
    }
    return false;
}

}  // namespace

bool parse_main_options(int argc, const char* const* argv, MainOptions* o, std::string* why) {
    OptionParser parser;
    parser.Flag("help", &o->help);
    parser.Value("record", &o->record);
    parser.Value("replay", &o->replay);
    parser.Optional("host", &o->host, &o->host_port);
    parser.Value("join", &o->join);
    if (!parser.Parse(argc, argv, why)) return false;
    if (!o->record.empty() && !o->replay.empty()) {
        *why = "--record and --replay exclude each other";
        return false;
    }
    return check_network(*o, why);
}

bool network_start(const MainOptions& o, net::NetStart* start) {
    start->record = o.record;
    if (o.host) {
        start->hosting = true;
        return o.host_port.empty() || net::parse_port(o.host_port, &start->port);
    }
    return !o.join.empty() && net::parse_address(o.join, &start->host, &start->port);
}
