#ifndef VORLIN_BOT_MASK_VIEW_H
#define VORLIN_BOT_MASK_VIEW_H

struct BITMAP;

// Reads the pixels of a terrain bitmap straight from its rows, as Level::IsSolid would
// answer but without a call through the bitmap's drawing table: the computer player
// looks at many pixels every step. A point outside the bitmap is empty.
class MaskView {
public:
    MaskView() = default;
    explicit MaskView(BITMAP* bitmap);

    bool Solid(int x, int y) const;
    int width() const { return w_; }
    int height() const { return h_; }
    bool valid() const { return bmp_ != nullptr; }

private:
    BITMAP* bmp_ = nullptr;
    int depth_ = 0;
    int solid_ = 0;
    int w_ = 0;
    int h_ = 0;
};

#endif
