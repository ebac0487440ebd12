#ifndef VORLIN_GAME_FRAME_SINK_H
#define VORLIN_GAME_FRAME_SINK_H

struct BITMAP;

// Where a finished picture goes when it is not copied 1:1 to the screen: a window that
// shows the game's picture enlarged, say. The game draws into a picture of the sink's
// size whatever the screen's size is.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Puts `picture` (width() x height()) on the screen.
    virtual void Show(BITMAP* picture) = 0;
};

#endif
