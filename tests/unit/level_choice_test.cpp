#include <allegro.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "input/input_handler.h"
#include "level/level.h"
#include "level/level_choice.h"
#include "level/level_file.h"
#include "net/handshake.h"
#include "net/net_packet.h"
#include "replay/replay_reader.h"
#include "support/replay_support.h"
#include "support/test_support.h"
#include "support/two_machines.h"

namespace {

namespace fs = std::filesystem;

bool ground(int, int y) { return y >= 150; }

// A levels folder: "built" with its level file, "bitmaps" with only its bitmaps.
class Levels : public ::testing::Test {
protected:
    Levels() {
        level_ = testsupport::make_level(320, 200, ground);
        fs::create_directories(dir("built"));
        testsupport::save_level_file(dir("built") + "/map.lvl", *level_);
        fs::create_directories(dir("bitmaps"));
        testsupport::save_level_bitmaps(dir("bitmaps"), *level_);
        fs::create_directories(dir("empty"));
        fs::create_directories(dir("bad name!\x01"));
        testsupport::save_level_file(dir("bad name!\x01") + "/map.lvl", *level_);
    }
    std::string dir(const std::string& name) const { return levels_ + "/" + name; }

    testsupport::TempDir temp_;
    const std::string levels_ = temp_.file("levels");
    std::unique_ptr<Level> level_;
};

TEST_F(Levels, ALevelIsChosenByNamePathOrSeed) {
    EXPECT_EQ(list_levels(levels_), (std::vector<std::string>{"bitmaps", "built"}));
    const struct {
        std::string what;
        bool found;
        std::string name, file;
    } cases[] = {
        {"", true, "", "data/map.lvl"},
        {"built", true, "built", dir("built") + "/map.lvl"},
        {dir("bitmaps"), true, "bitmaps", dir("bitmaps") + "/map.lvl"},
        {dir("built") + "/", true, "built", dir("built") + "/map.lvl"},
        {dir("built") + "/map.lvl", true, "built", dir("built") + "/map.lvl"},
        {"empty", false, "", ""},
        {"missing", false, "", ""},
        {dir("missing"), false, "", ""},
    };
    for (const auto& c : cases) {
        LevelChoice choice;
        std::string why;
        EXPECT_EQ(choose_level(c.what, levels_, 0, &choice, &why), c.found) << c.what;
        if (!c.found) {
            EXPECT_NE(why.find("there is no level"), std::string::npos) << why;
            continue;
        }
        EXPECT_EQ(choice.name, c.name) << c.what;
        EXPECT_EQ(fs::path(choice.file).lexically_normal(), fs::path(c.file).lexically_normal())
            << c.what;
    }
    // "random" follows the seed: the same seed, the same level; both are reached.
    std::vector<std::string> picked;
    for (unsigned seed : {0u, 1u, 2u, 3u}) {
        LevelChoice choice;
        std::string why;
        ASSERT_TRUE(choose_level("random", levels_, seed, &choice, &why)) << why;
        picked.push_back(choice.name);
    }
    EXPECT_EQ(picked, (std::vector<std::string>{"bitmaps", "built", "bitmaps", "built"}));
    LevelChoice none;
    std::string why;
    EXPECT_FALSE(choose_level("random", temp_.file("nowhere"), 0, &none, &why));
}

TEST_F(Levels, AFolderOfBitmapsGetsItsLevelFileAndThumbnail) {
    LevelChoice choice;
    std::string notice, why;
    ASSERT_TRUE(choose_level("bitmaps", levels_, 0, &choice, &why)) << why;
    ASSERT_TRUE(prepare_level(&choice, &notice, &why)) << why;
    EXPECT_TRUE(notice.empty()) << notice;
    EXPECT_TRUE(check_level_file(dir("bitmaps") + "/map.lvl", &why)) << why;
    ASSERT_TRUE(ensure_thumbnail(choice, &why)) << why;
    BITMAP* thumb = load_bitmap((dir("bitmaps") + "/thumb.bmp").c_str(), nullptr);
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->w, 160);
    EXPECT_EQ(thumb->h, 100);
    destroy_bitmap(thumb);
}

