#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "game/game.h"
#include "input/input_handler.h"
#include "replay/replay_game.h"
#include "replay/replay_reader.h"
#include "replay/replay_verify.h"
#include "support/replay_support.h"
#include "support/test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Walking, aiming, firing, digging, jumping and switching weapons, out of step between
// the two players so that their records change at different steps.
int fighter(int player, std::size_t step) {
    const std::size_t phase = (step + 37 * player) % 180;
    int bits = 0;
    if (phase < 50) bits |= player == 1 ? ACT_RIGHT : ACT_LEFT;
    if (phase >= 50 && phase < 70) bits |= player == 1 ? ACT_LEFT : ACT_RIGHT;
    if (phase % 45 < 10) bits |= ACT_UP;
    if (step % 7 < 3) bits |= ACT_FIRE;
    if (phase >= 120 && phase < 135) bits |= ACT_DIG;
    if (step % 90 == 40) bits |= ACT_JUMP;
    if (step % 150 == 75) bits |= ACT_WEAPON;
    return bits;
}

std::vector<std::string> console_lines(std::uint64_t step) {
    if (step == 100) return {"select 2"};
    if (step == 101) return {"player health 30"};
    if (step == 300) return {"select 1", "player health 5"};
    return {};
}

constexpr std::uint64_t kSteps = 600;
// magic 8, format 2, version 1 + 3, level 8, random 4, step 8, players 1, depth 1
constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kFirstDigestEnd = kHeaderSize + 9;

Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }

// One level and one recorded game for the whole suite: writing a packed level is slow.
class ReplayFile : public ::testing::Test {
protected:
    static testsupport::TempDir* dir;
    static std::string level, replay;
    static std::uint64_t final_digest;
    static Bytes bytes;

