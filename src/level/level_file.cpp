#include "level/level_file.h"

#include <allegro.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "level/image_check.h"
#include "level/level.h"

namespace {

bool refuse(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return false;
}

// The size a TGA header claims; the header itself is checked by check_tga_image.
void tga_size(const std::vector<unsigned char>& data, std::size_t start, int* w, int* h) {
    *w = data[start + 12] | (data[start + 13] << 8);
    *h = data[start + 14] | (data[start + 15] << 8);
}

// One image chunk of a file just written: a sound TGA of the level's size.
bool verify_image(const std::vector<unsigned char>& data, std::size_t start, const BITMAP* bmp,
                  const char* what, std::string* why) {
    std::string reason;
    if (!check_tga_image(data.data() + start, data.size() - start, &reason))
        return refuse(why, std::string(what) + ": " + reason);
    int w, h;
    tga_size(data, start, &w, &h);
    if (w != bmp->w || h != bmp->h) return refuse(why, std::string(what) + ": wrong size");
    return true;
}

// Reads the file back as the game will and checks that it holds the whole level: every
// chunk complete, every image of the level's size, nothing missing and nothing after.
bool verify_level_file(const std::string& file, const Level& level, std::string* why) {
    PACKFILE* pf = pack_fopen(file.c_str(), "rp");
    if (!pf) return refuse(why, "the file does not open as a packed file");
    std::vector<unsigned char> chunk;
    bool ok = read_level_chunk(pf, &chunk, why) && verify_image(chunk, 0, level.mask, "mask", why);
    if (ok) ok = read_level_chunk(pf, &chunk, why);
    if (ok) {
        const bool present = !chunk.empty() && chunk[0] != 0;
        if (chunk.empty() || present != (level.undiggable != nullptr))
            ok = refuse(why, "undiggable flag lost");
        else if (present)
            ok = verify_image(chunk, 1, level.undiggable, "undiggable map", why);
    }
    if (ok)
        ok = read_level_chunk(pf, &chunk, why) &&
             verify_image(chunk, 0, level.foreground, "foreground", why);
    if (ok)
        ok = read_level_chunk(pf, &chunk, why) &&
             verify_image(chunk, 0, level.background, "background", why);
    if (ok && pack_getc(pf) != EOF) ok = refuse(why, "data after the last chunk");
    pack_fclose(pf);
    return ok;
}

bool sync_path(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags);
    if (fd < 0) return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string errno_text(int err, const char* otherwise) {
    return err ? std::strerror(err) : otherwise;
}

}  // namespace

bool read_level_chunk(PACKFILE* pf, std::vector<unsigned char>* data, std::string* why) {
    data->clear();
    unsigned char header[8];
    for (unsigned char& byte : header) {
        const int c = pack_getc(pf);
        if (c == EOF) return refuse(why, "chunk header truncated");
        byte = static_cast<unsigned char>(c);
    }
    // The first word is the stored size, the second the data size; an unpacked chunk has
    // both equal, and the second (as in the library's reader) is what counts. Negative
    // means a compressed chunk, which a level file never holds.
    const std::int32_t length = std::int32_t(std::uint32_t(header[4]) << 24 |
                                             std::uint32_t(header[5]) << 16 |
                                             std::uint32_t(header[6]) << 8 | header[7]);
    if (length < 0) return refuse(why, "compressed or negative chunk length");
    if (length > kMaxLevelChunk)
        return refuse(why, "chunk length " + std::to_string(length) + " too large");

    // Grown only as the data arrives: a lying length costs no more memory than the file.
    constexpr long kBlock = 1 << 20;
    long remaining = length;
    while (remaining > 0) {
        const long want = std::min(remaining, kBlock);
        const std::size_t old = data->size();
        data->resize(old + std::size_t(want));
        const long got = pack_fread(data->data() + old, want, pf);
        if (got != want)
            return refuse(why, "chunk data truncated: " +
                                   std::to_string(long(old) + std::max(got, 0L)) + " of " +
                                   std::to_string(length) + " bytes");
        remaining -= want;
    }
    return true;
}

bool write_level_file(const Level& level, const std::string& path, std::string* error) {
    auto fail = [&](const std::string& reason) {
        if (error) *error = "Unable to write " + path + ": " + reason;
        return false;
    };

    std::string pattern = path + ".tmpXXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return fail(errno_text(errno, "cannot create a temporary file"));
    const std::string temp = pattern;
    // mkstemp makes the file private; give it the mode any new file of ours would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);

    auto fail_and_remove = [&](const std::string& reason) {
        std::remove(temp.c_str());
        return fail(reason);
    };

    errno = 0;
    PACKFILE* pf = pack_fopen(temp.c_str(), "wp");
    if (!pf) return fail_and_remove(errno_text(errno, "cannot open the temporary file"));
    errno = 0;
    bool ok = level.Save(pf);
    int err = errno;
    ok = !pack_ferror(pf) && ok;
    // The library reports no error for the last buffer written on closing; reading the
    // file back below catches what is missing.
    if (pack_fclose(pf) != 0) ok = false;
    if (!ok) return fail_and_remove(errno_text(err, "the data could not be written"));

    std::string why;
    if (!verify_level_file(temp, level, &why))
        return fail_and_remove("the written file is incomplete (" + why + ")");
    if (!sync_path(temp, O_RDONLY)) return fail_and_remove(errno_text(errno, "cannot flush"));
    if (std::rename(temp.c_str(), path.c_str()) != 0)
        return fail_and_remove(errno_text(errno, "cannot rename the temporary file"));
    // Makes the rename itself durable; the file is complete either way.
    sync_path(folder_of(path), O_RDONLY | O_DIRECTORY);
    return true;
}
