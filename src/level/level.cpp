#include "level/level.h"

#include <allegro.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "collision/clgo.h"
#include "level/image_check.h"
#include "level/level_chunk.h"
#include "level/terrain_journal.h"
#include "base/assertion.h"
#include "base/det_math.h"

int solid_colour() { return makecol(255, 0, 255); }

int air_colour() { return makecol(0, 255, 0); }

namespace {

// A refused image or chunk ends the program through the assertion report of its step;
// the reason goes to standard error first so that the player learns what was wrong.
void explain(bool ok, const std::string& what, const std::string& why) {
    if (!ok) std::fprintf(stderr, "%s: %s\n", what.c_str(), why.c_str());
}

std::string size_text(const BITMAP* bmp) {
    return std::to_string(bmp->w) + "x" + std::to_string(bmp->h);
}

bool same_size(const BITMAP* a, const BITMAP* b) { return a->w == b->w && a->h == b->h; }

BITMAP* load_image(const std::string& file) {
    std::string why;
    BITMAP* bmp = load_checked_bitmap(file, &why);
    explain(bmp != nullptr, file, why);
    return bmp;
}

BITMAP* load_chunk_image(PACKFILE* pf, const char* what) {
    std::vector<unsigned char> chunk;
    std::string why;
    BITMAP* bmp = nullptr;
    if (read_level_chunk(pf, &chunk, &why)) bmp = decode_tga_image(chunk.data(), chunk.size(), &why);
    explain(bmp != nullptr, std::string("level file, ") + what, why);
    return bmp;
}

// Raw pixel access by colour depth, one row pointer at a time (memory bitmaps: the row
// itself). 15 and 16 bits share the 16-bit word.
template <int Depth>
struct Pixels;

template <>
struct Pixels<8> {
    static int get(uintptr_t row, int x) { return bmp_read8(row + x); }
    static void put(uintptr_t row, int x, int c) { bmp_write8(row + x, c); }
};

template <>
struct Pixels<16> {
    static int get(uintptr_t row, int x) { return bmp_read16(row + x * sizeof(short)); }
    static void put(uintptr_t row, int x, int c) { bmp_write16(row + x * sizeof(short), c); }
};

template <>
struct Pixels<24> {
    static int get(uintptr_t row, int x) { return bmp_read24(row + x * 3); }
    static void put(uintptr_t row, int x, int c) { bmp_write24(row + x * 3, c); }
};

template <>
struct Pixels<32> {
    static int get(uintptr_t row, int x) { return bmp_read32(row + x * sizeof(int32_t)); }
    static void put(uintptr_t row, int x, int c) { bmp_write32(row + x * sizeof(int32_t), c); }
};

// Every mask pixel in the rectangle whose undiggable pixel is solid becomes solid again.
template <int Depth>
void restore_undiggable(BITMAP* mask, BITMAP* undiggable, int x0, int x1, int y0, int y1,
                        int solid) {
    for (int y = y0; y < y1; ++y) {
        const uintptr_t keep = bmp_read_line(undiggable, y);
        const uintptr_t row = bmp_write_line(mask, y);
        for (int x = x0; x < x1; ++x)
            if (Pixels<Depth>::get(keep, x) == solid) Pixels<Depth>::put(row, x, solid);
    }
    bmp_unwrite_line(mask);
    bmp_unwrite_line(undiggable);
}

// What the composed picture shows over a mask pixel that is not solid.
// `complement` gives the colour-bit complement of a mask value (the solid colour for the
// air colour); where that is the solid colour, which is also the transparent one, the
// background shows through. Each pixel depends on the three pixels at its own place
// only, so any rectangle can be recomposed on its own.
template <int Depth, typename Complement>
void compose(BITMAP* render, BITMAP* mask, BITMAP* fore, BITMAP* back, int x0, int y0, int x1,
             int y1, int solid, int air, const Complement& complement) {
    for (int y = y0; y < y1; ++y) {
        const uintptr_t m = bmp_read_line(mask, y);
        const uintptr_t f = bmp_read_line(fore, y);
        const uintptr_t b = bmp_read_line(back, y);
        const uintptr_t r = bmp_write_line(render, y);
        for (int x = x0; x < x1; ++x) {
            const int mp = Pixels<Depth>::get(m, x);
            int out;
            if (mp == solid) {
                out = Pixels<Depth>::get(f, x);
                if (out == solid) out = Pixels<Depth>::get(b, x);
            } else {
                out = mp == air ? solid : complement(mp);
                if (out == solid) out = Pixels<Depth>::get(b, x);
            }
            Pixels<Depth>::put(r, x, out);
        }
    }
    bmp_unwrite_line(render);
    bmp_unwrite_line(back);
    bmp_unwrite_line(fore);
    bmp_unwrite_line(mask);
}

// More regions than this in one step are recomposed as their bounding box.
constexpr std::size_t kMaxRegions = 16;

// Corner coordinates for MarkChanged, pulled into a range where adding one cannot wrap;
// MarkChanged clips them to the mask anyway.
int clamp_corner(long long v) {
    return static_cast<int>(std::min<long long>(std::max<long long>(v, -1), INT_MAX - 1));
}

}  // namespace

