// Writes the seed corpus of the fuzz targets with the game's own writers:
//
//   make_fuzz_corpus OUT
//
// OUT/fuzz_level_file: a level file (written by write_level_file, packed) and its
// unpacked content (Level::Save) in each colour depth, with and without an undiggable
// map. OUT/fuzz_level_bitmap: the level bitmaps in every format the game reads: BMP with
// 8, 24 and 32 bits, TGA as save_tga writes it in each colour depth. All tiny (6 x 5), so
// that mutations stay cheap. OUT/fuzz_wav: the first few dozen frames of soundgen's effects
// as WAV files of each kind the game plays (8 and 16 bits, mono and stereo), one with a
// longer "fmt " chunk and a chunk after the samples.
// OUT/fuzz_replay_file: replays as the game's writer writes them (every kind of entry;
// two and eight players; one cut short).
// OUT/fuzz_net_packet: one packet of each kind as the game sends it, and a stream of
// them as a session receives them (u16 length before each).

#include <allegro.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "collision/clgo.h"
#include "effects.h"
#include "level/level.h"
#include "level/level_file.h"
#include "input/input_handler.h"
#include "replay/replay_writer.h"
#include "sound/wav_file.h"
#include "net/net_packet.h"

namespace {

constexpr int kW = 6;
constexpr int kH = 5;

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "make_fuzz_corpus: %s\n", what.c_str());
    std::exit(1);
}

// Solid ground in the lower rows, a tunnel of air, one pixel of a third colour, a
// transparent pixel in the foreground: every case the composition tells apart.
void paint_level(Level& level, bool with_undiggable) {
    level.mask = create_bitmap(kW, kH);
    level.foreground = create_bitmap(kW, kH);
    level.background = create_bitmap(kW, kH);
    level.render = create_bitmap(kW, kH);
    if (with_undiggable) level.undiggable = create_bitmap(kW, kH);
    if (!level.mask || !level.foreground || !level.background || !level.render ||
        (with_undiggable && !level.undiggable))
        die("out of memory");
    const int solid = solid_colour(), air = air_colour();
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            int m = y >= 2 ? solid : air;
            if (y == 3 && x >= 2 && x <= 3) m = air;
            if (x == 0 && y == 0) m = makecol(30, 30, 200);
            putpixel(level.mask, x, y, m);
            putpixel(level.foreground, x, y,
                     x == 5 && y == 4 ? solid : makecol(120 + 20 * x, 80 + 10 * y, 20));
            putpixel(level.background, x, y, makecol(20, 40 + 30 * y, 150 + 15 * x));
            if (level.undiggable) putpixel(level.undiggable, x, y, y == kH - 1 ? solid : air);
        }
    }
    level.bound = clgo_create_custom_bitmask(0, 0, level.mask, &Level::CheckP);
    if (!level.bound) die("out of memory");
    level.width = kW;
    level.height = kH;
    level.Update();
}

void write_levels(const std::filesystem::path& dir) {
    for (int depth : {8, 15, 16, 24, 32}) {
        set_color_depth(depth);
        for (bool with_undiggable : {false, true}) {
            Level level;
            paint_level(level, with_undiggable);
            const std::string stem = "depth" + std::to_string(depth) +
                                     (with_undiggable ? "-undiggable" : "-plain");
            std::string error;
            if (!write_level_file(level, (dir / (stem + ".lvl")).string(), &error)) die(error);
            const std::string content = (dir / (stem + ".content")).string();
            PACKFILE* pf = pack_fopen(content.c_str(), "w");
            if (!pf) die("cannot create " + content);
            const bool ok = level.Save(pf);
            if (pack_fclose(pf) != 0 || !ok) die("cannot write " + content);
        }
    }
}

BITMAP* picture() {
    BITMAP* bmp = create_bitmap(kW, kH);
    if (!bmp) die("out of memory");
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            putpixel(bmp, x, y, y >= 3 ? makecol(255, 0, 255) : makecol(40 * x, 255 - 40 * y, 90));
    return bmp;
}

void save(const std::filesystem::path& path, BITMAP* bmp) {
    if (save_bitmap(path.string().c_str(), bmp, nullptr) != 0) die("cannot write " + path.string());
}

