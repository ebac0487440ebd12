#include "menu/menu_front.h"

#include <allegro.h>
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/owned_bitmap.h"
#include "bot/computer_seats.h"
#include "input/controls.h"
#include "level/level.h"
#include "level/level_choice.h"
#include "level/level_thumbnail.h"
#include "main/bootstrap.h"
#include "main/scaled_window.h"
#include "main/sessions.h"
#include "main/startup.h"
#include "menu/menu_draw.h"
#include "menu/menu_input.h"
#include "menu/menu_model.h"
#include "menu/menu_replays.h"
#include "menu/menu_settings.h"
#include "net/handshake.h"
#include "net/net_driver.h"
#include "main/game_folder.h"
#include "replay/replay_folder.h"
#include "sound/sound_files.h"
#include "sound/sound_settings.h"

namespace {

const char* const kLevel = "data/map.lvl";
constexpr int kFrameMs = 16;
constexpr std::size_t kRecentAddresses = 5;
// Replays up to ten minutes long are played through for their result when listed: a
// fight plays back over 1000 times faster than real time, so a list of 20 stays quick.
constexpr std::uint64_t kPlayedForResult = 10 * 60 * 60;
const char* const kSkillNames[] = {"easy", "normal", "hard"};

struct ActionName {
    const char* action;
    const char* label;
};
const ActionName kActions[] = {{"left", "Walk left"}, {"right", "Walk right"},
                               {"up", "Aim up"},      {"down", "Aim down"},
                               {"jump", "Jump"},      {"fire", "Fire"},
                               {"dig", "Dig"},        {"weapon", "Next weapon"}};
const ActionName kButtons[] = {{"pad_jump", "Jump button"}, {"pad_fire", "Fire button"},
                               {"pad_dig", "Dig button"}, {"pad_weapon", "Weapon button"}};

// Who plays a game set up at this computer.
enum class Seats { People, AgainstComputer, Computers };

std::string limit_text(int n, const char* unit) {
    return n ? std::to_string(n) + unit : std::string("off");
}

// The IPv4 addresses of this machine's interfaces, loopback last.
std::string own_addresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return "unknown";
    std::string outside, loop;
    for (const ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr, text,
                  sizeof text);
        std::string& into = std::string(text).rfind("127.", 0) == 0 ? loop : outside;
        into += (into.empty() ? "" : ", ") + std::string(text);
    }
    freeifaddrs(list);
    return outside.empty() ? loop : outside;
}

// A level's picture as the match setup shows it: read from a file, or made from a level
// file; null when there is none.
OwnedBitmap level_thumbnail(const std::string& level_file) {
    if (!exists(level_file.c_str())) return OwnedBitmap(nullptr);
    PACKFILE* pf = pack_fopen(level_file.c_str(), "rp");
    if (!pf) return OwnedBitmap(nullptr);
    Level level;
    level.Load(pf);
    pack_fclose(pf);
    return make_level_thumbnail(level);
}

// The thumbnail of the levels folder's NAME, made when missing (its level file first, as
// playing it would).
OwnedBitmap folder_thumbnail(const std::string& name) {
    LevelChoice choice;
    std::string notice, why;
    if (!choose_level(name, kLevelsFolder, 0, &choice, &why)) return OwnedBitmap(nullptr);
    const std::string thumb = choice.dir + "/" + kThumbnailName;
    if (!exists(thumb.c_str()) &&
        !(prepare_level(&choice, &notice, &why) && ensure_thumbnail(choice, &why)))
        return OwnedBitmap(nullptr);
    return OwnedBitmap(load_bitmap(thumb.c_str(), nullptr));
}

// A box of the thumbnails' size with `mark` in it: "?" for a random level, nothing for a
// level without a picture (the entries keep their place whatever the level).
OwnedBitmap boxed_thumbnail(const char* mark) {
    OwnedBitmap box(create_bitmap(kThumbnailWidth, kThumbnailHeight));
    if (!box) return box;
    clear_to_color(box.get(), makecol(40, 46, 90));
    draw_scaled_text(box.get(), mark, kThumbnailWidth / 2, kThumbnailHeight / 2 - 24, 6,
                     makecol(255, 230, 60), 0);
    return box;
}

