#include "base/assertion.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

// The text as a POSIX extended regular expression matching it literally.
std::string literal(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) out += '\\';
        out += c;
    }
    return out;
}

// The three lines of a report, one after the other on standard error.
std::string report_pattern(const std::string& expression, const std::string& location) {
    return literal("Debug assertion failed!\n" + expression + "\n" + location + "\n");
}

constexpr int kCheckLine = __LINE__ + 1;
void require_pair(int v) { VORLIN_ASSERT(v == 2); }

namespace probe {
struct Widget {
    Widget(int, const char*) { constructor_name = qualified_function(__PRETTY_FUNCTION__); }
    static std::string StaticName() { return qualified_function(__PRETTY_FUNCTION__); }
    virtual ~Widget() = default;
    virtual const char* Virtual(int) const {
        name = qualified_function(__PRETTY_FUNCTION__);
        return name.c_str();
    }
    bool operator<(const Widget&) const {
        name = qualified_function(__PRETTY_FUNCTION__);
        return false;
    }
    std::string constructor_name;
    mutable std::string name;
};
}  // namespace probe

}  // namespace

TEST(QualifiedFunction, StripsReturnTypeSpecifiersAndParameters) {
    const struct {
        const char* pretty;
        const char* name;
    } cases[] = {
        {"void Game::Go(const std::string&, int)", "Game::Go"},
        {"Game::Console::Console(Game*, int, int, int)", "Game::Console::Console"},
        {"static int Level::CheckP(int, int, int, int)", "Level::CheckP"},
        {"bool init()", "init"},
        {"virtual void Particle::Update(Game*, double)", "Particle::Update"},
        {"Level::~Level()", "Level::~Level"},
        {"const char* source_path(const char*)", "source_path"},
        {"std::map<int, std::pair<int, int> > Foo::Get() const", "Foo::Get"},
        {"bool Foo::operator<(const Foo&) const", "Foo::operator<"},
        {"Foo& Foo::operator<<=(int)", "Foo::operator<<="},
        {"void Foo::operator()(int)", "Foo::operator()"},
        {"Foo::operator bool() const", "Foo::operator bool"},
        {"void {anonymous}::helper()", "{anonymous}::helper"},
        {"void (anonymous namespace)::helper(int)", "(anonymous namespace)::helper"},
        {"T Box<T>::Get() [with T = int]", "Box<T>::Get"},
        {"Game::Go(const std::string&, int)::<lambda(int)>", "Game::Go"},
        {"main", "main"},
    };
    for (const auto& c : cases) EXPECT_EQ(qualified_function(c.pretty), c.name) << c.pretty;
}

TEST(QualifiedFunction, NamesWhatTheCompilerReports) {
    probe::Widget w(1, "x");
    EXPECT_EQ(w.constructor_name, "{anonymous}::probe::Widget::Widget");
    EXPECT_EQ(probe::Widget::StaticName(), "{anonymous}::probe::Widget::StaticName");
    EXPECT_STREQ(w.Virtual(3), "{anonymous}::probe::Widget::Virtual");
    (void)(w < w);
    EXPECT_EQ(w.name, "{anonymous}::probe::Widget::operator<");
}

TEST(SourcePath, StartsAtTheSourceFolder) {
    EXPECT_STREQ(source_path("/home/dev/vorlin/src/game/game.cpp"), "src/game/game.cpp");
    EXPECT_STREQ(source_path("src/level/level.cpp"), "src/level/level.cpp");
    EXPECT_STREQ(source_path("../src/main/startup.cpp"), "src/main/startup.cpp");
    // A checkout below another "src" folder: the innermost one is the tree's.
    EXPECT_STREQ(source_path("/usr/src/vorlin/src/level/terrain.cpp"), "src/level/terrain.cpp");
    EXPECT_STREQ(source_path("game.cpp"), "game.cpp");
}

