#ifndef VORLIN_SOUND_SOUND_STAGE_H
#define VORLIN_SOUND_SOUND_STAGE_H

#include <array>

#include "particle/sound_events.h"

class Game;

// How loud and from which side one sound plays: play_sample's volume and pan (0 left,
// 128 centre, 255 right).
struct Voice {
    int volume;
    int pan;
};

// The players' ears, laid out as Game::Draw lays out their views: one view with one
// player, two side by side with two (other numbers of players have no views, and every
// sound plays from the centre at the master volume).
//
// A sound is as loud as the master volume up to NearDistance from the nearer player and
// fades to nothing at FarDistance; a burst of identical sounds in one step plays louder,
// by a quarter for each doubling, at most twice as loud. It pans to where it shows on the
// screen: in the nearer player's view if it is in sight there, else in the other view if
// it is in sight there, else at the edge of the nearer player's view on its side.
class SoundStage {
public:
    static constexpr float NearDistance = 100.0f;  // level pixels
    static constexpr float FarDistance = 900.0f;

    SoundStage(const Game& game, int screen_w, int screen_h);

    Voice Place(const SoundEvent& event, int master_volume) const;

private:
    struct Ear {
        float x, y;          // the player, level pixels
        int view_x, view_w;  // screen columns of the view
        int view_h;
        int camera_x, camera_y;  // level position at the view's top-left corner
    };

    // The screen column at which the view of `ear` shows level column x; false when the
    // point is out of that view's sight.
    static bool ScreenColumn(const Ear& ear, float x, float y, int* column);
    int Pan(const SoundEvent& event, const Ear& nearest) const;

    std::array<Ear, 2> ears_{};
    int count_ = 0;
    int screen_w_;
};

#endif
