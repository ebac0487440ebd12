#ifndef VORLIN_BASE_ASSERTION_H
#define VORLIN_BASE_ASSERTION_H

#include <string>

// Shows "Debug assertion failed!" with the expression and "file:line in function",
// writes the same three lines to standard error, and aborts: no exit handlers run,
// so the configuration file keeps what it held before this run.
// Without a graphics mode the alert box is skipped (it would have nothing to draw on).
[[noreturn]] void report_assertion(const char* file, int line, const char* function,
                                   const char* expression);

// Called by report_assertion with its four values before anything is shown. A handler
// that returns changes nothing (the report and the abort follow); one that throws ends
// the report there, with nothing shown and nothing aborted. Only the fuzz harnesses set
// one, so that input the game refuses is told apart from a real memory fault.
using AssertionHandler = void (*)(const char* file, int line, const char* function,
                                  const char* expression);
// Installs `handler` (null: none) and returns the one it replaces.
AssertionHandler set_assertion_handler(AssertionHandler handler);

// "/abs/path/src/game/game.cpp" -> "src/game/game.cpp": reports name the source as it
// lies in the tree, wherever the build happened.
const char* source_path(const char* file);

// "void Game::Go(const std::string&, int)" -> "Game::Go".
std::string qualified_function(const char* pretty_function);

// Fatal check of resource acquisition. `text` is shown character for character.
#define VORLIN_CHECK(cond, text)                                                          \
    do {                                                                                  \
        if (!(cond))                                                                      \
            report_assertion(source_path(__FILE__), __LINE__,                             \
                             qualified_function(__PRETTY_FUNCTION__).c_str(), (text));    \
    } while (0)

// The usual form: the expression is both evaluated and shown, e.g.
// VORLIN_ASSERT(buffer = create_bitmap(SCREEN_W, SCREEN_H)).
#define VORLIN_ASSERT(expr) VORLIN_CHECK((expr), #expr)

#endif
