#ifndef VORLIN_TOOLS_LEVELGEN_OPTIONS_H
#define VORLIN_TOOLS_LEVELGEN_OPTIONS_H

#include <string>

#include "levelgen_looks.h"

namespace levelgen {

struct Options {
    LevelRecipe recipe;
    std::string dir;
    std::string preview;  // the composed picture, when not empty
    std::string thumb;    // the thumbnail, when not empty
    std::string lvl;      // the built level file the game and the arena play, when not empty
    bool help = false;
};

// The usage text, looks included.
std::string usage();

// levelgen's command line; false with the reason when it is not one.
bool parse_options(int argc, const char* const* argv, Options* options, std::string* why);

}  // namespace levelgen

#endif
