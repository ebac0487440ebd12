#include "main/options.h"

#include "base/option_parser.h"
#include "bot/bot_skill.h"
#include "net/net_driver.h"

const char* const kMainUsage =
    "Usage: vorlin [--record FILE | --replay FILE] [--host [PORT] | --join HOST[:PORT]]\n"
    "              [--bot [N] | --bots] [--skill S] [--kills N] [--minutes M] [--lives L]\n"
    "              [--level NAME] [--rope] [--lockstep] [--delay N] [--echo-console]\n"
    "       vorlin --menu\n"
    "Two-player split-screen action game; works in the current folder (vorlin.ini, data/),\n"
    "or, installed and started elsewhere, in $XDG_DATA_HOME/vorlin (~/.local/share/vorlin).\n"
    "\n"
    "  --record FILE  play as usual and record the game into the replay FILE\n"
    "  --replay FILE  watch the game recorded in FILE (P or Space pauses, F fast-forwards,\n"
    "                 Escape ends)\n"
    "  --host [PORT]  play over the network as player 1: wait for the other player on UDP\n"
    "                 PORT (default 24816)\n"
    "  --join HOST[:PORT]\n"
    "                 play over the network as player 2 against the game hosted on HOST\n"
    "  --lockstep     with --host: each step waits for both players' keys, instead of\n"
    "                 rollback (default: \"rollback\" of section [network] of vorlin.ini)\n"
    "  --delay N      with --host: both players' keys act N steps of 1/60 s after they are\n"
    "                 pressed, 0 to 30 (1 to 30 in lockstep; default: \"delay\" of [network])\n"
    "  --bot [N]      the computer plays player N (1 or 2, default 2); the other player\n"
    "                 plays with its keys\n"
    "  --bots         the computer plays both players\n"
    "  --skill S      the computer's skill: easy, normal or hard (default: \"skill\" of\n"
    "                 section [bot] in vorlin.ini, else normal)\n"
    "  --kills N      play a match: the first player to N kills of the other wins\n"
    "  --minutes M    play a match of M minutes: then the player with more kills wins\n"
    "  --lives L      play a match of L lives each: the last player standing wins\n"
    "                 (the three combine, whichever comes first; 0 is no limit; without\n"
    "                 them section [match] of vorlin.ini, else an endless game)\n"
    "  --level NAME   play the level NAME of the levels/ folder (or a level folder or\n"
    "                 level file given by its path; \"random\" picks one of levels/)\n"
    "  --rope         every player carries a grappling rope (its key fires it and lets\n"
    "                 go; up and down reel it in and out); a rule like the three above\n"
    "  --echo-console\n"
    "                 also write every line the console shows to standard error\n"
    "  --menu         the front end: menus that set up every kind of game and the options,\n"
    "                 in a window scaled to fit the screen (F11: full screen)\n"
    "  --version      show the version\n"
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
    } else if (!o.computer.empty()) {
        *why = "--bot, --bots and a network game exclude each other";
    } else if (!network_start(o, &start)) {
        *why = o.host ? "--host needs a port from 1 to 65535, not " + o.host_port
                      : "--join needs HOST or HOST:PORT, not " + o.join;
    } else {
        return true;
    }
    return false;
}

// A delay of 0 only for rollback.
bool parse_delay(const std::string& text, bool lockstep, int* delay) {
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int value = std::stoi(text);
    if (value < (lockstep ? net::kMinDelay : 0) || value > net::kMaxDelay) return false;
    *delay = value;
    return true;
}

// --lockstep and --delay N: the host's choice of how both play.
bool check_network_play(const MainOptions& o, std::string* why) {
    if (!o.lockstep && o.delay.empty()) return true;
    if (!o.host) {
        *why = "the host chooses how the game is played: --lockstep and --delay go with --host";
        return false;
    }
    int delay = 0;
    if (o.delay.empty() || parse_delay(o.delay, o.lockstep, &delay)) return true;
    *why = std::string("--delay takes ") + (o.lockstep ? "1" : "0") + " to " +
           std::to_string(net::kMaxDelay) + " steps, not " + o.delay;
    return false;
}

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

// A joiner plays the host's match and a replay its recorded one.
bool match_allowed(const MainOptions& o, std::string* why) {
    if (!o.rules_given) return true;
    if (!o.join.empty())
        *why = "the host chooses the match: --kills, --minutes, --lives and --rope go with --host";
    else if (!o.replay.empty())
        *why = "--replay plays by the recorded match: no --kills, --minutes, --lives or --rope";
    return why->empty();
}

}  // namespace

bool parse_main_options(int argc, const char* const* argv, MainOptions* o, std::string* why) {
    bool bot = false, bots = false;
    std::string which;
    OptionParser parser;
    parser.Flag("help", &o->help);
    parser.Flag("version", &o->version);
    parser.Flag("menu", &o->menu);
    parser.Value("record", &o->record);
    parser.Value("replay", &o->replay);
    parser.Optional("host", &o->host, &o->host_port);
    parser.Value("join", &o->join);
    parser.Flag("lockstep", &o->lockstep);
    parser.Value("delay", &o->delay);
    parser.Optional("bot", &bot, &which);
    parser.Flag("bots", &bots);
    parser.Value("skill", &o->skill);
    MatchOptions match;
    match.Declare(parser);
    parser.Value("level", &o->level);
    parser.Flag("echo-console", &o->echo_console);
    if (!parser.Parse(argc, argv, why)) return false;
    o->rules_given = match.given();
    if (!match.Read(&o->rules, why) || !match_allowed(*o, why)) return false;
    if (!o->level.empty() && (!o->join.empty() || !o->replay.empty())) {
        *why = o->replay.empty() ? "the host chooses the level: --level goes with --host"
                                 : "--replay plays on its recorded level: no --level";
        return false;
    }
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
    if (!check_network(*o, why) || !check_network_play(*o, why)) return false;
    const bool more = !o->record.empty() || !o->replay.empty() || o->host || !o->join.empty() ||
                      !o->computer.empty() || !o->skill.empty() || o->rules_given ||
                      o->echo_console;
    if (o->menu && more) {
        *why = "--menu takes no other options: the menu sets up the game";
        return false;
    }
    return true;
}

bool network_start(const MainOptions& o, net::NetStart* start) {
    start->record = o.record;
    start->rules = o.rules;
    if (o.host) {
        start->hosting = true;
        if (o.lockstep) start->rollback = 0;
        // Checked by parse_main_options.
        if (!o.delay.empty()) parse_delay(o.delay, o.lockstep, &start->delay);
        return o.host_port.empty() || net::parse_port(o.host_port, &start->port);
    }
    return !o.join.empty() && net::parse_address(o.join, &start->host, &start->port);
}
