#include "net/net_driver.h"

#include <allegro.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

#include "base/random.h"
#include "game/game.h"
#include "level/level_choice.h"
#include "net/handshake.h"
#include "replay/replay_game.h"

namespace net {

namespace {

// Between two looks at the network while the handshake is awaited.
constexpr int kAwaitRestMs = 5;
constexpr int kPlayers = 2;

// A status line as the first words of a message.
std::string sentence(std::string status) {
    if (!status.empty())
        status[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(status[0])));
    return status;
}

std::string scratch_replay() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) dir = ".";
    return (dir / ("vorlin-network-" + std::to_string(getpid()) + ".rpl")).string();
}

}  // namespace

NetDriver::~NetDriver() {
    std::error_code ec;
    if (scratch_) std::filesystem::remove(replay_, ec);
}

bool NetDriver::Open(const NetStart& start, const std::string& level, std::string* why) {
    std::error_code ec;
    if (!start.record.empty() && std::filesystem::equivalent(start.record, level, ec)) {
        *why = "Unable to record " + start.record + ": it is the level file";
        return false;
    }
    const int rollback = start.rollback >= 0 ? start.rollback : configured_rollback();
    const int delay = start.delay >= 0 ? start.delay : configured_delay(rollback != 0);
    std::optional<Hello> hello =
        make_hello(level, Game::ConfiguredStepDt(), random_state(), delay,
                   start.hosting ? start.rules : MatchRules(),
                   start.hosting ? start.level_name : std::string());
    if (!hello) {
        *why = "Unable to read the level file " + level;
        return false;
    }
    hello->rollback = static_cast<std::uint8_t>(rollback);
    std::string error;
    std::unique_ptr<Peer> peer = start.hosting ? Peer::Host(start.port, &error)
                                               : Peer::Join(start.host, start.port, &error);
    if (!peer) {
        *why = "Unable to start a network game: " + error;
        return false;
    }
    LinkOptions options;
    if (!OfferLevel(start, level, &options, why)) return false;
    level_ = level;
    scratch_ = start.record.empty();
    replay_ = scratch_ ? scratch_replay() : start.record;
    match_record_ = start.match_record;
    link_ = std::make_unique<Link>(std::move(peer), *hello, options,
                                   start.host + ":" + std::to_string(start.port));
    return true;
}

// The host offers its named level to a joiner that lacks it; a joiner keeps one it
// receives in its own levels folder.
bool NetDriver::OfferLevel(const NetStart& start, const std::string& level, LinkOptions* options,
                           std::string* why) {
    if (!start.hosting) {
        options->has_level = [level](const Hello& host) {
            std::string unused;
            return level_for_hello(host, level, kLevelsFolder, &unused).has_value();
        };
        options->take_level = [this](const Hello& host, const std::vector<std::uint8_t>& file,
                                     std::string* why) {
            return store_level(kLevelsFolder, host.level_name, file, &received_name_, why);
        };
        return true;
    }
    if (start.level_name.empty()) return true;
    auto file = std::make_shared<std::vector<std::uint8_t>>();
    std::ifstream in(level, std::ios::binary);
    file->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
        *why = "Unable to read the level file " + level;
        return false;
    }
    if (file->size() > kMaxLevelTransfer) {
        *why = "Unable to offer the level " + start.level_name + ": it is too large to send";
        return false;
    }
    options->offered_level = std::move(file);
    return true;
}

bool NetDriver::Prepare(Game& game) {
    if (!Await(game)) return false;
    // Both games load their level from the host's seed and play by the host's rules.
    seed_random(link_->agreed().seed);
    game.rules = link_->agreed().rules;
    // A level received just now may have been kept under a name of its own.
    Hello wanted = link_->agreed();
    if (!received_name_.empty()) wanted.level_name = received_name_;
    game.level_name = wanted.level_name;
    std::string why;
    const std::optional<std::string> level = level_for_hello(wanted, level_, kLevelsFolder, &why);
    if (!level) {
        message_ = sentence(why);
        link_->Leave();
        return false;
    }
    level_ = *level;
    if (scratch_ && !game.rules.endless() && !match_record_.empty()) {
        replay_ = match_record_;
        scratch_ = false;
        game.replay_note = "Replay: " + replay_;
    }
    ReplayHeader header;
    recording_ = replay_header_for(level_, game.level_name, kPlayers,
                                   link_->agreed().step_length, game.rules, &header, &why) &&
                 recorder_.Open(replay_, header, &why);
    if (!recording_ && !scratch_) game.console << "Not recording: " << why << std::endl;
    return true;
}

// The handshake, with the console on the screen saying what is awaited. False when it
// did not end in play.
bool NetDriver::Await(Game& game) {
    std::string shown;
    for (;;) {
        link_->Service(now_ms());
        if (link_->state() != Link::State::Waiting) break;
        if (link_->status() != shown) {
            shown = link_->status();
            game.console << shown << " (Escape gives up)" << std::endl;
            game.ShowConsole();
        }
        if (key[KEY_ESC]) {
            link_->Leave();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kAwaitRestMs));
    }
    if (link_->state() == Link::State::Playing) return true;
    message_ = sentence(link_->status());
    return false;
}

void NetDriver::Begin(Game& game) {
    game.step_dt = link_->agreed().step_length;
    // Each side plays its own player with player 1's keys.
    if (link_->session().local_player() == 2) std::swap(game.inputs[1], game.inputs[2]);
    if (recording_) recorder_.Checkpoint(game);
    play_ = std::make_unique<NetGame>(game, *link_, recording_ ? &recorder_ : nullptr);
}

bool NetDriver::Tick(Game& game) {
    switch (play_->Tick(now_ms())) {
    case NetGame::Outcome::Stepped:
        return true;
    case NetGame::Outcome::Waiting:
        // The frame is drawn every tick, as in play, so that what this tick wrote to
        // the console shows while the other side is late.
        game.redraw = true;
        ++game.missed_ticks;
        if (!key[KEY_ESC]) return true;
        link_->Leave();
        return false;
    case NetGame::Outcome::Ended:
        break;
    }
    return false;
}

void NetDriver::End(Game& game) {
    // The replay holds the confirmed steps only, and ends in their world.
    if (play_) play_->Settle();
    play_.reset();
    if (recording_) recorder_.Finish(game);
    if (link_->state() == Link::State::Playing) link_->Leave();
    if (link_->left()) return;
    message_ = sentence(link_->status());
    if (link_->desync()) KeepReplayOfDesync(*link_->desync());
}

// The replay of this side's game up to the stop, for whoever looks into the difference.
void NetDriver::KeepReplayOfDesync(std::uint32_t step) {
    if (!recording_) {
        message_ += "; this game was not recorded";
        return;
    }
    std::string kept = replay_;
    if (scratch_) {
        // Beside the configuration; should that fail, where it was written.
        const std::string beside = "desync-" + std::to_string(step) + ".rpl";
        std::error_code ec;
        std::filesystem::copy_file(replay_, beside,
                                   std::filesystem::copy_options::overwrite_existing, ec);
        if (!ec) {
            std::filesystem::remove(replay_, ec);
            kept = beside;
        }
        scratch_ = false;
    }
    message_ += "; the replay of this game is " + kept;
}

}  // namespace net
