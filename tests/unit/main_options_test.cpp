#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main/options.h"
#include "net/net_driver.h"

namespace {

struct Parsed {
    bool ok = false;
    std::string why;
    MainOptions options;
    net::NetStart start;
    bool network = false;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vorlin");
    Parsed p;
    p.ok = parse_main_options(static_cast<int>(args.size()), args.data(), &p.options, &p.why);
    if (p.ok) p.network = network_start(p.options, &p.start);
    return p;
}

TEST(MainOptions, NetworkGamesTakeTheirPortAndAddress) {
    const struct {
        std::vector<const char*> args;
        bool hosting;
        const char* host;
        int port;
        const char* record;
    } cases[] = {
        {{"--host"}, true, "", 24816, ""},
        {{"--host", "5000"}, true, "", 5000, ""},
        {{"--host=65535", "--record", "a.rpl"}, true, "", 65535, "a.rpl"},
        {{"--host", "--record", "a.rpl"}, true, "", 24816, "a.rpl"},
        {{"--join", "example.org"}, false, "example.org", 24816, ""},
        {{"--record=b.rpl", "--join", "10.0.0.2:1"}, false, "10.0.0.2", 1, "b.rpl"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.args);
        ASSERT_TRUE(p.ok) << c.args[0] << ": " << p.why;
        ASSERT_TRUE(p.network) << c.args[0];
        EXPECT_EQ(c.hosting, p.start.hosting);
        EXPECT_EQ(c.host, p.start.host);
        EXPECT_EQ(c.port, p.start.port);
        EXPECT_EQ(c.record, p.start.record);
    }
    EXPECT_FALSE(parse({"--record", "c.rpl"}).network) << "no network game without its option";
}

TEST(MainOptions, TheHostChoosesLockstepAndTheDelay) {
    const struct {
        std::vector<const char*> args;
        int rollback, delay;  // -1: vorlin.ini's
    } cases[] = {
        {{"--host"}, -1, -1},
        {{"--host", "--delay", "0"}, -1, 0},
        {{"--host", "--lockstep", "--delay=8"}, 0, 8},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.args);
        ASSERT_TRUE(p.ok && p.network) << p.why;
        EXPECT_EQ(c.rollback, p.start.rollback);
        EXPECT_EQ(c.delay, p.start.delay);
    }
}

TEST(MainOptions, BadNetworkOptionsAreRefusedWithTheirReason) {
    const struct {
        std::vector<const char*> args;
        const char* why;
    } cases[] = {
        {{"--host", "0"}, "--host needs a port from 1 to 65535, not 0"},
        {{"--host", "65536"}, "--host needs a port from 1 to 65535, not 65536"},
        {{"--host", "http"}, "--host needs a port from 1 to 65535, not http"},
        {{"--host="}, "--host needs a value after ="},
        {{"--join"}, "--join needs a value"},
        {{"--join", "a b"}, "--join needs HOST or HOST:PORT, not a b"},
        {{"--join", "host:"}, "--join needs HOST or HOST:PORT, not host:"},
        {{"--join", ":24816"}, "--join needs HOST or HOST:PORT, not :24816"},
        {{"--host", "--join", "h"}, "--host and --join exclude each other"},
        {{"--join", "h", "--replay", "r.rpl"}, "--replay and a network game exclude each other"},
        {{"--join", "h", "--lockstep"},
         "the host chooses how the game is played: --lockstep and --delay go with --host"},
        {{"--host", "--delay", "31"}, "--delay takes 0 to 30 steps, not 31"},
        {{"--host", "--lockstep", "--delay", "0"}, "--delay takes 1 to 30 steps, not 0"},
        {{"--host", "--delay", "-1"}, "--delay takes 0 to 30 steps, not -1"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.args);
        EXPECT_FALSE(p.ok) << c.why;
        EXPECT_EQ(c.why, p.why);
    }
}

TEST(MainOptions, TheMenuStandsAlone) {
    EXPECT_TRUE(parse({"--menu"}).options.menu);
    EXPECT_FALSE(parse({}).options.menu);
    for (std::vector<const char*> args :
         {std::vector<const char*>{"--menu", "--bot"}, {"--kills", "3", "--menu"},
          {"--menu", "--host"}, {"--menu", "--replay", "r.rpl"}, {"--menu", "--skill", "easy"},
          {"--menu", "--echo-console"}}) {
        const Parsed p = parse(args);
        EXPECT_FALSE(p.ok) << args[1];
        EXPECT_EQ(p.why, "--menu takes no other options: the menu sets up the game");
    }
}

TEST(MainOptions, TheConsoleIsEchoedOnlyWhenAsked) {
    EXPECT_FALSE(parse({}).options.echo_console);
    for (std::vector<const char*> args : {std::vector<const char*>{"--echo-console"},
                                          {"--rope", "--echo-console", "--bot"},
                                          {"--replay", "r.rpl", "--echo-console"}}) {
        const Parsed p = parse(args);
        ASSERT_TRUE(p.ok) << args[0] << ": " << p.why;
        EXPECT_TRUE(p.options.echo_console) << args[0];
    }
}

}  // namespace
