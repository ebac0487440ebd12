// Replay files from anyone: the reader's checks on the whole file (vorlin --replay and
// vorlin-arena take nothing else), then, for a file it accepts, its entries decoded again
// as play decodes them and played on a small level (digests are not compared: the level
// is not the recorded one), so that whatever a record holds reaches the step.

#include <allegro.h>

#include <string>
#include <vector>

#include "collision/clgo.h"
#include "fuzz_support.h"
#include "game/console_commands.h"
#include "game/game.h"
#include "base/random.h"
#include "level/level.h"
#include "level/level_file.h"
#include "replay/replay_reader.h"

namespace {

// Steps played of an accepted file; the checks cover all of them.
constexpr std::uint64_t kPlayedSteps = 2000;

// A level 96 x 64: ground in the lower half, once per process.
const std::string& small_level() {
    static const std::string path = [] {
        Level level;
        const int w = 96, h = 64;
        level.mask = create_bitmap(w, h);
        level.foreground = create_bitmap(w, h);
        level.background = create_bitmap(w, h);
        level.render = create_bitmap(w, h);
        if (!level.mask || !level.foreground || !level.background || !level.render)
            fuzz::fail("cannot create the level");
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                putpixel(level.mask, x, y, y >= h / 2 ? solid_colour() : air_colour());
        clear_to_color(level.foreground, makecol(120, 80, 20));
        clear_to_color(level.background, makecol(20, 40, 150));
        level.bound = clgo_create_custom_bitmask(0, 0, level.mask, &Level::CheckP);
        level.width = w;
        level.height = h;
        level.Update();
        const std::string file = fuzz::write_file("small.lvl", nullptr, 0);
        std::string error;
        if (!write_level_file(level, file, &error)) fuzz::fail("cannot write the level");
        return file;
    }();
    return path;
}

// Every step of an accepted file is well formed: one entry per player, a weapon only
// with its bit, commands that change the world; the count matches the reader's.
void check_entries(const ReplayReader& reader) {
    ReplayDecoder entries = reader.Entries();
    StepInput step;
    std::uint64_t digest = 0;
    std::string why;
    for (;;) {
        const ReplayDecoder::Entry e = entries.Next(&step, &digest, &why);
        if (e == ReplayDecoder::Entry::Bad) fuzz::fail("an accepted file fails when played");
        if (e != ReplayDecoder::Entry::Step && e != ReplayDecoder::Entry::Digest) break;
        if (e == ReplayDecoder::Entry::Digest) continue;
        if (step.players.size() != static_cast<std::size_t>(reader.header().players))
            fuzz::fail("a step record for another number of players");
        for (const PlayerActions& a : step.players)
            if (a.bits < 0 || a.bits > 0xff || (a.weapon >= 0 && !(a.bits & 0x80)))
                fuzz::fail("actions out of range");
        for (const std::string& line : step.commands)
            if (!Game::CommandProcessor::ChangesWorld(line)) fuzz::fail("a command let through");
    }
    if (entries.steps() != reader.steps()) fuzz::fail("the steps played differ from the count");
}

void play(const ReplayReader& reader) {
    seed_random(reader.header().random_state);
    Game game(320, 240);
    if (!game.Load(small_level(), reader.header().players)) fuzz::fail("cannot load the level");
    ReplayDecoder entries = reader.Entries();
    StepInput step;
    while (entries.steps() < kPlayedSteps && entries.NextStep(&step))
        game.Step(step, reader.header().step_dt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::init();
    ReplayReader reader;
    std::string why;
    if (!reader.Parse(std::vector<unsigned char>(data, data + size), &why)) {
        if (why.empty()) fuzz::fail("a refusal without a reason");
        return 0;
    }
    check_entries(reader);
    play(reader);
    return 0;
}
