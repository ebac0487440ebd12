#ifndef VORLIN_LEVEL_IMAGE_CHECK_H
#define VORLIN_LEVEL_IMAGE_CHECK_H

#include <cstddef>
#include <string>
#include <vector>

struct BITMAP;
struct PACKFILE;

// Level images come from anyone (level files and bitmaps are shared between players),
// and Allegro's TGA and BMP loaders trust their headers: a lying palette count, size or
// run length writes past the library's buffers. Every image therefore passes a whitelist
// here before a loader sees it, and is decoded from the very bytes that were checked.

// Largest width or height accepted, in pixels.
constexpr int kMaxImageSide = 16384;
// Largest decoded picture accepted: width * height * 4 bytes (the widest pixel a loaded
// bitmap can get), kept far below what an int can count.
constexpr long long kMaxImageBytes = 1LL << 28;

// The header and size of a TGA as `save_tga_pf` writes it: ID length 0, no run-length
// coding; type 1 with exactly 256 palette entries of 24 bits and 8-bit pixels, or type 2
// without a palette and 15, 16, 24 or 32-bit pixels; width and height within the limits;
// `size` holds at least header, palette and pixels. False with a reason otherwise.
bool check_tga_image(const unsigned char* data, std::size_t size, std::string* why);

// An uncompressed Windows BMP: "BM", a 40-byte info header, width and height within the
// limits (bottom-up rows only), 8 bits with a full 256-entry palette, or 24 or 32 bits;
// the pixel offset and the data hold every row. False with a reason otherwise.
bool check_bmp_image(const unsigned char* data, std::size_t size, std::string* why);

// Checked decoding from memory into a bitmap of the current colour depth; null (with a
// reason) when the check or the decoder refuses the data.
BITMAP* decode_tga_image(const unsigned char* data, std::size_t size, std::string* why);
BITMAP* decode_bmp_image(const unsigned char* data, std::size_t size, std::string* why);

// A read-only packfile over `size` bytes at `data`, which must outlive it; close it with
// pack_fclose. Null when out of memory.
PACKFILE* open_memory_packfile(const unsigned char* data, std::size_t size);

// What `load_bitmap(path, NULL)` would load, checked first: the file is read once into
// memory and chosen by its extension as the library does ("bmp" or "tga"; other image
// types are refused because their loaders are not guarded). Null with a reason when the
// file is missing, unreadable, too large or refused.
BITMAP* load_checked_bitmap(const std::string& path, std::string* why);

#endif
