#include "level/image_check.h"

#include <allegro.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdint>

namespace {

unsigned le16(const unsigned char* p) { return p[0] | (unsigned(p[1]) << 8); }

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

bool refuse(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return false;
}

std::string dims(long long w, long long h) {
    return std::to_string(w) + "x" + std::to_string(h);
}

// Width and height within the side limit, and the decoded picture (at the widest pixel a
// bitmap of any colour depth can have) within the byte limit. 64-bit throughout.
bool check_dimensions(long long w, long long h, std::string* why) {
    if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide)
        return refuse(why, "image size " + dims(w, h) + " outside 1.." +
                               std::to_string(kMaxImageSide));
    if (w * h * 4 > kMaxImageBytes)
        return refuse(why, "image size " + dims(w, h) + " too large");
    return true;
}

// A read-only packfile over bytes in memory, so that the loaders decode exactly the bytes
// that were checked (no second read of a file that may have changed meanwhile).
struct MemoryReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

int mem_fclose(void* userdata) {
    delete static_cast<MemoryReader*>(userdata);
    return 0;
}

int mem_getc(void* userdata) {
    auto* m = static_cast<MemoryReader*>(userdata);
    return m->pos < m->size ? m->data[m->pos++] : EOF;
}

int mem_ungetc(int c, void* userdata) {
    auto* m = static_cast<MemoryReader*>(userdata);
    if (m->pos == 0) return EOF;
    --m->pos;
    return c;
}

long mem_fread(void* p, long n, void* userdata) {
    auto* m = static_cast<MemoryReader*>(userdata);
    if (n <= 0) return 0;
    std::size_t count = std::min<std::size_t>(std::size_t(n), m->size - m->pos);
    std::copy(m->data + m->pos, m->data + m->pos + count, static_cast<unsigned char*>(p));
    m->pos += count;
    return long(count);
}

int mem_putc(int, void*) { return EOF; }

long mem_fwrite(const void*, long, void*) { return 0; }

int mem_fseek(void* userdata, int offset) {
    auto* m = static_cast<MemoryReader*>(userdata);
    if (offset < 0 || std::size_t(offset) > m->size - m->pos) {
        m->pos = m->size;
        return -1;
    }
    m->pos += std::size_t(offset);
    return 0;
}

int mem_feof(void* userdata) {
    auto* m = static_cast<MemoryReader*>(userdata);
    return m->pos >= m->size;
}

int mem_ferror(void*) { return 0; }

const PACKFILE_VTABLE memory_vtable = {mem_fclose, mem_getc, mem_ungetc, mem_fread, mem_putc,
                                       mem_fwrite, mem_fseek, mem_feof,  mem_ferror};

BITMAP* decode_from_memory(const unsigned char* data, std::size_t size,
                           BITMAP* (*loader)(PACKFILE*, RGB*), std::string* why) {
    PACKFILE* pf = open_memory_packfile(data, size);
    if (!pf) {
        refuse(why, "out of memory");
        return nullptr;
    }
    BITMAP* bmp = loader(pf, nullptr);
    pack_fclose(pf);
    if (!bmp) refuse(why, "the image could not be decoded");
    return bmp;
}