TEST_F(Levels, AFolderThatCannotBeWrittenPlaysFromATemporaryFile) {
    // root writes into any folder: a folder where the level file would go stops it too.
    fs::create_directories(dir("bitmaps") + "/map.lvl/in the way");
    chmod(dir("bitmaps").c_str(), 0555);
    LevelChoice choice;
    std::string notice, why;
    ASSERT_TRUE(choose_level("bitmaps", levels_, 0, &choice, &why)) << why;
    const bool prepared = prepare_level(&choice, &notice, &why);
    chmod(dir("bitmaps").c_str(), 0755);
    ASSERT_TRUE(prepared) << why;
    EXPECT_NE(notice.find("playing from"), std::string::npos) << notice;
    EXPECT_NE(choice.file, dir("bitmaps") + "/map.lvl");
    EXPECT_TRUE(check_level_file(choice.file, &why)) << why;
    fs::remove(choice.file);
}

TEST_F(Levels, DamagedLevelsAreRefusedWithTheirReason) {
    const std::string good = testsupport::read_file(dir("built") + "/map.lvl");
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "hello, world"},
        {"cut in half", good.substr(0, good.size() / 2)},
        {"cut by one", good.substr(0, good.size() - 1)},
        {"garbage after the magic", good.substr(0, 4) + std::string(500, '\x5a')},
    };
    for (const auto& c : cases) {
        testsupport::write_file(dir("built") + "/map.lvl", c.bytes);
        std::string why;
        EXPECT_FALSE(check_level_file(dir("built") + "/map.lvl", &why)) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
        LevelChoice choice;
        std::string notice;
        ASSERT_TRUE(choose_level("built", levels_, 0, &choice, &why));
        EXPECT_FALSE(prepare_level(&choice, &notice, &why)) << c.name;
    }
    fs::remove(dir("bitmaps") + "/fore.bmp");
    LevelChoice choice;
    std::string notice, why;
    ASSERT_TRUE(choose_level("bitmaps", levels_, 0, &choice, &why));
    EXPECT_FALSE(prepare_level(&choice, &notice, &why));
    EXPECT_NE(why.find("fore.bmp"), std::string::npos) << why;
}

TEST_F(Levels, TheJoinerPlaysTheHostsNamedLevelWhenItHasTheSameOne) {
    const std::string built = dir("built") + "/map.lvl";
    net::Hello host = *net::make_hello(built, 0.0166, 1, 3, MatchRules(), "built");
    const std::vector<std::uint8_t> bytes = net::encode(host);
    const auto got = net::decode(bytes.data(), bytes.size());
    ASSERT_TRUE(got);
    EXPECT_EQ(std::get<net::Hello>(*got).level_name, "built");
    // The joiner's own default level does not stand in the way...
    net::Hello joiner = host;
    joiner.level_name.clear();
    joiner.level_digest ^= 1;
    EXPECT_FALSE(net::mismatch(joiner, host, false));
    EXPECT_FALSE(net::mismatch(host, joiner, true));
    // ...but it must have that level: the same file, under that name.
    std::string why;
    EXPECT_EQ(net::level_for_hello(host, "data/map.lvl", levels_, &why), built);
    host.level_digest ^= 1;
    EXPECT_FALSE(net::level_for_hello(host, "data/map.lvl", levels_, &why));
    EXPECT_NE(why.find("another than the other player's"), std::string::npos) << why;
    host.level_name = "missing";
    EXPECT_FALSE(net::level_for_hello(host, "data/map.lvl", levels_, &why));
    EXPECT_NE(why.find("lacks the other player's level missing"), std::string::npos) << why;
}

TEST_F(Levels, AReplayNamesTheLevelOfTheLevelsFolder) {
    const std::string replay = temp_.file("named.rpl");
    testsupport::record_game(dir("built") + "/map.lvl", replay, 3, 120,
                             testsupport::scripted([](int, std::size_t) { return 0; }), nullptr,
                             nullptr, MatchRules(), "built");
    ReplayReader reader;
    std::string why;
    ASSERT_TRUE(reader.Open(replay, &why)) << why;
    EXPECT_EQ(reader.header().level_name, "built");
}

}  // namespace

