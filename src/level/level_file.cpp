#include "level/level_file.h"

#include <allegro.h>
#include <allegro/lzss.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "level/image_check.h"
#include "level/level.h"
#include "level/level_chunk.h"

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

// Checks the content the level was saved as, before it is packed: every chunk complete,
// every image of the level's size, nothing missing and nothing after.
bool verify_content(const std::vector<unsigned char>& content, const Level& level,
                    std::string* why) {
    PACKFILE* pf = open_memory_packfile(content.data(), content.size());
    if (!pf) return refuse(why, "out of memory");
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

// A write-only packfile that collects what the LZSS packer emits.
int sink_fclose(void*) { return 0; }
int sink_getc(void*) { return EOF; }
int sink_ungetc(int, void*) { return EOF; }
long sink_fread(void*, long, void*) { return 0; }
int sink_putc(int c, void* userdata) {
    static_cast<std::vector<unsigned char>*>(userdata)->push_back(static_cast<unsigned char>(c));
    return c;
}
long sink_fwrite(const void* p, long n, void* userdata) {
    const auto* bytes = static_cast<const unsigned char*>(p);
    auto* out = static_cast<std::vector<unsigned char>*>(userdata);
    out->insert(out->end(), bytes, bytes + n);
    return n;
}
int sink_fseek(void*, int) { return -1; }
int sink_feof(void*) { return 0; }
int sink_ferror(void*) { return 0; }
const PACKFILE_VTABLE sink_vtable = {sink_fclose, sink_getc,  sink_ungetc, sink_fread, sink_putc,
                                     sink_fwrite, sink_fseek, sink_feof,   sink_ferror};

// The on-disk form of a "wp" packfile holding `content`: the packed magic, then the
// LZSS stream, byte for byte what the library's packed writer produces. Packing in
// memory keeps the library's packer away from a failing disk: it crashes when a write
// under it fails.
bool pack_content(const std::vector<unsigned char>& content, std::vector<unsigned char>* packed) {
    packed->assign({'s', 'l', 'h', '!'});
    if (content.size() > std::size_t(INT32_MAX)) return false;
    PACKFILE* sink = pack_fopen_vtable(&sink_vtable, packed);
    LZSS_PACK_DATA* state = create_lzss_pack_data();
    bool ok = sink && state;
    if (ok)
        ok = lzss_write(sink, state, int(content.size()),
                        const_cast<unsigned char*>(content.data()), 1) == 0;
    if (state) free_lzss_pack_data(state);
    if (sink) pack_fclose(sink);
    return ok;
}

bool read_whole_file(const std::string& path, std::vector<unsigned char>* bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    unsigned char block[65536];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes->insert(bytes->end(), block, block + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Replaces the file's contents with `bytes`, checking every write, the flush to disk and
// the close.
bool overwrite_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            close(fd);
            errno = err;
            return false;
        }
        done += std::size_t(n);
    }
    if (fsync(fd) != 0) {
        const int err = errno;
        close(fd);
        errno = err;
        return false;
    }
    return close(fd) == 0;
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

    // The chunks go into the temporary file unpacked first (the library writes chunks
    // only into a file of its own), are read back and checked, and are then packed in
    // memory and written over it.
    PACKFILE* pf = pack_fopen(temp.c_str(), "w");
    if (!pf) return fail_and_remove(errno_text(errno, "cannot open the temporary file"));
    // The library keeps no trustworthy errno for a failed packfile write.
    bool ok = level.Save(pf);
    ok = !pack_ferror(pf) && ok;
    if (pack_fclose(pf) != 0) ok = false;
    if (!ok) return fail_and_remove("the data could not be written completely");

    std::vector<unsigned char> content;
    if (!read_whole_file(temp, &content))
        return fail_and_remove(errno_text(errno, "cannot read the temporary file"));
    std::string why;
    if (!verify_content(content, level, &why))
        return fail_and_remove("the written data is incomplete (" + why + ")");

    std::vector<unsigned char> packed;
    if (!pack_content(content, &packed)) return fail_and_remove("cannot pack the data");
    content = std::vector<unsigned char>();
    if (!overwrite_file(temp, packed))
        return fail_and_remove(errno_text(errno, "the data could not be written"));
    std::vector<unsigned char> back;
    if (!read_whole_file(temp, &back) || back != packed)
        return fail_and_remove("the written file does not read back");

    if (std::rename(temp.c_str(), path.c_str()) != 0)
        return fail_and_remove(errno_text(errno, "cannot rename the temporary file"));
    // Makes the rename itself durable; the file is complete either way.
    sync_path(folder_of(path), O_RDONLY | O_DIRECTORY);
    return true;
}

bool check_level_file(const std::string& path, std::string* why) {
    PACKFILE* pf = pack_fopen(path.c_str(), "rp");
    if (!pf) return refuse(why, "not a level file");
    std::vector<unsigned char> chunk;
    int w = 0, h = 0;
    // Each picture a TGA the game itself could have written, all of the mask's size.
    auto image = [&](std::size_t start, const char* what) {
        std::string reason;
        if (chunk.size() < start || !check_tga_image(chunk.data() + start, chunk.size() - start, &reason))
            return refuse(why, std::string(what) + ": " + reason);
        int cw, ch;
        tga_size(chunk, start, &cw, &ch);
        if (w == 0) w = cw, h = ch;
        if (cw != w || ch != h) return refuse(why, std::string(what) + ": not the mask's size");
        return true;
    };
    bool ok = read_level_chunk(pf, &chunk, why) && image(0, "mask");
    if (ok) ok = read_level_chunk(pf, &chunk, why);
    if (ok && chunk.empty()) ok = refuse(why, "no undiggable flag");
    if (ok && chunk[0] != 0) ok = image(1, "undiggable map");
    if (ok) ok = read_level_chunk(pf, &chunk, why) && image(0, "foreground");
    if (ok) ok = read_level_chunk(pf, &chunk, why) && image(0, "background");
    if (ok && pack_getc(pf) != EOF) ok = refuse(why, "data after the last chunk");
    pack_fclose(pf);
    return ok;
}
