#include "game/sound_events.h"

#include <cstring>

#include "game/game.h"

void SoundEvents::Add(SoundKind kind, float x, float y) {
    SoundEvent* first_of_kind = nullptr;
    for (std::size_t i = 0; i < size_; ++i) {
        SoundEvent& e = events_[i];
        if (e.kind != kind) continue;
        if (!first_of_kind) first_of_kind = &e;
        const float dx = e.x - x, dy = e.y - y;
        if (dx * dx + dy * dy <= MergeDistance * MergeDistance) {
            ++e.count;
            return;
        }
    }
    if (size_ < Capacity) {
        events_[size_++] = SoundEvent{kind, x, y, 1};
    } else if (first_of_kind) {
        ++first_of_kind->count;
    }
}

void emit_sound(Game* game, SoundKind kind, float x, float y) {
    if (game && kind < SK_Count) game->sounds.Add(kind, x, y);
}

SoundKind shot_sound(const char* weapon_name) {
    static const struct {
        const char* name;
        SoundKind kind;
    } shots[] = {{"Pistol", SK_PistolShot},
                 {"Shotgun", SK_ShotgunShot},
                 {"Rockets", SK_RocketLaunch},
                 {"Flak", SK_FlakShot},
                 {"Dirt", SK_DirtShot}};
    for (const auto& s : shots)
        if (weapon_name && std::strcmp(s.name, weapon_name) == 0) return s.kind;
    return SK_Count;
}
