#include "levelgen_options.h"

#include <cstdint>

#include "base/option_parser.h"

namespace levelgen {

namespace {

// Decimal digits only, at most `max`.
bool parse_number(const std::string& text, std::uint64_t max, std::uint64_t* value) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + std::uint64_t(c - '0');
    }
    *value = v;
    return v <= max;
}

// "WxH" within the sizes a level may have.
bool parse_size(const std::string& text, LevelRecipe* recipe) {
    const std::size_t x = text.find('x');
    std::uint64_t w = 0, h = 0;
    if (x == std::string::npos || !parse_number(text.substr(0, x), kMaxWidth, &w) ||
        !parse_number(text.substr(x + 1), kMaxHeight, &h) || w < std::uint64_t(kMinWidth) ||
        h < std::uint64_t(kMinHeight))
        return false;
    recipe->width = int(w);
    recipe->height = int(h);
    return true;
}

}  // namespace

std::string usage() {
    std::string text =
        "usage: levelgen [--seed N] [--size WxH] [--look NAME] [--preview FILE] [--thumb FILE]\n"
        "                [--lvl FILE] DIR\n"
        "Writes a level's back.bmp, fore.bmp, mask.bmp and undiggable.bmp into DIR.\n"
        "  --seed N        0 to 4294967295 (default 0); the same options make the same level\n"
        "  --size WxH      " + std::to_string(kMinWidth) + "x" + std::to_string(kMinHeight) + " to " +
        std::to_string(kMaxWidth) + "x" + std::to_string(kMaxHeight) + " pixels (default 1280x800)\n"
        "  --look NAME     the kind of level (default hills):\n";
    for (const Look& look : looks()) text += "                    " + std::string(look.name) + ": " + look.summary + "\n";
    text +=
        "  --preview FILE  also write the level's picture as the game shows it (.bmp)\n"
        "  --thumb FILE    also write a small picture of it (.bmp)\n"
        "  --lvl FILE      also write the level file built from the bitmaps, as the game\n"
        "                  builds data/map.lvl (for vorlin-arena --level FILE)\n"
        "  --help          this text\n";
    return text;
}

bool parse_options(int argc, const char* const* argv, Options* options, std::string* why) {
    std::string seed, size, look;
    OptionParser parser;
    parser.Flag("help", &options->help);
    parser.Value("seed", &seed);
    parser.Value("size", &size);
    parser.Value("look", &look);
    parser.Value("preview", &options->preview);
    parser.Value("thumb", &options->thumb);
    parser.Value("lvl", &options->lvl);
    parser.Positional(&options->dir);
    if (!parser.Parse(argc, argv, why)) return false;
    if (options->help) return true;
    std::uint64_t n = 0;
    if (!seed.empty()) {
        if (!parse_number(seed, 0xFFFFFFFFull, &n)) return *why = "bad seed " + seed, false;
        options->recipe.seed = std::uint32_t(n);
    }
    if (!size.empty() && !parse_size(size, &options->recipe)) return *why = "bad size " + size, false;
    if (!look.empty()) {
        if (!find_look(look)) return *why = "unknown look " + look, false;
        options->recipe.look = look;
    }
    if (options->dir.empty()) return *why = "no folder given", false;
    return true;
}

}  // namespace levelgen
