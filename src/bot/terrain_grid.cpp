#include "bot/terrain_grid.h"

#include <algorithm>

#include "level/level.h"

namespace {

// Sample points per cell side: every other pixel.
constexpr int kSamples = TerrainGrid::kCell / 2;
// Samples that make a cell count as terrain: a quarter of them. A few grains of dirt do
// not stop a player, a quarter of a cell does.
constexpr int kSolidSamples = kSamples * kSamples / 4;

}  // namespace

void TerrainGrid::Build(const Level& level) {
    mask_ = MaskView(level.mask);
    undiggable_ = MaskView(level.undiggable);
    cols_ = (mask_.width() + kCell - 1) / kCell;
    rows_ = (mask_.height() + kCell - 1) / kCell;
    kinds_.assign(static_cast<std::size_t>(cols_) * rows_, Air);
    for (int cy = 0; cy < rows_; ++cy)
        for (int cx = 0; cx < cols_; ++cx) kinds_[cy * cols_ + cx] = Read(cx, cy);
    next_row_ = 0;
}

TerrainGrid::Kind TerrainGrid::Read(int cx, int cy) const {
    int solid = 0;
    bool rock = false;
    for (int sy = 0; sy < kSamples; ++sy) {
        const int y = cy * kCell + 2 * sy;
        for (int sx = 0; sx < kSamples; ++sx) {
            const int x = cx * kCell + 2 * sx;
            if (!mask_.Solid(x, y)) continue;
            ++solid;
            rock = rock || undiggable_.Solid(x, y);
        }
    }
    if (rock) return Rock;
    return solid >= kSolidSamples ? Dirt : Air;
}

int TerrainGrid::ReadRow(int cy) {
    int changed = 0;
    for (int cx = 0; cx < cols_; ++cx) {
        const Kind k = Read(cx, cy);
        Kind& old = kinds_[cy * cols_ + cx];
        if (k != old) ++changed;
        old = k;
    }
    return changed;
}

int TerrainGrid::Refresh(int rows) {
    if (!built()) return 0;
    int changed = 0;
    for (int i = 0; i < rows; ++i) {
        changed += ReadRow(next_row_);
        next_row_ = (next_row_ + 1) % rows_;
    }
    changes_ += changed;
    return changed;
}

int TerrainGrid::RefreshArea(int x0, int y0, int x1, int y1) {
    if (!built()) return 0;
    const int cx0 = std::max(0, x0 / kCell), cx1 = std::min(cols_ - 1, x1 / kCell);
    const int cy0 = std::max(0, y0 / kCell), cy1 = std::min(rows_ - 1, y1 / kCell);
    int changed = 0;
    for (int cy = cy0; cy <= cy1; ++cy)
        for (int cx = cx0; cx <= cx1; ++cx) {
            const Kind k = Read(cx, cy);
            Kind& old = kinds_[cy * cols_ + cx];
            if (k != old) ++changed;
            old = k;
        }
    changes_ += changed;
    return changed;
}

TerrainGrid::Kind TerrainGrid::At(int cx, int cy) const {
    if (cy >= rows_) return Rock;
    if (cx < 0 || cx >= cols_) return Rock;
    if (cy < 0) return Air;
    return kinds_[cy * cols_ + cx];
}

bool TerrainGrid::Open(int cx, int cy) const {
    if (cx < 1 || cx >= cols_ - 1 || cy >= rows_ - 1) return false;
    for (int y = cy - 1; y <= cy; ++y)
        for (int x = cx - 1; x <= cx + 1; ++x)
            if (At(x, y) != Air) return false;
    return true;
}

bool TerrainGrid::Supported(int cx, int cy) const {
    for (int x = cx - 1; x <= cx + 1; ++x)
        if (At(x, cy + 1) != Air) return true;
    return At(cx, cy + 2) != Air;
}

bool TerrainGrid::Diggable(int cx, int cy) const {
    if (cx < 1 || cx >= cols_ - 1 || cy >= rows_ - 1) return false;
    for (int y = cy - 1; y <= cy + 1; ++y)
        for (int x = cx - 1; x <= cx + 1; ++x)
            if (At(x, y) == Rock) return false;
    return true;
}
