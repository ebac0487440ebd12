// Level bitmaps from anyone: the images the level file is built from, through the
// Level constructor (load_checked_bitmap, the size checks, the bitmask and Update), in
// every colour depth, with and without an undiggable map.
//
// An input that starts with "BM" is named ".bmp", anything else ".tga": the loader is
// chosen by the extension, as the library does.

#include <allegro.h>

#include <cstring>

#include "collision/clgo.h"
#include "fuzz_support.h"
#include "level/image_check.h"
#include "level/level.h"

namespace {

void check_image(BITMAP* bmp, int depth) {
    if (bmp->w < 1 || bmp->h < 1 || bmp->w > kMaxImageSide || bmp->h > kMaxImageSide)
        fuzz::fail("decoded image outside the size limits");
    if (bitmap_color_depth(bmp) != depth) fuzz::fail("decoded image of another colour depth");
    // Every row must be there: touch the corners.
    getpixel(bmp, 0, 0);
    getpixel(bmp, bmp->w - 1, bmp->h - 1);
}

void check_level(const Level& level, const BITMAP* image) {
    for (const BITMAP* bmp : {level.mask, level.foreground, level.background, level.render})
        if (!bmp || bmp->w != image->w || bmp->h != image->h)
            fuzz::fail("level bitmap missing or of another size");
    if (!level.bound || level.bound->w != image->w || level.bound->h != image->h)
        fuzz::fail("bitmask missing or of another size");
    if (level.width != image->w || level.height != image->h) fuzz::fail("level size wrong");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::init();
    const bool bmp = size >= 2 && std::memcmp(data, "BM", 2) == 0;
    const std::string path = fuzz::write_file(bmp ? "image.bmp" : "image.tga", data, size);
    bool with_undiggable = false;
    for (int depth : fuzz::kDepths) {
        fuzz::Depth scoped(depth);
        with_undiggable = !with_undiggable;

        std::string why;
        BITMAP* image = load_checked_bitmap(path, &why);
        if (!image) continue;
        check_image(image, depth);

        try {
            // One picture for every role: all of one size, as a level needs.
            Level level(path, with_undiggable ? path : std::string(), path, path);
            check_level(level, image);
            level.Dig(image->w / 2, image->h / 2, 2);
            level.Update();
        } catch (const fuzz::Refused&) {
            destroy_bitmap(image);
            fuzz::fail("an image that loads was refused as a level");
        }
        destroy_bitmap(image);
    }
    return 0;
}
