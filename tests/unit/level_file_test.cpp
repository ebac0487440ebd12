#include "level/level_file.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "level/level.h"
#include "base/assertion.h"
#include "main/bootstrap.h"
#include "support/test_support.h"

using testsupport::load_level_file;
using testsupport::make_level;
using testsupport::read_file;
using testsupport::ScopedForkingDeathTests;
using testsupport::set_le16;
using testsupport::TempDir;
using testsupport::write_file;

namespace {

using Bytes = std::string;

// What the assertion report writes to standard error for a check in the level source.
std::string report(const std::string& text_regex, const std::string& function) {
    return "Debug assertion failed!\n" + text_regex + "\nsrc/level/level.cpp:[0-9]+ in " + function;
}
const char* const kMaskStep = "mask = load_tga_pf\\(pf, NULL\\)";
const char* const kUndiggableStep = "undiggable = load_tga_pf\\(pf, NULL\\)";
const char* const kForegroundStep = "foreground = load_tga_pf\\(pf, NULL\\)";
const char* const kBackgroundStep = "background = load_tga_pf\\(pf, NULL\\)";

Bytes be32(std::uint32_t v) {
    return Bytes{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// One unpacked chunk; `length` overrides the length words.
Bytes chunk(const Bytes& data, std::int64_t length = -1) {
    const std::uint32_t n = length < 0 ? std::uint32_t(data.size()) : std::uint32_t(length);
    return be32(n) + be32(n) + data;
}

Bytes tga_of(BITMAP* bmp) { return testsupport::file_bytes_of(bmp, "i.tga"); }

// The four images of a small level as TGAs, ready to be put into chunks.
struct Images {
    Bytes mask, undiggable, foreground, background;
};

Images images(int w = 40, int h = 30) {
    auto level = make_level(w, h, [](int, int y) { return y >= 20; }, [](int, int y) { return y >= 28; });
    return {tga_of(level->mask), tga_of(level->undiggable), tga_of(level->foreground),
            tga_of(level->background)};
}

Bytes content(const Images& im, bool with_undiggable = true) {
    return chunk(im.mask) + chunk(with_undiggable ? "\1" + im.undiggable : Bytes(1, '\0')) +
           chunk(im.foreground) + chunk(im.background);
}

// Packs `bytes` as the decompressed content of a level file.
void write_level_bytes(const std::string& path, const Bytes& bytes) {
    PACKFILE* pf = pack_fopen(path.c_str(), "wp");
    ASSERT_NE(pf, nullptr);
    pack_fwrite(bytes.data(), long(bytes.size()), pf);
    pack_fclose(pf);
}

class LevelFile : public ::testing::Test {
protected:
    // The level file holding `bytes` must end in the report of `step`.
    void expect_refused(const Bytes& bytes, const std::string& step,
                        const std::string& function = "Level::Load") {
        write_level_bytes(path_, bytes);
        EXPECT_DEATH(load_level_file(path_), report(step, function));
    }

    ScopedForkingDeathTests forking_;
    TempDir dir_;
    std::string path_ = dir_.file("map.lvl");
    Images im_ = images();
};

TEST_F(LevelFile, CraftedLevelFilesLoad) {
    write_level_bytes(path_, content(im_));
    auto level = load_level_file(path_);
    ASSERT_NE(level->undiggable, nullptr);
    EXPECT_EQ(level->width, 40);
    EXPECT_TRUE(level->IsSolid(3, 25));
    // Any flag byte but 0 announces the map.
    write_level_bytes(path_, chunk(im_.mask) + chunk("\x7f" + im_.undiggable) +
                                 chunk(im_.foreground) + chunk(im_.background));
    EXPECT_NE(load_level_file(path_)->undiggable, nullptr);
}

TEST_F(LevelFile, TruncatedFilesEndInTheReportOfTheirStep) {
    const Bytes whole = content(im_);
    expect_refused("", kMaskStep);
    expect_refused(whole.substr(0, 5), kMaskStep);
    expect_refused(whole.substr(0, 8 + im_.mask.size() / 2), kMaskStep);
    const std::size_t third = 8 + im_.mask.size() + 9 + im_.undiggable.size();
    expect_refused(whole.substr(0, third), kForegroundStep);
    expect_refused(whole.substr(0, whole.size() - 1), kBackgroundStep);
    // A flag chunk of length 0: the missing flag counts as "map present", which then fails.
    expect_refused(chunk(im_.mask) + chunk(""), kUndiggableStep);

    // The packed file itself cut short: the decompressed content stops early.
    write_level_bytes(path_, whole);
    const Bytes packed = read_file(path_);
    write_file(path_, packed.substr(0, packed.size() / 2));
    EXPECT_DEATH(load_level_file(path_), "Debug assertion failed!\n[a-z]+ = load_tga_pf\\(pf, NULL\\)");
}

TEST_F(LevelFile, GarbageAfterTheMagicIsRefused) {
    Bytes garbage;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += char(seed >> 16);
    }
    write_file(path_, "slh!" + garbage);
    EXPECT_DEATH(load_level_file(path_), "Debug assertion failed!\n[a-z]+ = load_tga_pf\\(pf, NULL\\)");
    // Unpacked garbage as the content.
    expect_refused(garbage, kMaskStep);
}

TEST_F(LevelFile, ChunkLengthsPastTheEndOrNegativeAreRefused) {
    const Bytes rest = chunk("\1" + im_.undiggable) + chunk(im_.foreground);
    expect_refused(chunk(im_.mask, 100000000) + rest, kMaskStep);
    expect_refused(chunk(im_.mask, 0x7FFFFFFF) + rest, kMaskStep);
    expect_refused(chunk(im_.mask, 0xFFFFFFF0u) + rest, kMaskStep);
    expect_refused(chunk(im_.mask, 0x80000000u) + rest, kMaskStep);
    expect_refused(chunk(im_.mask) + rest + chunk(im_.background, im_.background.size() + 1),
                   kBackgroundStep);
    // A chunk shorter than its image: the TGA is incomplete.
    expect_refused(chunk(im_.mask.substr(0, 100)) + rest + chunk(im_.background), kMaskStep);
}

TEST_F(LevelFile, TgaHeadersTheLoaderWouldTrustAreRefused) {
    const Bytes rest = chunk("\1" + im_.undiggable) + chunk(im_.foreground) + chunk(im_.background);
    auto with_mask = [&](const Bytes& mask) { return chunk(mask) + rest; };

    Bytes taller = im_.mask;  // claims 31 rows, holds 30
    set_le16(taller, 14, 31);
    expect_refused(with_mask(taller), kMaskStep);

    Bytes zero = im_.mask;
    set_le16(zero, 12, 0);
    expect_refused(with_mask(zero), kMaskStep);

    Bytes huge = im_.mask;  // 32768 x 32769 x 4 bytes wraps a 32-bit size
    set_le16(huge, 12, 32768);
    set_le16(huge, 14, 32769);
    expect_refused(with_mask(huge), kMaskStep);

    Bytes rle = im_.foreground;
    rle[2] = 10;
    expect_refused(chunk(im_.mask) + chunk("\1" + im_.undiggable) + chunk(rle) + chunk(im_.background),
                   kForegroundStep);

    // A palette image whose header announces 300 entries.
    BITMAP* eight = create_bitmap_ex(8, 40, 30);
    clear_to_color(eight, 3);
    Bytes palette = tga_of(eight);
    destroy_bitmap(eight);
    ASSERT_EQ(palette[1], 1);
    set_le16(palette, 5, 300);
    palette += Bytes(300 * 3, '\0');
    expect_refused(chunk(im_.mask) + chunk("\1" + palette) + chunk(im_.foreground) +
                       chunk(im_.background),
                   kUndiggableStep);

    Bytes id = im_.background;
    id[0] = 5;
    expect_refused(chunk(im_.mask) + rest.substr(0, rest.size() - im_.background.size() - 8) +
                       chunk(id),
                   kBackgroundStep);
}

TEST_F(LevelFile, ImagesOfDifferentSizesAreRefused) {
    const Images small = images(20, 30);
    expect_refused(chunk(im_.mask) + chunk("\1" + im_.undiggable) + chunk(small.foreground) +
                       chunk(im_.background),
                   "level file: foreground is 20x30 but mask is 40x30");
    expect_refused(chunk(im_.mask) + chunk("\1" + small.undiggable) + chunk(im_.foreground) +
                       chunk(im_.background),
                   "level file: undiggable map is 20x30 but mask is 40x30");
    expect_refused(chunk(im_.mask) + chunk(Bytes(1, '\0')) + chunk(im_.foreground) +
                       chunk(small.background),
                   "level file: background is 20x30 but mask is 40x30");
}

TEST_F(LevelFile, NothingMayFollowTheFourthChunk) {
    expect_refused(content(im_) + "x", "pack_getc\\(pf\\) == EOF");
    expect_refused(content(im_, false) + chunk(im_.mask), "pack_getc\\(pf\\) == EOF");
}

// Building from bitmaps: each image is checked, then compared with the mask's size.
class LevelBitmaps : public ::testing::Test {
protected:
    void SetUp() override {
        auto level = make_level(40, 30, [](int, int y) { return y >= 20; }, [](int, int y) { return y >= 28; });
        testsupport::save_level_bitmaps(dir_.path(), *level);
        auto small = make_level(20, 30, [](int, int) { return true; }, [](int, int) { return true; });
        testsupport::save_bitmap_file(dir_.file("small.bmp"), small->mask);
    }
    void build(const std::string& mask, const std::string& undiggable, const std::string& fore,
               const std::string& back) {
        Level level(dir_.file(mask), undiggable.empty() ? "" : dir_.file(undiggable), dir_.file(fore),
                    dir_.file(back));
    }
    std::string report_for(const std::string& text) { return report(text, "Level::Level"); }

    ScopedForkingDeathTests forking_;
    TempDir dir_;
};

TEST_F(LevelBitmaps, MissingOrUnreadableImagesEndInTheReportOfTheirStep) {
    EXPECT_DEATH(build("none.bmp", "", "fore.bmp", "back.bmp"),
                 report_for("mask = load_bitmap\\(maskf.c_str\\(\\), NULL\\)"));
    EXPECT_DEATH(build("mask.bmp", "none.bmp", "fore.bmp", "back.bmp"),
                 report_for("undiggable = load_bitmap\\(undiggablef.c_str\\(\\), NULL\\)"));
    EXPECT_DEATH(build("mask.bmp", "", "none.bmp", "back.bmp"),
                 report_for("foreground = load_bitmap\\(foref.c_str\\(\\), NULL\\)"));

    // A run-length BMP (the loader writes wherever its deltas point): refused unread.
    Bytes rle = read_file(dir_.file("back.bmp"));
    rle[30] = 1;
    write_file(dir_.file("rle.bmp"), rle);
    EXPECT_DEATH(build("mask.bmp", "", "fore.bmp", "rle.bmp"),
                 "compressed BMP not supported\n" +
                     report_for("background = load_bitmap\\(backf.c_str\\(\\), NULL\\)"));
    // Truncated rows.
    const Bytes whole = read_file(dir_.file("fore.bmp"));
    write_file(dir_.file("cut.bmp"), whole.substr(0, whole.size() - 1));
    EXPECT_DEATH(build("mask.bmp", "", "cut.bmp", "back.bmp"),
                 report_for("foreground = load_bitmap\\(foref.c_str\\(\\), NULL\\)"));
}

TEST_F(LevelBitmaps, ImagesOfDifferentSizesNameTheFileAndBothSizes) {
    const std::string folder = dir_.path() + "/";
    const std::string small_vs_mask = folder + "small\\.bmp is 20x30 but " + folder + "mask\\.bmp is 40x30";
    EXPECT_DEATH(build("mask.bmp", "", "small.bmp", "back.bmp"), report_for(small_vs_mask));
    EXPECT_DEATH(build("mask.bmp", "small.bmp", "fore.bmp", "back.bmp"), report_for(small_vs_mask));
    EXPECT_DEATH(build("mask.bmp", "", "fore.bmp", "small.bmp"), report_for(small_vs_mask));
    EXPECT_DEATH(build("small.bmp", "", "fore.bmp", "back.bmp"),
                 report_for(folder + "fore\\.bmp is 40x30 but " + folder + "small\\.bmp is 20x30"));
}

[[noreturn]] void throw_refusal(const char*, int, const char*, const char* expression) {
    throw std::runtime_error(expression);
}

TEST_F(LevelBitmaps, AFailingStepFreesWhatWasLoadedBeforeIt) {
    // Under the fuzz harness the report becomes an exception; a constructor that throws
    // runs no destructor, so the level must free the bitmaps of the steps before.
    std::filesystem::create_directory(dir_.file("big"));
    testsupport::save_level_bitmaps(
        dir_.file("big"),
        *make_level(300, 200, [](int, int y) { return y >= 100; }, [](int, int y) { return y >= 190; }));
    set_assertion_handler(throw_refusal);
    auto attempt = [&](const char* back) {
        try {
            build("big/mask.bmp", "big/undiggable.bmp", "big/fore.bmp", back);
            return std::string("built");
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
    };
    // Once before measuring: the library's and the heap's own first-use allocations.
    EXPECT_EQ(attempt("none.bmp"), "background = load_bitmap(backf.c_str(), NULL)");
    const std::size_t before = testsupport::heap_in_use();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(attempt("none.bmp"), "background = load_bitmap(backf.c_str(), NULL)");
        EXPECT_NE(attempt("mask.bmp").find("but"), std::string::npos);  // 40x30: wrong size
    }
    set_assertion_handler(nullptr);
    // Three pictures of 240 KB each were loaded before every failure: 14 MB if kept.
    EXPECT_LT((long long)testsupport::heap_in_use() - (long long)before, 1 << 20);
}

// Runs `body` in a child process and hands back its exit code and what it wrote to `out`.
int in_child(const std::function<int(std::string*)>& body, std::string* out) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string text;
        const int code = body(&text);
        (void)!write(fds[1], text.data(), text.size());
        _exit(code);
    }
    close(fds[1]);
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out->append(buf, std::size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> folder_entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class LevelFileWriting : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = dir_.file("data");
        std::filesystem::create_directory(data_);
        path_ = data_ + "/map.lvl";
    }
    TempDir dir_;
    std::string data_, path_;
};