TEST(AssertionReport, PassingCheckEvaluatesOnceAndContinues) {
    int evaluations = 0;
    VORLIN_ASSERT(++evaluations == 1);
    EXPECT_EQ(evaluations, 1);
    BITMAP* bmp = nullptr;
    VORLIN_ASSERT(bmp = create_bitmap(4, 4));
    ASSERT_NE(bmp, nullptr);
    destroy_bitmap(bmp);
}

TEST(AssertionReportDeathTest, AbortsWithTheThreeLinesOnStandardError) {
    const std::string file = source_path("/build/vorlin/src/game/game.cpp");
    EXPECT_EXIT(report_assertion(file.c_str(), 123, "Game::Go", "buffer = create_bitmap(SCREEN_W, SCREEN_H)"),
                ::testing::KilledBySignal(SIGABRT),
                report_pattern("buffer = create_bitmap(SCREEN_W, SCREEN_H)", "src/game/game.cpp:123 in Game::Go"));
}

TEST(AssertionReportDeathTest, ExpressionTextIsShownCharacterForCharacter) {
    EXPECT_EXIT(report_assertion("src/game/game_load.cpp", 7, "Game::Load", "pf = pack_fopen(file.c_str(), \"rp\")"),
                ::testing::KilledBySignal(SIGABRT),
                report_pattern("pf = pack_fopen(file.c_str(), \"rp\")", "src/game/game_load.cpp:7 in Game::Load"));
}

// Stands in for the library's own handler, which would write the configuration file.
static void exit_quietly(int) { _exit(3); }

TEST(AssertionReportDeathTest, NoSignalHandlerRunsOnTheWayOut) {
    EXPECT_EXIT(
        {
            std::signal(SIGABRT, exit_quietly);
            report_assertion("src/level/level.cpp", 1, "Level::Level", "mask = load_bitmap(maskf.c_str(), NULL)");
        },
        ::testing::KilledBySignal(SIGABRT), "Debug assertion failed!");
}

TEST(AssertionReportDeathTest, FailingCheckReportsItsOwnLocation) {
    const std::string location =
        std::string(source_path(__FILE__)) + ":" + std::to_string(kCheckLine) + " in {anonymous}::require_pair";
    EXPECT_EXIT(require_pair(3), ::testing::KilledBySignal(SIGABRT), report_pattern("v == 2", location));
    require_pair(2);
}

namespace {

struct Refusal {
    std::string file, function, expression;
    int line;
};

[[noreturn]] void throw_refusal(const char* file, int line, const char* function, const char* expression) {
    throw Refusal{file, function, expression, line};
}

void note_and_return(const char*, int line, const char* function, const char* expression) {
    std::fprintf(stderr, "handler saw %s at %d in %s\n", expression, line, function);
}

}  // namespace

TEST(AssertionHandler, AThrowingHandlerTakesTheReportsPlace) {
    ASSERT_EQ(set_assertion_handler(throw_refusal), nullptr) << "no handler is set by default";
    bool caught = false;
    try {
        require_pair(3);
    } catch (const Refusal& r) {
        caught = true;
        EXPECT_EQ(r.file, source_path(__FILE__));
        EXPECT_EQ(r.line, kCheckLine);
        EXPECT_EQ(r.function, "{anonymous}::require_pair");
        EXPECT_EQ(r.expression, "v == 2");
    }
    EXPECT_EQ(set_assertion_handler(nullptr), &throw_refusal);
    EXPECT_TRUE(caught);
    // A passing check never calls it.
    set_assertion_handler(throw_refusal);
    EXPECT_NO_THROW(require_pair(2));
    set_assertion_handler(nullptr);
}

TEST(AssertionHandlerDeathTest, AHandlerThatReturnsChangesNothing) {
    EXPECT_EXIT(
        {
            set_assertion_handler(note_and_return);
            require_pair(3);
        },
        ::testing::KilledBySignal(SIGABRT),
        literal("handler saw v == 2 at " + std::to_string(kCheckLine) + " in {anonymous}::require_pair\n") +
            report_pattern("v == 2", std::string(source_path(__FILE__)) + ":" + std::to_string(kCheckLine) +
                                         " in {anonymous}::require_pair"));
}
