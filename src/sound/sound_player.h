#ifndef VORLIN_SOUND_SOUND_PLAYER_H
#define VORLIN_SOUND_SOUND_PLAYER_H

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "game/sound_sink.h"
#include "particle/sound_events.h"
#include "sound/sound_settings.h"

struct SAMPLE;

// The windowed game's sound: the sound device and one sample per sound, played after
// each step from what the step recorded. Only the game's own start-up opens one; every
// other program runs its Game without.
class SoundPlayer final : public SoundSink {
public:
    // Opens the device and loads every sound from the first of `folders` that holds it
    // (sound_file_path); a file that cannot be used leaves its sound silent, with a line
    // on standard error naming it and why. Null when the
    // settings turn sound off, or when there is no sound device, which one line on
    // standard error says.
    static std::unique_ptr<SoundPlayer> Open(const SoundSettings& settings,
                                             const std::vector<std::string>& folders);

    ~SoundPlayer() override;
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void Play(const Game& game) override;

private:
    struct SampleDeleter {
        void operator()(SAMPLE* sample) const;
    };

    explicit SoundPlayer(int volume);
    void Load(const std::vector<std::string>& folders);
    void Start(SoundKind kind, int volume, int pan) const;

    std::array<std::unique_ptr<SAMPLE, SampleDeleter>, SK_Count> samples_;  // null: silent
    int volume_;
    bool console_was_open_ = false;
};

#endif