Level::Level() = default;

Level::Level(const std::string& maskf, const std::string& undiggablef, const std::string& foref,
             const std::string& backf) {
    // A constructor that fails runs no destructor: whatever was loaded before a failing
    // step (an exception from the assertion handler or from an allocation) is freed here.
    try {
        // Every image is checked before the library decodes it, and refused with the report
        // of the step that loads it. The images must all be the size of the mask: Dig reads
        // the undiggable map and Update every picture with the mask's and the render's size.
        VORLIN_CHECK(mask = load_image(maskf), "mask = load_bitmap(maskf.c_str(), NULL)");
        if (!undiggablef.empty()) {
            VORLIN_CHECK(undiggable = load_image(undiggablef),
                         "undiggable = load_bitmap(undiggablef.c_str(), NULL)");
            VORLIN_CHECK(same_size(undiggable, mask),
                         (undiggablef + " is " + size_text(undiggable) + " but " + maskf + " is " +
                          size_text(mask))
                             .c_str());
        }
        VORLIN_CHECK(foreground = load_image(foref),
                     "foreground = load_bitmap(foref.c_str(), NULL)");
        VORLIN_CHECK(same_size(foreground, mask),
                     (foref + " is " + size_text(foreground) + " but " + maskf + " is " +
                      size_text(mask))
                         .c_str());
        VORLIN_CHECK(background = load_image(backf),
                     "background = load_bitmap(backf.c_str(), NULL)");
        VORLIN_CHECK(same_size(background, mask),
                     (backf + " is " + size_text(background) + " but " + maskf + " is " +
                      size_text(mask))
                         .c_str());
        VORLIN_ASSERT(render = create_bitmap(background->w, background->h));
        VORLIN_ASSERT(bound = clgo_create_custom_bitmask(0, 0, mask, &Level::CheckP));
        width = background->w;
        height = background->h;
        Update();
    } catch (...) {
        Release();
        throw;
    }
}

Level::~Level() { Release(); }

void Level::Release() {
    for (BITMAP** bmp : {&mask, &undiggable, &foreground, &background, &render}) {
        if (*bmp) destroy_bitmap(*bmp);
        *bmp = nullptr;
    }
    if (bound) clgo_destroy_bitmask(bound);
    bound = nullptr;
    width = height = 0;
}

void Level::Load(PACKFILE* pf) {
    // Loading is meant for an empty level; whatever was there is not leaked.
    Release();

    VORLIN_CHECK(mask = load_chunk_image(pf, "mask"), "mask = load_tga_pf(pf, NULL)");

    {
        // Chunk 2: the flag byte, then the map when the flag is not 0. A missing flag byte
        // reads as end of chunk (-1) and so counts as "present"; the map then fails.
        std::vector<unsigned char> flag_chunk;
        std::string why;
        const bool read = read_level_chunk(pf, &flag_chunk, &why);
        explain(read, "level file, undiggable map", why);
        VORLIN_CHECK(read, "undiggable = load_tga_pf(pf, NULL)");
        const bool present = flag_chunk.empty() || flag_chunk[0] != 0;
        if (present) {
            const std::size_t start = flag_chunk.empty() ? 0 : 1;
            undiggable = decode_tga_image(flag_chunk.data() + start, flag_chunk.size() - start, &why);
            explain(undiggable != nullptr, "level file, undiggable map", why);
            VORLIN_CHECK(undiggable, "undiggable = load_tga_pf(pf, NULL)");
            VORLIN_CHECK(same_size(undiggable, mask),
                         ("level file: undiggable map is " + size_text(undiggable) +
                          " but mask is " + size_text(mask))
                             .c_str());
        }
    }

    VORLIN_CHECK(foreground = load_chunk_image(pf, "foreground"),
                 "foreground = load_tga_pf(pf, NULL)");
    VORLIN_CHECK(same_size(foreground, mask),
                 ("level file: foreground is " + size_text(foreground) + " but mask is " +
                  size_text(mask))
                     .c_str());
    VORLIN_CHECK(background = load_chunk_image(pf, "background"),
                 "background = load_tga_pf(pf, NULL)");
    VORLIN_CHECK(same_size(background, mask),
                 ("level file: background is " + size_text(background) + " but mask is " +
                  size_text(mask))
                     .c_str());
    // Nothing follows the fourth chunk in a level file.
    VORLIN_ASSERT(pack_getc(pf) == EOF);

    VORLIN_ASSERT(render = create_bitmap(mask->w, mask->h));
    VORLIN_ASSERT(bound = clgo_create_custom_bitmask(0, 0, mask, &Level::CheckP));
    width = background->w;
    height = background->h;
    Update();
}