TEST_F(LevelFileWriting, WritesACompleteFileAndNothingElse) {
    auto level = make_level(60, 40, [](int x, int y) { return y > 30 || x < 5; }, [](int, int y) { return y > 38; });
    std::string error = "untouched";
    ASSERT_TRUE(write_level_file(*level, path_, &error));
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(folder_entries(data_), std::vector<std::string>{"map.lvl"});
    EXPECT_EQ(read_file(path_).substr(0, 4), "slh!");
    // Readable by anyone, like any file the program makes.
    struct stat st;
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

    auto loaded = load_level_file(path_);
    ASSERT_NE(loaded->undiggable, nullptr);
    EXPECT_TRUE(loaded->IsSolid(2, 2));
    EXPECT_FALSE(loaded->IsSolid(20, 20));

    // Replacing an existing file.
    auto other = make_level(60, 40, [](int, int) { return false; });
    ASSERT_TRUE(write_level_file(*other, path_, &error));
    EXPECT_EQ(folder_entries(data_), std::vector<std::string>{"map.lvl"});
}

TEST_F(LevelFileWriting, UnwritableFolderLeavesNothingBehind) {
    write_file(path_, "the old level");
    auto level = make_level(60, 40, [](int, int y) { return y > 30; });
    // Root writes anywhere: the writer then runs as nobody.
    std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
    std::filesystem::permissions(data_, std::filesystem::perms(0555));
    std::string error;
    const int code = in_child(
        [&](std::string* out) {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 2;
            const bool ok = write_level_file(*level, path_, out);
            return ok ? 1 : 0;
        },
        &error);
    std::filesystem::permissions(data_, std::filesystem::perms(0755));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(error, "Unable to write " + path_ + ": Permission denied");
    EXPECT_EQ(folder_entries(data_), std::vector<std::string>{"map.lvl"});
    EXPECT_TRUE(read_file(path_) == "the old level");

    // A folder that is not there.
    EXPECT_FALSE(write_level_file(*level, dir_.file("none/map.lvl"), &error));
    EXPECT_EQ(error, "Unable to write " + dir_.file("none/map.lvl") + ": No such file or directory");
}