class FrontEnd {
public:
    explicit FrontEnd(ScaledWindow& window)
        : window_(window), input_(settings_), picture_(create_bitmap(640, 480)) {
        settings_.Load();
        input_.OpenPads(false);
        for (int i = 1; i <= static_cast<int>(kRecentAddresses); ++i) {
            const std::string key = "address_" + std::to_string(i);
            const char* a = get_config_string("menu", key.c_str(), nullptr);
            if (a && *a) recent_.push_back(a);
        }
    }

    void Run() {
        MenuScreen main("Main menu", {
            {"Play", nullptr, nullptr, [this] { Setup(Seats::People); }},
            {"Play against the computer", nullptr, nullptr,
             [this] { Setup(Seats::AgainstComputer); }},
            {"Watch the computer", nullptr, nullptr, [this] { Setup(Seats::Computers); }},
            {"Host a network game", nullptr, nullptr, [this] { Host(); }},
            {"Join a network game", nullptr, nullptr, [this] { Join(); }},
            {"Watch a replay", nullptr, nullptr, [this] { Replays(); }},
            {"Options", nullptr, nullptr, [this] { Options(); }},
            {"Quit", nullptr, nullptr, [this] { quit_ = true; }},
        });
        Loop(main);
        settings_.Save();
    }

private:
    // Serves `screen` until it is left (Escape, or an action that leaves) or Quit.
    // `picture`, when given, says what to show beside the entries at each frame.
    void Loop(MenuScreen& screen, const std::function<BITMAP*()>& picture = nullptr) {
        MenuScreen* const outer = current_;
        current_ = &screen;
        input_.Release();
        while (!quit_) {
            const MenuKey k = input_.Poll();
            if (k != MenuKey::None) screen.note.clear();
            if (!screen.Press(k) || leave_) break;
            const std::string refused = window_.TakeRefusal();
            if (!refused.empty()) screen.note = refused;
            Draw(screen, picture ? picture() : nullptr, "");
            rest(kFrameMs);
        }
        leave_ = false;
        current_ = outer;
        input_.Release();
    }

    void Draw(const MenuScreen& screen, BITMAP* thumb, const std::string& prompt) {
        draw_menu_screen(picture_.get(), screen, thumb, prompt);
        window_.Show(picture_.get());
    }

    // A setting changed in the menu goes to the file at once.
    void Store() {
        settings_.Save();
        flush_config_file();
    }

    MenuEntry Number(const char* label, const char* section, const char* key, int step,
                     const char* unit) {
        return {label,
                [this, section, key, unit] { return limit_text(settings_.Get(section, key), unit); },
                [this, section, key, step](int d) {
                    settings_.Step(section, key, d * step);
                    Store();
                },
                nullptr};
    }

    // The network delay as the host will play it: lockstep takes no 0, and plays its
    // default then.
    MenuEntry Delay(const char* label) {
        MenuEntry entry = Number(label, "network", "delay", 1, "");
        entry.value = [this] {
            const int delay = settings_.Get("network", "delay");
            const bool lockstep = settings_.Get("network", "rollback") == 0;
            return std::to_string(lockstep && delay < net::kMinDelay ? net::kDefaultLockstepDelay : delay);
        };
        return entry;
    }

    // A setting that is 1 (on) or 0 (off).
    MenuEntry Switch(const char* label, const char* section, const char* key) {
        return {label,
                [this, section, key] {
                    return std::string(settings_.Get(section, key) ? "on" : "off");
                },
                [this, section, key](int) {
                    settings_.Step(section, key, settings_.Get(section, key) ? -1 : 1);
                    Store();
                },
                nullptr};
    }

    MenuEntry Skill(const char* label) {
        return {label,
                [this] { return std::string(kSkillNames[settings_.Get("bot", "skill")]); },
                [this](int d) {
                    settings_.Step("bot", "skill", d);
                    Store();
                },
                nullptr};
    }

    // ---- match setup and the games at this computer