bool Level::Save(PACKFILE* pf) const {
    if (!pf) return false;
    BITMAP* const images[] = {mask, undiggable, foreground, background};
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        PACKFILE* chunk = pack_fopen_chunk(pf, 0);
        if (!chunk) return false;
        if (i == 1) ok = pack_putc(undiggable ? 1 : 0, chunk) != EOF && ok;
        if (images[i]) ok = save_tga_pf(chunk, images[i], nullptr) == 0 && ok;
        else if (i != 1) ok = false;
        ok = !pack_ferror(chunk) && ok;
        // Closing copies the chunk into its parent, which is `pf` again.
        PACKFILE* parent = pack_fclose_chunk(chunk);
        if (!parent) return false;
        ok = !pack_ferror(parent) && ok;
        if (!ok) return false;
        pf = parent;
    }
    return ok;
}

int Level::CheckP(int, int, int, int pixel) { return pixel == makecol(255, 0, 255) ? 1 : 0; }

bool Level::IsSolid(int x, int y) const { return SolidAt(x, y, solid_colour()); }

bool Level::SolidAt(int x, int y, int solid) const {
    // getpixel answers -1 outside the bitmap, which is never the solid colour.
    return mask && getpixel(mask, x, y) == solid;
}

// The walks and the circle test look the solid colour up once, not at every pixel.

void Level::DropToSolid(int& x, int& y, unsigned maxSteps) const {
    const int solid = solid_colour();
    for (unsigned step = 0; step < maxSteps; ++step) {
        if (SolidAt(x, y, solid)) return;
        ++y;
    }
}

void Level::TraceToSolid(int& x, int& y, float angle, unsigned maxSteps) const {
    double fx = x, fy = y;
    const double c = det_cos(angle), s = det_sin(angle);
    const int solid = solid_colour();
    for (unsigned step = 0; step < maxSteps; ++step) {
        if (SolidAt(x, y, solid)) return;
        fx += c;
        fy += s;
        x = int(fx);
        y = int(fy);
    }
}

bool Level::CircleHitsTerrain(const clgo_circle* circle, bool below) const {
    const int r = int(circle->radius);
    const int cx = circle->x, cy = circle->y;
    const int d = below ? 1 : 0;
    const int solid = solid_colour();
    return SolidAt(cx, cy + r + d, solid) || SolidAt(cx - r, cy + d, solid) ||
           SolidAt(cx + r, cy + d, solid) || SolidAt(cx, cy - r + d, solid);
}

void Level::AddDirt(int x, int y, int r) {
    if (!mask || r < 0) return;
    KeepDisc(mask, x, y, r);
    circlefill(mask, x, y, r, solid_colour());
    MarkDisc(x, y, r);
}

void Level::Paint(int x, int y, int r, int colour) {
    if (!foreground || r < 0) return;
    KeepDisc(foreground, x, y, r);
    circlefill(foreground, x, y, r, colour);
    MarkDisc(x, y, r);
}

void Level::Dig(int x, int y, int r) {
    if (!mask || r < 0) return;
    // The undiggable pixels put back below lie in the same square.
    KeepDisc(mask, x, y, r);
    circlefill(mask, x, y, r, air_colour());
    MarkDisc(x, y, r);
    if (!undiggable) return;

    // The square around the disc, clipped to both maps (64-bit: far-off centres and
    // large radii must not wrap).
    const long long w = std::min(mask->w, undiggable->w);
    const long long h = std::min(mask->h, undiggable->h);
    const int x0 = int(std::max(0LL, (long long)x - r));
    const int x1 = int(std::min(w, (long long)x + r + 1));
    const int y0 = int(std::max(0LL, (long long)y - r));
    const int y1 = int(std::min(h, (long long)y + r + 1));
    if (x0 >= x1 || y0 >= y1) return;

    const int solid = solid_colour();
    switch (bitmap_color_depth(undiggable)) {
        case 8: restore_undiggable<8>(mask, undiggable, x0, x1, y0, y1, solid); break;
        case 15:
        case 16: restore_undiggable<16>(mask, undiggable, x0, x1, y0, y1, solid); break;
        case 24: restore_undiggable<24>(mask, undiggable, x0, x1, y0, y1, solid); break;
        case 32: restore_undiggable<32>(mask, undiggable, x0, x1, y0, y1, solid); break;
    }
}

void Level::MarkDisc(int x, int y, int r) {
    // The square around the disc, one pixel wider than the radius on every side.
    const long long e = static_cast<long long>(r) + 1;
    MarkChanged(clamp_corner(x - e), clamp_corner(y - e), clamp_corner(x + e), clamp_corner(y + e));
}