TEST_F(LevelFileWriting, AFailedWriteLeavesNoPartialFile) {
    write_file(path_, "the old level");
    // Noisy pictures that do not compress away.
    auto level = make_level(200, 200, [](int x, int y) { return (x * 31 + y * 17) % 7 < 3; });
    std::uint32_t seed = 1;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            seed = seed * 1664525u + 1013904223u;
            putpixel(level->foreground, x, y, int(seed >> 8) & 0x7F7F7F);
        }
    // As on a full disk: writes past the limit fail, at points from the first chunk to the
    // last bytes of the level.
    for (rlim_t bytes : {1000, 20000, 170000, 300000}) {
        SCOPED_TRACE(bytes);
        std::string error;
        const int code = in_child(
            [&](std::string* out) {
                signal(SIGXFSZ, SIG_IGN);
                rlimit limit{bytes, bytes};
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
                return write_level_file(*level, path_, out) ? 1 : 0;
            },
            &error);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(error.rfind("Unable to write " + path_ + ": ", 0), 0u) << error;
        EXPECT_EQ(folder_entries(data_), std::vector<std::string>{"map.lvl"});
        EXPECT_TRUE(read_file(path_) == "the old level");
    }
}

TEST_F(LevelFileWriting, AFailedRenameLeavesNoTemporaryFile) {
    std::filesystem::create_directory(path_);
    auto level = make_level(20, 20, [](int, int y) { return y > 10; });
    std::string error;
    EXPECT_FALSE(write_level_file(*level, path_, &error));
    EXPECT_EQ(error, "Unable to write " + path_ + ": Is a directory");
    EXPECT_EQ(folder_entries(data_), std::vector<std::string>{"map.lvl"});
}

