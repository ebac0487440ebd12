#include "main/options.h"

#include "base/option_parser.h"

const char* const kMainUsage =
    "Usage: vorlin [--record FILE | --replay FILE]\n"
    "Two-player split-screen action game; works in the current folder (vorlin.ini, data/).\n"
    "\n"
    "  --record FILE  play as usual and record the game into the replay FILE\n"
    "  --replay FILE  watch the game recorded in FILE (P or Space pauses, F fast-forwards,\n"
    "                 Escape ends)\n"
    "  --help         show this text\n";

bool parse_main_options(int argc, const char* const* argv, MainOptions* o, std::string* why) {
    OptionParser parser;
    parser.Flag("help", &o->help);
    parser.Value("record", &o->record);
    parser.Value("replay", &o->replay);
    if (!parser.Parse(argc, argv, why)) return false;
    if (!o->record.empty() && !o->replay.empty()) {
        *why = "--record and --replay exclude each other";
        return false;
    }
    return true;
}