void put_le(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// Allegro writes BMPs with 8 or 24 bits only; the 32-bit kind (which the game reads as
// well) is laid out here: bottom-up rows of blue, green, red and an unused byte.
void save_bmp32(const std::filesystem::path& path, BITMAP* bmp) {
    std::vector<unsigned char> out = {'B', 'M'};
    const std::uint32_t pixels = kW * kH * 4;
    put_le(out, 54 + pixels, 4);
    put_le(out, 0, 4);
    put_le(out, 54, 4);
    put_le(out, 40, 4);
    put_le(out, kW, 4);
    put_le(out, kH, 4);
    put_le(out, 1, 2);
    put_le(out, 32, 2);
    for (int i = 0; i < 6; ++i) put_le(out, 0, 4);
    for (int y = kH - 1; y >= 0; --y) {
        for (int x = 0; x < kW; ++x) {
            const int c = getpixel(bmp, x, y);
            out.push_back(static_cast<unsigned char>(getb(c)));
            out.push_back(static_cast<unsigned char>(getg(c)));
            out.push_back(static_cast<unsigned char>(getr(c)));
            out.push_back(0);
        }
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    if (!file) die("cannot write " + path.string());
}

void write_bitmaps(const std::filesystem::path& dir) {
    for (int depth : {8, 15, 16, 24, 32}) {
        set_color_depth(depth);
        BITMAP* bmp = picture();
        const std::string stem = "depth" + std::to_string(depth);
        save(dir / (stem + ".tga"), bmp);
        // save_bmp writes 8 bits from an 8-bit bitmap and 24 from any other.
        if (depth == 8 || depth == 24) save(dir / (stem + ".bmp"), bmp);
        if (depth == 32) save_bmp32(dir / (stem + ".bmp"), bmp);
        destroy_bitmap(bmp);
    }
}

std::vector<std::int16_t> effect_start(SoundKind kind, std::size_t frames) {
    for (const soundgen::Effect& e : soundgen::effects())
        if (e.kind == kind) {
            std::vector<std::int16_t> samples = soundgen::render(e);
            samples.resize(frames);
            return samples;
        }
    die("no effect for a sound");
}

// Frames of `channels` interleaved from the two effects, as 8 or 16-bit PCM.
std::vector<unsigned char> pcm(int bits, int channels, const std::vector<std::int16_t>& left,
                               const std::vector<std::int16_t>& right) {
    std::vector<unsigned char> out;
    for (std::size_t i = 0; i < left.size(); ++i) {
        for (int c = 0; c < channels; ++c) {
            const std::int16_t s = c == 0 ? left[i] : right[i];
            if (bits == 8) out.push_back(static_cast<unsigned char>((s >> 8) + 128));
            else put_le(out, static_cast<std::uint16_t>(s), 2);
        }
    }
    return out;
}

void write_bytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) die("cannot write " + path.string());
}