void Level::KeepDisc(BITMAP* bmp, int x, int y, int r) {
    if (!journal) return;
    const long long e = static_cast<long long>(r) + 1;
    journal->Keep(bmp, clamp_corner(x - e), clamp_corner(y - e), clamp_corner(x + e + 1),
                  clamp_corner(y + e + 1));
}

void Level::UndoTo(std::size_t position) {
    if (!journal) return;
    journal->UndoTo(position, [this](int x0, int y0, int x1, int y1) {
        MarkChanged(x0, y0, x1 - 1, y1 - 1);
    });
}

void Level::MarkChanged(int x0, int y0, int x1, int y1) {
    if (!mask) return;
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    Region n{std::max(x0, 0), std::max(y0, 0),
             static_cast<int>(std::min<long long>(x1 + 1LL, mask->w)),
             static_cast<int>(std::min<long long>(y1 + 1LL, mask->h))};
    if (n.x0 >= n.x1 || n.y0 >= n.y1) return;
    ++revision_;

    // Recomposing a pixel twice gives the same picture, so merging only saves work.
    for (Region& r : changed_) {
        if (n.x0 <= r.x1 && r.x0 <= n.x1 && n.y0 <= r.y1 && r.y0 <= n.y1) {
            r = {std::min(r.x0, n.x0), std::min(r.y0, n.y0), std::max(r.x1, n.x1),
                 std::max(r.y1, n.y1)};
            return;
        }
    }
    changed_.push_back(n);
    if (changed_.size() > kMaxRegions) {
        Region all = changed_.front();
        for (const Region& r : changed_)
            all = {std::min(all.x0, r.x0), std::min(all.y0, r.y0), std::max(all.x1, r.x1),
                   std::max(all.y1, r.y1)};
        changed_.assign(1, all);
    }
}

void Level::Update() {
    changed_.clear();
    if (render) ++whole_recompositions_;
    Compose(0, 0, INT_MAX, INT_MAX);
}

void Level::UpdateChanged() {
    for (const Region& r : changed_) {
        // Regions are clipped to the mask, which has the picture's size.
        if (r.x0 == 0 && r.y0 == 0 && r.x1 == mask->w && r.y1 == mask->h) ++whole_recompositions_;
        Compose(r.x0, r.y0, r.x1, r.y1);
    }
    changed_.clear();
}

void Level::Compose(int x0, int y0, int x1, int y1) {
    // Foreground where the mask is solid (background where the foreground itself holds the
    // transparent colour), background over the air colour, and the complemented mask
    // colour over any third colour. In 16 and 24 bits this is exactly what inverting the
    // foreground, copying the mask over it and inverting again produces; here only the
    // bits that carry colour are complemented, so 15 and 32 bits give the same picture,
    // and 8 bits complements the palette colour.
    if (!render || !mask || !foreground || !background) return;
    x1 = std::min({x1, render->w, mask->w, foreground->w, background->w});
    y1 = std::min({y1, render->h, mask->h, foreground->h, background->h});
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    if (x0 >= x1 || y0 >= y1) return;
    const int solid = solid_colour();
    const int air = air_colour();
    switch (bitmap_color_depth(render)) {
        case 8: {
            // The complement of a palette entry is the entry nearest to its inverse colour;
            // looked up only for the few third colours a mask holds.
            int inverse[256];
            std::fill(std::begin(inverse), std::end(inverse), -1);
            compose<8>(render, mask, foreground, background, x0, y0, x1, y1, solid, air,
                       [&](int c) {
                           int& inv = inverse[c & 0xFF];
                           if (inv < 0)
                               inv = makecol8(255 - getr8(c), 255 - getg8(c), 255 - getb8(c));
                           return inv;
                       });
            break;
        }
        case 15:
            compose<16>(render, mask, foreground, background, x0, y0, x1, y1, solid, air,
                        [](int c) { return ~c & 0x7FFF; });
            break;
        case 16:
            compose<16>(render, mask, foreground, background, x0, y0, x1, y1, solid, air,
                        [](int c) { return ~c & 0xFFFF; });
            break;
        case 24:
            compose<24>(render, mask, foreground, background, x0, y0, x1, y1, solid, air,
                        [](int c) { return ~c & 0xFFFFFF; });
            break;
        case 32:
            compose<32>(render, mask, foreground, background, x0, y0, x1, y1, solid, air,
                        [](int c) { return ~c & 0xFFFFFF; });
            break;
    }
}

void Level::Draw(BITMAP* target, int sx, int sy, int dx, int dy, int w, int h) const {
    if (render && target) blit(render, target, sx, sy, dx, dy, w, h);
}
