#include "main/options.h"

#include "base/option_parser.h"
#include "bot/bot_skill.h"

const char* const kMainUsage =
    "Usage: vorlin [--record FILE | --replay FILE] [--bot [N] | --bots] [--skill S]\n"
    "Two-player split-screen action game; works in the current folder (vorlin.ini, data/).\n"
    "\n"
    "  --record FILE  play as usual and record the game into the replay FILE\n"
    "  --replay FILE  watch the game recorded in FILE (P or Space pauses, F fast-forwards,\n"
    "                 Escape ends)\n"
    "  --bot [N]      the computer plays player N (1 or 2, default 2); the other player\n"
    "                 plays with its keys\n"
    "  --bots         the computer plays both players\n"
    "  --skill S      the computer's skill: easy, normal or hard (default: \"skill\" of\n"
    "                 section [bot] in vorlin.ini, else normal)\n"
    "  --help         show this text\n";

namespace {

// The players --bot and --bots ask the computer to play.
bool computer_players(bool bot, const std::string& which, bool bots, std::vector<int>* out,
                      std::string* why) {
    if (bot && bots) {
        *why = "--bot and --bots exclude each other";
        return false;
    }
    if (bots) *out = {1, 2};
    if (!bot) return true;
    if (which.empty() || which == "2")
        *out = {2};
    else if (which == "1")
        *out = {1};
    else {
        *why = "--bot takes player 1 or 2, not " + which;
        return false;
    }
    return true;
}

}  // namespace

bool parse_main_options(int argc, const char* const* argv, MainOptions* o, std::string* why) {
    bool bot = false, bots = false;
    std::string which;
    OptionParser parser;
    parser.Flag("help", &o->help);
    parser.Value("record", &o->record);
    parser.Value("replay", &o->replay);
    parser.Optional("bot", &which, &bot);
    parser.Flag("bots", &bots);
    parser.Value("skill", &o->skill);
    if (!parser.Parse(argc, argv, why)) return false;
    if (!o->record.empty() && !o->replay.empty()) {
        *why = "--record and --replay exclude each other";
        return false;
    }
    BotSkill skill;
    if (!o->skill.empty() && !parse_bot_skill(o->skill, &skill)) {
        *why = "--skill takes easy, normal or hard, not " + o->skill;
        return false;
    }
    if (!computer_players(bot, which, bots, &o->computer, why)) return false;
    if (!o->computer.empty() && !o->replay.empty()) {
        *why = "--replay plays what was recorded: no --bot or --bots";
        return false;
    }
    return true;
}