    static void SetUpTestSuite() {
        dir = new testsupport::TempDir;
        level = dir->file("map.lvl");
        replay = dir->file("fight.rpl");
        testsupport::write_replay_level(level);
        final_digest = testsupport::record_game(level, replay, 4711, kSteps,
                                                testsupport::scripted(fighter), console_lines);
        bytes = bytes_of(testsupport::read_file(replay));
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    // Plays `replay` on a fresh game from its recorded start, comparing its digests.
    VerifyResult Verify(const ReplayReader& reader) {
        testsupport::ScopedConfig config;
        Game game(640, 480);
        std::string why;
        EXPECT_TRUE(start_replayed_game(game, reader.header(), level, &why)) << why;
        return play_replay(reader, game, true);
    }
};

testsupport::TempDir* ReplayFile::dir;
std::string ReplayFile::level, ReplayFile::replay;
std::uint64_t ReplayFile::final_digest;
Bytes ReplayFile::bytes;

TEST_F(ReplayFile, ARecordedGameReplaysToTheSameWorldWithItsConsoleCommands) {
    ReplayReader reader;
    std::string why;
    ASSERT_TRUE(reader.Parse(bytes, &why)) << why;
    EXPECT_EQ("1.0", reader.header().game_version);
    EXPECT_EQ(2, reader.header().players);
    EXPECT_EQ(Game::ConfiguredStepDt(), reader.header().step_dt);
    EXPECT_TRUE(reader.complete());
    EXPECT_EQ(kSteps, reader.steps());
    EXPECT_EQ(kSteps / 60 + 2, reader.digests());  // steps 0, 60, ..., 600 and the end

    testsupport::ScopedConfig config;
    Game game(640, 480);
    ASSERT_TRUE(start_replayed_game(game, reader.header(), level, &why)) << why;
    const VerifyResult result = play_replay(reader, game, true);
    EXPECT_TRUE(result.same) << verify_line(result);
    EXPECT_EQ(kSteps, result.steps);
    EXPECT_EQ(final_digest, result.digest);
    // The console lines reached the replayed world at their steps.
    ASSERT_NE(nullptr, game.selected);
    EXPECT_EQ(1, game.selected->number);
    // Compact: whole runs of repeated actions in a few bytes.
    EXPECT_LT(bytes.size(), 1500u);
}

TEST_F(ReplayFile, AFileCutAfterItsHeaderPlaysUpToItsLastWholeEntry) {
    std::uint64_t previous = 0;
    for (std::size_t cut : {kHeaderSize, kFirstDigestEnd, bytes.size() / 3, bytes.size() / 2,
                            bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        ReplayReader reader;
        std::string why;
        ASSERT_TRUE(reader.Parse(Bytes(bytes.begin(), bytes.begin() + cut), &why)) << why;
        EXPECT_FALSE(reader.complete());
        EXPECT_GE(reader.steps(), previous);
        previous = reader.steps();
        const VerifyResult result = Verify(reader);
        EXPECT_TRUE(result.same) << verify_line(result);
        EXPECT_EQ(reader.steps(), result.steps);
    }
    EXPECT_EQ(kSteps, previous);  // only the end record was lost
}

TEST_F(ReplayFile, AWorldThatPartsFromTheRecordingIsCaughtAtTheNextDigest) {
    // Twice the step length: the start still agrees, the first second of play does not.
    Bytes b = bytes;
    const double dt = 2 * Game::ConfiguredStepDt();
    std::memcpy(&b[26], &dt, sizeof dt);
    ReplayReader reader;
    std::string why;
    ASSERT_TRUE(reader.Parse(b, &why)) << why;
    const VerifyResult result = Verify(reader);
    EXPECT_FALSE(result.same);
    EXPECT_EQ(60u, result.steps);
    EXPECT_EQ(0u, verify_line(result).find("digest differs after step 60: recorded "));
}

struct BadFile {
    const char* name;
    std::function<Bytes(const Bytes& good)> make;
    const char* reason;
};

Bytes patched(Bytes b, std::size_t at, std::initializer_list<unsigned char> with) {
    for (unsigned char c : with) b.at(at++) = c;
    return b;
}

// The header and the start's digest of a good file, then `records`.
Bytes with_records(const Bytes& good, std::initializer_list<unsigned char> records) {
    Bytes b(good.begin(), good.begin() + kFirstDigestEnd);
    for (unsigned char c : records) b.push_back(c);
    return b;
}

Bytes nan_step(const Bytes& good) {
    Bytes b = good;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(&b[26], &nan, sizeof nan);
    return b;
}

TEST_F(ReplayFile, BadFilesAreRefusedWithTheirReason) {
    const std::vector<BadFile> cases = {
        {"empty", [](const Bytes&) { return Bytes(); }, "not a replay file"},
        {"text", [](const Bytes&) { return bytes_of("hello, world"); }, "not a replay file"},
        {"cut magic", [](const Bytes&) { return bytes_of("VORL"); }, "truncated: the header"},
        {"cut header", [](const Bytes& g) { return Bytes(g.begin(), g.begin() + 30); },
         "truncated: the header"},
        {"newer format", [](const Bytes& g) { return patched(g, 8, {2}); }, "newer version"},
        {"format 0", [](const Bytes& g) { return patched(g, 8, {0}); }, "replay format 0"},
        {"no version", [](const Bytes& g) { return patched(g, 10, {0}); }, "game version"},
        {"no players", [](const Bytes& g) { return patched(g, 34, {0}); }, "players: 0"},
        {"nine players", [](const Bytes& g) { return patched(g, 34, {9}); }, "players: 9"},
        {"step not a number", nan_step, "absurd step length"},
        {"colour depth", [](const Bytes& g) { return patched(g, 35, {7}); }, "colour depth 7"},
        {"no first digest",
         [](const Bytes& g) { return patched(Bytes(g.begin(), g.begin() + kHeaderSize + 1),
                                             kHeaderSize, {0x80}); },
         "no digest after step 0"},
        {"unknown entry", [](const Bytes& g) { return with_records(g, {0x01}); },
         "unknown entry 1"},
        {"run past a digest", [](const Bytes& g) { return with_records(g, {0x80, 0x80 + 59}); },
         "a run of 60 steps past a digest"},
        {"missing digest", [](const Bytes& g) { return with_records(g, {0x80 + 59, 0x80}); },
         "no digest after step 60"},
        {"digest out of place",
         [](const Bytes& g) { return with_records(g, {0x80, 0x04, 1, 2, 3, 4, 5, 6, 7, 8}); },
         "a digest out of place"},
        {"digest before its step's run",
         [](const Bytes& g) {
             return with_records(g, {0x80 + 59, 0x40, 0x04, 1, 2, 3, 4, 5, 6, 7, 8});
         },
         "no digest after step 60"},
        {"setting nobody", [](const Bytes& g) { return with_records(g, {0x02, 0x04, 1}); },
         "a change of no player"},
        {"toggling nobody", [](const Bytes& g) { return with_records(g, {0x40 + 2 * 8}); },
         "a change of no player"},
        {"toggling the weapon bit", [](const Bytes& g) { return with_records(g, {0x40 + 7}); },
         "a weapon switch without its weapon"},
        {"longest run and one",
         [](const Bytes& g) { return with_records(g, {0x80 + 60}); }, "unknown entry 188"},
        {"weapon position",
         [](const Bytes& g) { return with_records(g, {0x02, 0x01, ACT_WEAPON, 0xe9, 0x07}); },
         "a weapon position of 1001"},
        {"endless number",
         [](const Bytes& g) {
             return with_records(g, {0x02, 0x01, ACT_WEAPON, 0xff, 0xff, 0xff, 0xff, 0xff, 1});
         },
         "a broken number"},
        {"empty command", [](const Bytes& g) { return with_records(g, {0x03, 0}); },
         "a command of 0 bytes"},
        {"quit command",
         [](const Bytes& g) { return with_records(g, {0x03, 4, 'q', 'u', 'i', 't', 0x80}); },
         "does not change the game"},
        {"control character",
         [](const Bytes& g) { return with_records(g, {0x03, 3, 's', '\n', 'x', 0x80}); },
         "a control character"},
        {"command without a step",
         [](const Bytes& g) {
             return with_records(g, {0x03, 8, 's', 'e', 'l', 'e', 'c', 't', ' ', '1', 0x05, 0,
                                     1, 2, 3, 4, 5, 6, 7, 8});
         },
         "changes without their step"},
        {"end count",
         [](const Bytes& g) { return with_records(g, {0x80, 0x05, 5, 1, 2, 3, 4, 5, 6, 7, 8}); },
         "an end after 5 steps where 1 were recorded"},
        {"after the end",
         [](const Bytes& g) {
             Bytes b = g;
             b.push_back(0x80);
             return b;
         },
         "bytes after the end"},
        {"absurd size",
         [](const Bytes& g) {
             Bytes b = g;
             b.resize(kMaxReplayBytes + 1);
             return b;
         },
         "absurd size"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        ReplayReader reader;
        std::string why;
        EXPECT_FALSE(reader.Parse(c.make(bytes), &why));
        EXPECT_NE(std::string::npos, why.find(c.reason)) << why;
    }
}

TEST_F(ReplayFile, AGameIsNotStartedOnAnotherLevelNorFromAMissingFile) {
    ReplayReader reader;
    std::string why;
    EXPECT_FALSE(reader.Open(dir->file("none.rpl"), &why));
    EXPECT_EQ("No such file or directory", why);

    ASSERT_TRUE(reader.Parse(bytes, &why)) << why;
    const std::string other = dir->file("other.lvl");
    testsupport::write_file(other, testsupport::read_file(level) + " ");
    testsupport::ScopedConfig config;
    Game game(640, 480);
    EXPECT_FALSE(start_replayed_game(game, reader.header(), other, &why));
    EXPECT_EQ("recorded on another level than " + other, why);
    EXPECT_TRUE(game.players.empty());
}

}  // namespace
