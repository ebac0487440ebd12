#ifndef VORLIN_SOUND_SOUND_SETTINGS_H
#define VORLIN_SOUND_SOUND_SETTINGS_H

// Section "sound" of "vorlin.ini". Values that do not parse, or lie out of range, take
// the default; nothing is written back.
struct SoundSettings {
    static constexpr int DefaultVolume = 160;  // leaves room for bursts to sound louder

    bool enabled = true;         // "enabled": 1/0, yes/no, true/false, on/off
    int volume = DefaultVolume;  // "volume": 0 (silent) to 255
};

SoundSettings read_sound_settings();

#endif