namespace {

using testsupport::TwoMachines;

// The host plays its level "arena", which the joiner lacks: it is sent, checked and kept,
// or refused with a word and nothing kept.
class LevelTransfer : public Levels {
protected:
    // The host announces the level `announced` (by default what it offers) and offers
    // `offered`.
    bool Play(const std::vector<std::uint8_t>& offered, std::uint32_t limit, std::string* status,
              const std::vector<std::uint8_t>* announced = nullptr) {
        const std::string host_level = dir("built") + "/map.lvl";
        const std::vector<std::uint8_t>& named = announced ? *announced : offered;
        testsupport::write_file(temp_.file("announced.lvl"), std::string(named.begin(), named.end()));
        net::Hello host = *net::make_hello(temp_.file("announced.lvl"), testsupport::kStepDt, 5, 3,
                                           MatchRules(), "arena");
        net::Hello joiner = *net::make_hello(host_level, testsupport::kStepDt, 6, 3);
        net::LinkOptions options;
        options.offered_level = std::make_shared<std::vector<std::uint8_t>>(offered);
        options.max_level_bytes = limit;
        options.has_level = [](const net::Hello&) { return false; };
        options.take_level = [this](const net::Hello& h, const std::vector<std::uint8_t>& file,
                                    std::string* why) {
            std::string stored;
            if (!store_level(received_, h.level_name, file, &stored, why)) return false;
            machines_.joiner_level = received_ + "/" + stored + "/map.lvl";
            return true;
        };
        std::string error;
        EXPECT_TRUE(machines_.Connect(host, joiner, options, std::nullopt, &error)) << error;
        const bool started = machines_.StartGames(
            testsupport::scripted([](int n, std::size_t s) { return s % 50 < 25 ? ACT_FIRE : (n == 1 ? ACT_RIGHT : ACT_LEFT); }),
            &error);
        *status = machines_[1].link->status();
        return started;
    }

    std::vector<std::uint8_t> HostLevel() {
        const std::string bytes = testsupport::read_file(dir("built") + "/map.lvl");
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }

    const std::string received_ = temp_.file("received");
    testsupport::ScopedConfig config_;
    TwoMachines machines_{dir("built") + "/map.lvl"};
};

TEST_F(LevelTransfer, AJoinerThatLacksTheLevelReceivesItAndBothPlayInStep) {
    // A level of that name but another kind is the joiner's own: it stays as it was.
    fs::create_directories(received_ + "/arena");
    testsupport::write_file(received_ + "/arena/map.lvl", "mine");
    std::string status;
    ASSERT_TRUE(Play(HostLevel(), net::kMaxLevelTransfer, &status)) << status;
    EXPECT_EQ(testsupport::read_file(received_ + "/arena/map.lvl"), "mine");
    EXPECT_EQ(machines_.joiner_level, received_ + "/arena-2/map.lvl");
    EXPECT_EQ(testsupport::read_file(machines_.joiner_level),
              testsupport::read_file(dir("built") + "/map.lvl"));
    machines_.Run([&] {
        return machines_[0].game->steps_taken >= 300 && machines_[1].game->steps_taken >= 300;
    }, 300);
    EXPECT_EQ(machines_.WorldDigest(0), machines_.WorldDigest(1));
}

TEST_F(LevelTransfer, ALevelTooLargeDamagedOrNoLevelIsRefusedAndNothingIsKept) {
    std::vector<std::uint8_t> cut = HostLevel();
    cut.resize(cut.size() / 2);
    std::vector<std::uint8_t> flipped = HostLevel();
    flipped[flipped.size() / 2] ^= 0xff;
    const std::vector<std::uint8_t> good = HostLevel();
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        std::uint32_t limit;
        const char* status;
        const std::vector<std::uint8_t>* announced;
    } cases[] = {
        {"too large", good, 1000, "too large", nullptr},
        {"cut", cut, net::kMaxLevelTransfer, "was refused", nullptr},
        {"not the announced one", flipped, net::kMaxLevelTransfer, "not the one it announced", &good},
        {"no level", std::vector<std::uint8_t>(3000, 7), net::kMaxLevelTransfer, "was refused",
         nullptr},
    };
    for (const auto& c : cases) {
        std::string status;
        EXPECT_FALSE(Play(c.file, c.limit, &status, c.announced)) << c.name;
        EXPECT_NE(status.find(c.status), std::string::npos) << c.name << ": " << status << " / " << machines_[0].link->status();
        EXPECT_TRUE(list_levels(received_).empty()) << c.name;
        std::error_code ec;
        EXPECT_TRUE(!fs::exists(received_) || fs::is_empty(received_, ec)) << c.name;
    }
}

}  // namespace
