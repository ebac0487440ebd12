#include "level/terrain_journal.h"

#include <allegro.h>

#include <algorithm>
#include <cstring>

namespace {

int bytes_per_pixel(BITMAP* bmp) { return (bitmap_color_depth(bmp) + 7) / 8; }

}  // namespace

void TerrainJournal::Keep(BITMAP* bmp, int x0, int y0, int x1, int y1) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, bmp->w);
    y1 = std::min(y1, bmp->h);
    if (x0 >= x1 || y0 >= y1) return;
    const std::size_t bpp = static_cast<std::size_t>(bytes_per_pixel(bmp));
    const std::size_t row = static_cast<std::size_t>(x1 - x0) * bpp;
    const std::size_t offset = bytes_.size();
    bytes_.resize(offset + row * static_cast<std::size_t>(y1 - y0));
    unsigned char* out = bytes_.data() + offset;
    for (int y = y0; y < y1; ++y, out += row) std::memcpy(out, bmp->line[y] + x0 * bpp, row);
    entries_.push_back({bmp, x0, y0, x1, y1, offset});
}

void TerrainJournal::PutBack(const Entry& e) {
    const std::size_t bpp = static_cast<std::size_t>(bytes_per_pixel(e.bmp));
    const std::size_t row = static_cast<std::size_t>(e.x1 - e.x0) * bpp;
    const unsigned char* in = bytes_.data() + e.offset;
    for (int y = e.y0; y < e.y1; ++y, in += row) std::memcpy(e.bmp->line[y] + e.x0 * bpp, in, row);
}

void TerrainJournal::ForgetBefore(std::size_t position) {
    if (position <= first_) return;
    const std::size_t n = std::min(position - first_, entries_.size());
    if (n == 0) return;
    const std::size_t cut = n < entries_.size() ? entries_[n].offset : bytes_.size();
    entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(n));
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(cut));
    for (Entry& e : entries_) e.offset -= cut;
    first_ += n;
}
