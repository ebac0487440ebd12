#ifndef VORLIN_PARTICLE_SOUND_EVENTS_H
#define VORLIN_PARTICLE_SOUND_EVENTS_H

#include <array>
#include <cstddef>

class Game;

// Everything the game can make heard. The world records what happened where; the frame
// decides what it sounds like (src/sound), so a step never touches the sound library.
enum SoundKind : unsigned char {
    SK_PistolShot,
    SK_ShotgunShot,
    SK_RocketLaunch,
    SK_FlakShot,
    SK_DirtShot,
    SK_RocketBlast,
    SK_FlakBurst,
    SK_SplinterBlast,
    SK_Dig,
    SK_Pickup,
    SK_Hit,
    SK_Death,
    SK_Respawn,
    SK_WeaponSwitch,
    SK_ConsoleOpen,  // not a world event: the frame notices the console opening itself
    SK_Count
};

// One sound of a step at a level position; `count` identical ones merged into it.
struct SoundEvent {
    SoundKind kind;
    float x, y;  // level pixels
    int count;
};

// The sounds of one step. Fixed storage: recording never allocates and never draws from
// the world's random source, so a step with sounds is the same step as one without.
// Identical sounds close together (a shotgun's pellets striking one player) merge into
// one event that counts them; beyond the capacity a sound merges into the first event of
// its kind, or is lost when there is none.
class SoundEvents {
public:
    static constexpr std::size_t Capacity = 32;
    // Same kind within this distance (level pixels): one event.
    static constexpr float MergeDistance = 48.0f;

    void Clear() { size_ = 0; }
    void Add(SoundKind kind, float x, float y);
    // Every event of `more` after these, merged as Add merges, its counts kept.
    void Add(const SoundEvents& more);

    std::size_t size() const { return size_; }
    const SoundEvent* begin() const { return events_.data(); }
    const SoundEvent* end() const { return events_.data() + size_; }

private:
    void Add(const SoundEvent& event);

    std::array<SoundEvent, Capacity> events_{};
    std::size_t size_ = 0;
};

// Records a sound in the game's current step; nothing for an object without a game. Defined
// with the Game, which holds the record.
void emit_sound(Game* game, SoundKind kind, float x, float y);

#endif
