#ifndef VORLIN_LEVEL_LEVEL_CHUNK_H
#define VORLIN_LEVEL_LEVEL_CHUNK_H

#include <string>
#include <vector>

struct PACKFILE;

// Largest chunk accepted when reading: the flag byte, a TGA header and palette, and the
// largest picture the image checks let through.
constexpr long long kMaxLevelChunk = (1LL << 28) + 4096;

// Reads one unpacked chunk (two big-endian 32-bit lengths, then the data) into `data`.
// The library's own chunk reader trusts the length; this one refuses a negative
// (compressed) or oversized length and data that ends before the length says, and grows
// `data` only as bytes actually arrive. False with a reason otherwise.
bool read_level_chunk(PACKFILE* pf, std::vector<unsigned char>* data, std::string* why);

#endif