    void Setup(Seats seats) {
        std::string why;
        const bool ready = LevelReady(&why);
        LevelPicker levels(list_levels(kLevelsFolder), get_config_string("menu", "level", ""));
        std::vector<MenuEntry> entries = {
            {"Level", [&levels] { return levels.label(); },
             [&levels](int d) {
                 levels.Step(d);
                 set_config_string("menu", "level", levels.chosen().c_str());
                 flush_config_file();
             },
             nullptr},
            Number("Kills to win", "match", "kills", 1, ""),
            Number("Minutes", "match", "minutes", 1, " min"),
            Number("Lives", "match", "lives", 1, ""),
        };
        if (seats != Seats::People) entries.push_back(Skill("Skill"));
        entries.push_back({"Start", nullptr, nullptr,
                           [this, seats, &levels] { PlayHere(seats, levels.chosen()); }});
        MenuScreen screen("Match", std::move(entries));
        screen.Select(static_cast<int>(screen.entries().size()) - 1);
        if (!ready) screen.note = why;
        std::map<std::string, OwnedBitmap> thumbs;
        Loop(screen, [&levels, &thumbs]() -> BITMAP* {
            const std::string& name = levels.chosen();
            auto at = thumbs.find(name);
            if (at == thumbs.end()) at = thumbs.emplace(name, Thumbnail(name)).first;
            return at->second.get();
        });
    }

    static OwnedBitmap Thumbnail(const std::string& name) {
        if (name == kRandomLevel) return boxed_thumbnail("?");
        OwnedBitmap picture = name.empty() ? level_thumbnail(kLevel) : folder_thumbnail(name);
        return picture ? std::move(picture) : boxed_thumbnail("");
    }

    // The level file, built from data/'s bitmaps when missing; false with the reason.
    bool LevelReady(std::string* why) {
        if (exists(kLevel)) return true;
        if (!exists("data/mask.bmp") || !exists("data/fore.bmp") || !exists("data/back.bmp")) {
            *why = std::string("No level: ") + kLevel + " is missing, and so are data/'s bitmaps";
            return false;
        }
        return bootstrap_level("data", kLevel, why);
    }

    ::Setup GameSetup() {
        CloseTestSound();
        ::Setup setup;
        setup.frame = &window_;
        setup.watch_offered = true;
        setup.rules.kills = settings_.Get("match", "kills");
        setup.rules.minutes = settings_.Get("match", "minutes");
        setup.rules.lives = settings_.Get("match", "lives");
        return setup;
    }

