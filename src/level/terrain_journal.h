#ifndef VORLIN_LEVEL_TERRAIN_JOURNAL_H
#define VORLIN_LEVEL_TERRAIN_JOURNAL_H

#include <cstddef>
#include <vector>

struct BITMAP;

// What every dig, fill and paint of a level overwrote, newest last, so that the terrain
// can be taken back to any earlier moment without a copy of the whole level: undoing the
// newest entries first puts back exactly the pixels they covered. Positions are counted
// from the journal's start and stay valid when older entries are forgotten.
class TerrainJournal {
public:
    // Before `bmp`'s square [x0, x1) x [y0, y1) (clipped to the bitmap) is drawn over.
    void Keep(BITMAP* bmp, int x0, int y0, int x1, int y1);
    // The position after the newest entry.
    std::size_t Position() const { return first_ + entries_.size(); }
    // Puts back every square kept after `position`, newest first, calling
    // changed(x0, y0, x1, y1) for each, and forgets them.
    template <class Changed>
    void UndoTo(std::size_t position, Changed changed) {
        while (Position() > position && !entries_.empty()) {
            const Entry& e = entries_.back();
            PutBack(e);
            changed(e.x0, e.y0, e.x1, e.y1);
            bytes_.resize(e.offset);
            entries_.pop_back();
        }
    }
    // Forgets the entries before `position`: nothing will be undone past it.
    void ForgetBefore(std::size_t position);
    std::size_t Bytes() const { return bytes_.size(); }

private:
    struct Entry {
        BITMAP* bmp;
        int x0, y0, x1, y1;
        std::size_t offset;  // of its pixels in bytes_
    };
    std::vector<Entry> entries_;
    std::vector<unsigned char> bytes_;  // the kept pixels, entry after entry
    std::size_t first_ = 0;             // position of entries_[0]

    void PutBack(const Entry& e);
};

#endif
