#include "sound/sound_player.h"

#include <allegro.h>

#include <dlfcn.h>

#include <cstdio>

#include "game/game.h"
#include "sound/sound_files.h"
#include "sound/sound_stage.h"
#include "sound/wav_file.h"

namespace {

// Voices mixed at once: a fight's shots, blasts and splinters overlap.
constexpr int kVoices = 16;
constexpr int kCentre = 128;
constexpr int kOwnFrequency = 1000;  // play_sample: the sample's own rate

// The sound library's ALSA driver leaves ALSA's parsed configuration cached for the life
// of the process, and unloads the driver (and ALSA with it) when the library shuts down:
// what it kept is then lost memory. Freed while the driver is still loaded; nothing to do
// when ALSA was never loaded.
void release_alsa_cache() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!alsa) return;
    using FreeGlobal = int (*)();
    if (auto free_global = reinterpret_cast<FreeGlobal>(dlsym(alsa, "snd_config_update_free_global")))
        free_global();
    dlclose(alsa);
}

}  // namespace

void SoundPlayer::SampleDeleter::operator()(SAMPLE* sample) const { destroy_sample(sample); }

std::unique_ptr<SoundPlayer> SoundPlayer::Open(const SoundSettings& settings,
                                               const std::vector<std::string>& folders) {
    if (!settings.enabled) return nullptr;
    reserve_voices(kVoices, 0);
    // Each voice at full volume is half the output's range: two loud sounds together
    // still do not clip.
    set_volume_per_voice(1);
    if (install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) != 0) {
        std::fprintf(stderr, "Sound off: no sound device could be opened\n");
        release_alsa_cache();
        return nullptr;
    }
    std::unique_ptr<SoundPlayer> player(new SoundPlayer(settings.volume));
    player->Load(folders);
    return player;
}

SoundPlayer::SoundPlayer(int volume) : volume_(volume) {}

SoundPlayer::~SoundPlayer() {
    // Voices still playing a sample are stopped by destroying it; the device goes last.
    for (auto& sample : samples_) sample.reset();
    remove_sound();
    release_alsa_cache();
}

void SoundPlayer::Load(const std::vector<std::string>& folders) {
    for (int k = 0; k < SK_Count; ++k) {
        const std::string path = sound_file_path(folders, static_cast<SoundKind>(k));
        std::string why;
        samples_[k].reset(load_checked_sample(path, &why));
        if (!samples_[k])
            std::fprintf(stderr, "Sound %s left silent: %s\n", path.c_str(), why.c_str());
    }
}

void SoundPlayer::Play(const Game& game) {
    const SoundStage stage(game, game.picture_w(), game.picture_h());
    for (const SoundEvent& event : game.sounds) {
        const Voice voice = stage.Place(event, volume_);
        Start(event.kind, voice.volume, voice.pan);
    }
    // The console is no part of the world: the frame hears it open.
    if (game.console_active && !console_was_open_) Start(SK_ConsoleOpen, volume_, kCentre);
    console_was_open_ = game.console_active;
}

void SoundPlayer::Start(SoundKind kind, int volume, int pan) const {
    SAMPLE* sample = samples_[kind].get();
    if (sample && volume > 0) play_sample(sample, volume, pan, kOwnFrequency, FALSE);
}
