#ifndef VORLIN_MAIN_SCALED_WINDOW_H
#define VORLIN_MAIN_SCALED_WINDOW_H

#include <string>

#include "game/frame_sink.h"

// The front end's window: the game's 640x480 picture shown enlarged pixel for pixel by a
// whole factor, in a window or on the full screen. Its choice lives in section [menu] of
// "vorlin.ini": "scale" (1 to 4; absent or anything else: the largest that fits the
// desktop) and "fullscreen" (0 or 1).
class ScaledWindow final : public FrameSink {
public:
    static constexpr int kPictureW = 640;
    static constexpr int kPictureH = 480;
    static constexpr int kMaxScale = 4;

    // The largest factor whose window fits a desktop of w x h; 1 when none does.
    static int LargestFitting(int desktop_w, int desktop_h);

    // Sets the mode of the stored (or fitting) choice; a refused factor tries the smaller
    // ones, a refused full screen the window. False when no mode at all can be set.
    bool Open();
    // Another factor or full screen; stored in [menu] when it takes. False with the reason
    // (the mode before stays) when it is refused.
    bool Change(int scale, bool fullscreen, std::string* why);

    int width() const override { return kPictureW; }
    int height() const override { return kPictureH; }
    // F11 (on its press) toggles full screen first.
    void Show(BITMAP* picture) override;
    // Why the last F11 was refused, once; empty when it was not.
    std::string TakeRefusal();

    int scale() const { return scale_; }
    bool fullscreen() const { return fullscreen_; }
    // The largest factor for this desktop.
    int fitting() const;

private:
    bool SetMode(int scale, bool fullscreen);

    int scale_ = 1;
    bool fullscreen_ = false;
    bool f11_down_ = false;
    std::string refusal_;
};

#endif