void write_sounds(const std::filesystem::path& dir) {
    const auto shot = effect_start(SK_PistolShot, 48), chime = effect_start(SK_Pickup, 48);
    for (int bits : {8, 16}) {
        for (int channels : {1, 2}) {
            const std::string name =
                std::to_string(bits) + "bit-" + (channels == 1 ? "mono" : "stereo");
            const auto samples = pcm(bits, channels, shot, chime);
            write_bytes(dir / (name + ".wav"), encode_wav(channels, bits, soundgen::kRate, samples));
        }
    }
    // An 18-byte "fmt " (with its extension size) and an "INFO" list after the samples.
    std::vector<unsigned char> wav = encode_wav(1, 16, soundgen::kRate, pcm(16, 1, chime, chime));
    wav[16] = 18;
    wav.insert(wav.begin() + 36, {0, 0});
    wav.insert(wav.end(), {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'});
    const std::uint32_t riff = static_cast<std::uint32_t>(wav.size() - 8);
    for (int i = 0; i < 4; ++i) wav[4 + i] = static_cast<unsigned char>(riff >> (8 * i));
    write_bytes(dir / "16bit-mono-extras.wav", wav);
}

// Walking, aiming, fire in bursts, digging, a jump and weapon switches, different for
// every player; console lines now and then.
StepInput replay_step(int players, std::uint64_t step) {
    StepInput input;
    for (int p = 0; p < players; ++p) {
        const std::uint64_t t = step + 11u * static_cast<unsigned>(p);
        PlayerActions a;
        a.bits = (t / 20) % 2 ? ACT_LEFT : ACT_RIGHT;
        if ((t / 7) % 3 == 0) a.bits |= ACT_UP;
        if ((t / 5) % 2) a.bits |= ACT_FIRE;
        if (t % 50 < 4) a.bits |= ACT_DIG;
        if (t % 45 == 3) a.bits |= ACT_JUMP;
        if (t % 30 == 29) {
            a.bits |= ACT_WEAPON;
            a.weapon = static_cast<int>(t / 30) % 3;
        }
        input.players.push_back(a);
    }
    if (step == 10) input.commands = {"select 2", "player health 40"};
    if (step == 75) input.commands = {"select 1"};
    return input;
}

std::string write_replay(const std::filesystem::path& path, int players, std::uint64_t steps) {
    ReplayHeader header;
    header.game_version = "1.0";
    header.level_digest = 0x0123456789abcdefull;
    header.random_state = 20261207;
    header.step_dt = 1.0f / 60.0f;
    header.players = players;
    ReplayWriter writer;
    std::string error;
    if (!writer.Open(path.string(), header, &error)) die(error);
    std::uint64_t digest = 0x9e3779b97f4a7c15ull;
    for (std::uint64_t i = 0; i <= steps; ++i) {
        if (writer.DigestDue()) writer.AddDigest(digest *= 31);
        if (i < steps) writer.AddStep(replay_step(players, i));
    }
    if (!writer.Finish(digest + 1)) die(writer.error());
    return path.string();
}

void write_replays(const std::filesystem::path& dir) {
    write_replay(dir / "two-players.rpl", 2, 200);
    write_replay(dir / "eight-players.rpl", 8, 130);
    const std::string full = write_replay(dir / "cut.rpl", 2, 150);
    std::error_code ec;
    std::filesystem::resize_file(full, std::filesystem::file_size(full) * 2 / 3, ec);
    if (ec) die("cannot cut " + full);
}

void write_packets(const std::filesystem::path& dir) {
    net::Hello hello;
    hello.level_digest = 0x1234abcd5678ef90ull;
    hello.step_length = 1.0 / 60;
    hello.seed = 20261207;
    net::Hello match_hello = hello;
    match_hello.rules = {10, 5, 3};
    match_hello.level_name = "fortress-1-1280x800";
    net::StepRecord walk, switch_weapon, typed;
    walk.actions.bits = 0x11;
    switch_weapon.actions = {0x80, 2};
    typed.commands = {"select 2", "quit"};
    const std::vector<std::pair<const char*, net::Message>> packets = {
        {"hello", hello},
        {"steps", net::Steps{3, 3, {walk, switch_weapon, typed}}},
        {"ack", net::Steps{5, 4, {}}},
        {"digest", net::Digest{60, 0xfeedfacecafebeefull}},
        {"bye", net::Bye{net::ByeReason::Desync}},
        {"hello-match", match_hello},
        {"level-check", net::LevelCheck{false}},
        {"level-part", net::LevelPart{3000, 1024, std::vector<std::uint8_t>(700, 0x5a)}},
    };
    std::vector<unsigned char> stream;
    for (const auto& [name, message] : packets) {
        const std::vector<std::uint8_t> bytes = net::encode(message);
        write_bytes(dir / name, bytes);
        stream.push_back(static_cast<std::uint8_t>(bytes.size()));
        stream.push_back(static_cast<std::uint8_t>(bytes.size() >> 8));
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    write_bytes(dir / "stream", stream);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) die("usage: make_fuzz_corpus OUT");
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) die("install_allegro failed");
    // 8-bit images take their colours from the palette in use.
    select_palette(default_palette);
    const std::filesystem::path out = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(out / "fuzz_level_file", ec);
    std::filesystem::create_directories(out / "fuzz_level_bitmap", ec);
    std::filesystem::create_directories(out / "fuzz_wav", ec);
    std::filesystem::create_directories(out / "fuzz_replay_file", ec);
    std::filesystem::create_directories(out / "fuzz_net_packet", ec);
    if (ec) die("cannot create " + out.string());
    write_levels(out / "fuzz_level_file");
    write_bitmaps(out / "fuzz_level_bitmap");
    write_sounds(out / "fuzz_wav");
    write_replays(out / "fuzz_replay_file");
    write_packets(out / "fuzz_net_packet");
    return 0;
}