// The level's bitmaps in the data folder.
class Bootstrap : public LevelFileWriting {
protected:
    void SetUp() override {
        LevelFileWriting::SetUp();
        auto level = make_level(50, 30, [](int, int y) { return y >= 20; }, [](int, int y) { return y >= 28; });
        testsupport::save_level_bitmaps(data_, *level);
    }
    std::unique_ptr<Level> load() { return load_level_file(path_); }
    ScopedForkingDeathTests forking_;
};

TEST_F(Bootstrap, BuildsTheLevelFileOnceAndNeverAgain) {
    std::string error;
    ASSERT_TRUE(bootstrap_level(data_, path_, &error)) << error;
    auto first = load();
    ASSERT_NE(first->undiggable, nullptr);
    EXPECT_EQ(first->width, 50);
    EXPECT_TRUE(first->IsSolid(0, 25));
    const Bytes written = read_file(path_);

    // Different bitmaps, then none at all: the level file stays as it is.
    auto other = make_level(50, 30, [](int, int) { return false; });
    testsupport::save_bitmap_file(data_ + "/mask.bmp", other->mask);
    ASSERT_TRUE(bootstrap_level(data_, path_, &error));
    EXPECT_TRUE(read_file(path_) == written);
    for (const char* name : {"mask.bmp", "fore.bmp", "back.bmp", "undiggable.bmp"})
        std::filesystem::remove(data_ + "/" + name);
    ASSERT_TRUE(bootstrap_level(data_, path_, &error));
    EXPECT_TRUE(read_file(path_) == written);
    EXPECT_EQ(folder_entries(data_), std::vector<std::string>{"map.lvl"});
}

TEST_F(Bootstrap, WithoutAnUndiggableBitmapTheLevelHasNoMap) {
    std::filesystem::remove(data_ + "/undiggable.bmp");
    std::string error;
    ASSERT_TRUE(bootstrap_level(data_, path_, &error)) << error;
    auto level = load();
    EXPECT_EQ(level->undiggable, nullptr);
    EXPECT_TRUE(level->IsSolid(10, 29));
}

TEST_F(Bootstrap, MissingBitmapsEndInTheReport) {
    std::filesystem::remove(data_ + "/fore.bmp");
    std::string error;
    EXPECT_DEATH(bootstrap_level(data_, path_, &error),
                 report("foreground = load_bitmap\\(foref.c_str\\(\\), NULL\\)", "Level::Level"));
}

}  // namespace