std::string lower_extension(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

PACKFILE* open_memory_packfile(const unsigned char* data, std::size_t size) {
    auto* reader = new MemoryReader{data, size, 0};
    PACKFILE* pf = pack_fopen_vtable(&memory_vtable, reader);
    if (!pf) delete reader;
    return pf;
}

bool check_tga_image(const unsigned char* data, std::size_t size, std::string* why) {
    constexpr std::size_t kHeader = 18;
    if (!data || size < kHeader) return refuse(why, "TGA header truncated");
    const unsigned id_length = data[0];
    const unsigned cmap_type = data[1];
    const unsigned type = data[2];
    const unsigned cmap_first = le16(data + 3);
    const unsigned cmap_count = le16(data + 5);
    const unsigned cmap_bits = data[7];
    const long long w = le16(data + 12);
    const long long h = le16(data + 14);
    const unsigned bpp = data[16];

    if (id_length != 0) return refuse(why, "TGA image ID not supported");
    if (type & 8) return refuse(why, "run-length TGA not supported");

    long long palette_bytes = 0;
    if (type == 1) {
        // The palette is read into a 256-entry buffer on the stack: exactly 256 of 24 bits.
        if (cmap_type != 1 || cmap_first != 0 || cmap_count != 256 || cmap_bits != 24)
            return refuse(why, "TGA palette other than 256 entries of 24 bits");
        if (bpp != 8) return refuse(why, "palette TGA with " + std::to_string(bpp) + " bits");
        palette_bytes = 256 * 3;
    } else if (type == 2) {
        if (cmap_type != 0 || cmap_count != 0)
            return refuse(why, "true-colour TGA with a palette");
        if (bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32)
            return refuse(why, "TGA with " + std::to_string(bpp) + " bits per pixel");
    } else {
        return refuse(why, "TGA image type " + std::to_string(type) + " not supported");
    }

    if (!check_dimensions(w, h, why)) return false;
    const long long need = static_cast<long long>(kHeader) + palette_bytes + w * h * ((bpp + 7) / 8);
    if (static_cast<unsigned long long>(need) > size)
        return refuse(why, "TGA data truncated: " + std::to_string(size) + " of " +
                               std::to_string(need) + " bytes");
    return true;
}

bool check_bmp_image(const unsigned char* data, std::size_t size, std::string* why) {
    constexpr std::size_t kFileHeader = 14;
    constexpr std::uint32_t kInfoHeader = 40;
    if (!data || size < kFileHeader + kInfoHeader) return refuse(why, "BMP header truncated");
    if (data[0] != 'B' || data[1] != 'M') return refuse(why, "not a BMP file");
    const long long offset = le32(data + 10);
    const std::uint32_t info_size = le32(data + 14);
    const long long w = std::int32_t(le32(data + 18));
    const long long h = std::int32_t(le32(data + 22));
    const unsigned bpp = le16(data + 28);
    const std::uint32_t compression = le32(data + 30);
    const std::uint32_t colours_used = le32(data + 46);

    if (info_size != kInfoHeader) return refuse(why, "BMP info header not supported");
    if (compression != 0) return refuse(why, "compressed BMP not supported");
    if (h < 0) return refuse(why, "top-down BMP not supported");
    if (!check_dimensions(w, h, why)) return false;

    long long first_pixel = kFileHeader + kInfoHeader;
    if (bpp == 8) {
        // Fewer palette entries leave the rest of the loader's palette unset.
        if (colours_used != 0 && colours_used != 256)
            return refuse(why, "BMP palette other than 256 entries");
        first_pixel += 256 * 4;
    } else if (bpp != 24 && bpp != 32) {
        return refuse(why, "BMP with " + std::to_string(bpp) + " bits per pixel");
    }
    if (offset < first_pixel) return refuse(why, "BMP pixel offset inside its headers");

    const long long row = (w * bpp + 31) / 32 * 4;
    const long long need = offset + row * h;
    if (static_cast<unsigned long long>(need) > size)
        return refuse(why, "BMP data truncated: " + std::to_string(size) + " of " +
                               std::to_string(need) + " bytes");
    return true;
}

BITMAP* decode_tga_image(const unsigned char* data, std::size_t size, std::string* why) {
    if (!check_tga_image(data, size, why)) return nullptr;
    return decode_from_memory(data, size, load_tga_pf, why);
}

BITMAP* decode_bmp_image(const unsigned char* data, std::size_t size, std::string* why) {
    if (!check_bmp_image(data, size, why)) return nullptr;
    return decode_from_memory(data, size, load_bmp_pf, why);
}

BITMAP* load_checked_bitmap(const std::string& path, std::string* why) {
    const std::string ext = lower_extension(path);
    if (ext != "bmp" && ext != "tga") {
        refuse(why, "unsupported image type \"" + ext + "\"");
        return nullptr;
    }

    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        refuse(why, "cannot open the file");
        return nullptr;
    }
    // Headers and palette on top of the largest accepted picture.
    constexpr long long kMaxFile = kMaxImageBytes + 65536;
    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
        if (static_cast<long long>(bytes.size() + n) > kMaxFile) {
            std::fclose(f);
            refuse(why, "file too large");
            return nullptr;
        }
        bytes.insert(bytes.end(), block, block + n);
    }
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) {
        refuse(why, "read error");
        return nullptr;
    }

    return ext == "bmp" ? decode_bmp_image(bytes.data(), bytes.size(), why)
                        : decode_tga_image(bytes.data(), bytes.size(), why);
}