    // `level` as play_level takes it; one that cannot be played leaves its reason (which
    // names it).
    void PlayHere(Seats seats, const std::string& level) {
        std::string why;
        ::Setup setup = GameSetup();
        if (level.empty() ? !LevelReady(&why) : !play_level(level, &setup, &why)) {
            current_->note = why;
            return;
        }
        std::vector<Contestant> at_start(2, Contestant::Keys);
        if (seats != Seats::People) at_start[1] = Contestant::Bot;
        if (seats == Seats::Computers) at_start[0] = Contestant::Bot;
        const auto seed = static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count());
        ComputerSeats computers(at_start, {},
                                static_cast<BotSkill>(settings_.Get("bot", "skill")), seed);
        std::string watch;
        if (!play_here("", setup, &computers, &watch, &why)) current_->note = why;
        if (!watch.empty()) Watch(watch);
        input_.Release();
    }

    void Watch(const std::string& path) {
        std::string why;
        ComputerSeats none({}, {}, BotSkill::Normal, 0);
        if (!watch_replay(path, GameSetup(), &none, &why))
            current_->note = "Unable to play " + path + ": " + why;
        input_.Release();
    }

    // ---- network

    void Host() {
        MenuScreen screen("Host a network game", {
            Number("Port", "menu", "port", 1, ""),
            Switch("Rollback", "network", "rollback"),
            Delay("Delay (1/60 s)"),
            {"Start hosting", nullptr, nullptr, [this] {
                 net::NetStart start;
                 start.hosting = true;
                 start.port = static_cast<std::uint16_t>(settings_.Get("menu", "port"));
                 PlayNetwork(start, "Waiting on UDP port " + std::to_string(start.port) +
                                        "; this machine: " + own_addresses());
             }},
        });
        screen.Select(3);
        Loop(screen);
    }

    void Join() {
        std::string address = recent_.empty() ? "" : recent_.front();
        std::vector<MenuEntry> entries = {
            {"Address", [&address, this] { return address + (typing_ ? "_" : ""); }, nullptr,
             [this, &address] { Type(&address); }},
            {"Connect", nullptr, nullptr, [this, &address] { Connect(address); }},
        };
        for (const std::string& a : recent_)
            entries.push_back({"  " + a, nullptr, nullptr, [&address, a] { address = a; }});
        MenuScreen screen("Join a network game", std::move(entries));
        if (!address.empty()) screen.Select(1);
        Loop(screen);
    }

    void Connect(const std::string& address) {
        net::NetStart start;
        if (!net::parse_address(address, &start.host, &start.port)) {
            current_->note = "Not an address: \"" + address + "\" (HOST or HOST:PORT)";
            return;
        }
        recent_ = remember_address(recent_, address, kRecentAddresses);
        for (std::size_t i = 0; i < recent_.size(); ++i)
            set_config_string("menu", ("address_" + std::to_string(i + 1)).c_str(),
                              recent_[i].c_str());
        flush_config_file();
        PlayNetwork(start, "Connecting to " + address);
    }

    void PlayNetwork(const net::NetStart& start, const std::string& notice) {
        std::string why, message;
        if (!LevelReady(&why)) {
            current_->note = why;
            return;
        }
        Store();
        ::Setup setup = GameSetup();
        setup.notices.push_back(notice);
        if (!play_network(start, setup, &why, &message))
            current_->note = why;
        else if (!message.empty())
            current_->note = message;
        input_.Release();
    }

    // Typing into a field: Return keeps it, Escape too (the field is the text typed).
    void Type(std::string* text) {
        typing_ = true;
        clear_keybuf();
        while (!quit_) {
            bool done = false;
            while (keypressed()) {
                const int k = readkey();
                const int code = k >> 8;
                if (code == KEY_ENTER || code == KEY_ENTER_PAD || code == KEY_ESC) done = true;
                else edit_field(text, k, 64);
            }
            if (done) break;
            Draw(*current_, nullptr, "Type the address; Return when done");
            rest(kFrameMs);
        }
        typing_ = false;
        input_.Release();
    }

    // ---- replays

    void Replays() {
        const std::vector<ReplayListing> listings =
            list_replays(kReplayFolder, kLevel, kPlayedForResult);
        std::vector<MenuEntry> entries;
        for (const ReplayListing& r : listings)
            entries.push_back({r.label, [r] { return r.result; }, nullptr,
                               [this, r] { OneReplay(r); }});
        if (entries.empty())
            entries.push_back({"No replays yet", nullptr, nullptr, nullptr});
        MenuScreen screen("Replays, newest first", std::move(entries));
        Loop(screen);
        if (reopen_) {
            reopen_ = false;
            Replays();
        }
    }

    void OneReplay(const ReplayListing& r) {
        MenuScreen screen(r.label + "  " + r.result, {
            {"Watch", nullptr, nullptr, [this, r] { Watch(r.path); }},
            {"Verify", nullptr, nullptr, [this, r] {
                 std::string result;
                 current_->note = play_replay_headless(r.path, kLevel, true, &result);
             }},
            {"Delete", nullptr, nullptr, [this, r] {
                 std::remove(r.path.c_str());
                 leave_ = reopen_ = true;
             }},
        });
        screen.info = r.about;
        Loop(screen);
        // Leaving the deleted one's screen leaves the list too, which opens again without it.
        if (reopen_) leave_ = true;
    }

    // ---- options

    void Options() {
        MenuScreen screen("Options", {
            {"Window size", [this] { return std::to_string(window_.scale()) + "x"; },
             [this](int d) { Resize(window_.scale() + d, window_.fullscreen()); }, nullptr},
            {"Full screen (F11)", [this] { return std::string(window_.fullscreen() ? "on" : "off"); },
             [this](int) { Resize(window_.scale(), !window_.fullscreen()); }, nullptr},
            {"Sound volume", [this] { return std::to_string(settings_.Get("sound", "volume")); },
             [this](int d) {
                 settings_.Step("sound", "volume", 16 * d);
                 Store();
                 TestSound();
             },
             nullptr},
            {"Player 1 keys", nullptr, nullptr, [this] { Keys(1); }},
            {"Player 2 keys", nullptr, nullptr, [this] { Keys(2); }},
            {"Player 1 gamepad", nullptr, nullptr, [this] { Pad(1); }},
            {"Player 2 gamepad", nullptr, nullptr, [this] { Pad(2); }},
            Switch("Network rollback", "network", "rollback"),
            Delay("Network delay (1/60 s)"),
            Skill("Computer's skill"),
        });
        Loop(screen);
    }

    // The pickup sound at the volume chosen; the device is opened on the first test.
    void TestSound() {
        if (!read_sound_settings().enabled) {
            current_->note = "Sound is off ([sound] enabled)";
            return;
        }
        if (!sound_open_ && install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) != 0) {
            current_->note = "No sound device";
            return;
        }
        sound_open_ = true;
        if (!test_sound_)
            test_sound_.reset(load_sample(sound_file_path(sound_folders(), SK_Pickup).c_str()));
        if (test_sound_) play_sample(test_sound_.get(), settings_.Get("sound", "volume"), 128, 1000, 0);
    }

    // A game opens the sound device itself and closes it after.
    void CloseTestSound() {
        test_sound_.reset();
        if (sound_open_) remove_sound();
        sound_open_ = false;
    }

    void Resize(int scale, bool fullscreen) {
        if (scale < 1 || scale > ScaledWindow::kMaxScale) return;
        std::string why;
        if (!window_.Change(scale, fullscreen, &why)) current_->note = why;
        flush_config_file();
    }

    void Keys(int player) {
        std::vector<MenuEntry> entries;
        for (const ActionName& a : kActions) {
            const std::string name = player_binding_name(player, a.action);
            entries.push_back({a.label, [this, name] { return key_name(settings_.Get("controls", name)); },
                               nullptr, [this, player, a] { Rebind(player, a); }});
        }
        MenuScreen screen("Player " + std::to_string(player) + " keys", std::move(entries));
        Loop(screen);
    }

    void Rebind(int player, const ActionName& a) {
        input_.Release();
        while (!quit_) {
            const int code = input_.NewKey();
            if (code == KEY_ESC) break;
            if (code > 0) {
                settings_.Rebind(player, a.action, code);
                Store();
                break;
            }
            Draw(*current_, nullptr, std::string("Press the key for: ") + a.label + "  (Escape: keep)");
            rest(kFrameMs);
        }
        input_.Release();
    }

    void Pad(int player) {
        input_.OpenPads(true);
        const std::string pad = player_binding_name(player, "pad");
        std::vector<MenuEntry> entries = {
            {"Gamepad", [this, pad] {
                 const int n = settings_.Get("controls", pad);
                 return n < 0 ? std::string("none") : "pad " + std::to_string(n + 1);
             },
             [this, pad](int d) {
                 settings_.Step("controls", pad, d);
                 Store();
             },
             nullptr},
        };
        for (const ActionName& b : kButtons) {
            const std::string name = player_binding_name(player, b.action);
            entries.push_back({b.label,
                               [this, name] { return std::to_string(settings_.Get("controls", name)); },
                               nullptr, [this, player, b] { Button(player, b); }});
        }
        MenuScreen screen("Player " + std::to_string(player) + " gamepad", std::move(entries));
        Loop(screen);
    }

    void Button(int player, const ActionName& b) {
        const int pad = settings_.Get("controls", player_binding_name(player, "pad"));
        if (pad < 0 || pad >= num_joysticks) {
            current_->note = pad < 0 ? "Choose the player's gamepad first" : "That gamepad is not connected";
            return;
        }
        input_.Release();
        input_.NewButton(pad);
        while (!quit_) {
            if (input_.NewKey() == KEY_ESC) break;
            const int button = input_.NewButton(pad);
            if (button >= 0) {
                settings_.RebindButton(player, b.action, button);
                Store();
                break;
            }
            Draw(*current_, nullptr, std::string("Press the pad's button for: ") + b.label +
                                         "  (Escape: keep)");
            rest(kFrameMs);
        }
        input_.Release();
    }

    ScaledWindow& window_;
    MenuSettings settings_;
    MenuInput input_;
    OwnedBitmap picture_;
    MenuScreen* current_ = nullptr;
    std::vector<std::string> recent_;
    bool quit_ = false;
    bool leave_ = false;
    bool reopen_ = false;
    bool typing_ = false;
    struct SampleDeleter {
        void operator()(SAMPLE* s) const { destroy_sample(s); }
    };
    std::unique_ptr<SAMPLE, SampleDeleter> test_sound_;
    bool sound_open_ = false;
};

}  // namespace

int run_front_end() {
    ScaledWindow window;
    if (!init_scaled(&window)) return 0;
    {
        FrontEnd front(window);
        front.Run();
    }
    allegro_exit();
    return 0;
}
