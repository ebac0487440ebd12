#include "base/assertion.h"

#include <allegro.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

AssertionHandler assertion_handler = nullptr;

}  // namespace

AssertionHandler set_assertion_handler(AssertionHandler handler) {
    const AssertionHandler old = assertion_handler;
    assertion_handler = handler;
    return old;
}

void report_assertion(const char* file, int line, const char* function, const char* expression) {
    if (assertion_handler) assertion_handler(file, line, function, expression);

    const std::string location =
        std::string(file ? file : "?") + ":" + std::to_string(line) + " in " + (function ? function : "?");
    const char* text = expression ? expression : "";

    // Standard error first: it survives even when the box cannot be shown.
    std::fprintf(stderr, "Debug assertion failed!\n%s\n%s\n", text, location.c_str());
    std::fflush(stderr);

    // The alert draws on the screen; before a graphics mode is set there is none.
    if (screen && gfx_driver) alert("Debug assertion failed!", text, location.c_str(), "&Darn", nullptr, 0, 0);

    // Allegro's platform drivers catch SIGABRT and shut the library down from the
    // handler, which writes the configuration file after all. The report must leave that
    // file as it was, so the default action comes back first.
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
}

const char* source_path(const char* file) {
    if (!file) return "";
    if (std::strncmp(file, "src/", 4) == 0) return file;
    // The last "/src/" is the tree's own: a checkout may itself lie below some other src folder.
    const char* found = nullptr;
    for (const char* p = std::strstr(file, "/src/"); p; p = std::strstr(p + 1, "/src/")) found = p;
    return found ? found + 1 : file;
}

namespace {

bool is_identifier_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Length of the operator symbol that follows the keyword "operator" at `p` ("()", "[]",
// "<<=", "->*", ...), or of a conversion operator's type up to its parameter list.
std::size_t operator_symbol_length(const std::string& s, std::size_t p) {
    std::size_t i = p;
    while (i < s.size() && s[i] == ' ') ++i;
    if (s.compare(i, 2, "()") == 0 || s.compare(i, 2, "[]") == 0) return i + 2 - p;
    const std::size_t symbol_start = i;
    while (i < s.size() && std::strchr("+-*/%^&|~!=<>,", s[i])) ++i;
    if (i > symbol_start) return i - p;
    // new, delete, new[], conversion to a type: everything up to the parameter list.
    int depth = 0;
    while (i < s.size() && !(depth == 0 && s[i] == '(')) {
        if (s[i] == '<') ++depth;
        if (s[i] == '>') --depth;
        ++i;
    }
    return i - p;
}

}  // namespace

std::string qualified_function(const char* pretty_function) {
    if (!pretty_function) return std::string();
    std::string s = pretty_function;

    // Find the parameter list: the first '(' outside template arguments, skipping the
    // symbol of an operator and GCC's and Clang's names for anonymous namespaces.
    std::size_t paren = std::string::npos;
    std::size_t name_limit = std::string::npos;  // where the backwards search may start
    int angle = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '(' && s.compare(i, 21, "(anonymous namespace)") == 0) {
            i += 20;
            continue;
        }
        if (s.compare(i, 8, "operator") == 0 && (i == 0 || !is_identifier_char(s[i - 1])) &&
            (i + 8 >= s.size() || !is_identifier_char(s[i + 8]))) {
            name_limit = i;
            i += 8 + operator_symbol_length(s, i + 8) - 1;
            continue;
        }
        if (c == '<') ++angle;
        else if (c == '>' && angle > 0) --angle;
        else if (c == '(' && angle == 0) {
            paren = i;
            break;
        }
    }
    if (paren == std::string::npos) paren = s.size();
    if (name_limit == std::string::npos || name_limit > paren) name_limit = paren;

    // The name starts after the last blank outside template arguments and parentheses:
    // everything before it is the return type and specifiers such as "static" or "virtual".
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = name_limit; i-- > 0;) {
        const char c = s[i];
        if (c == '>' || c == ')') ++depth;
        else if ((c == '<' || c == '(') && depth > 0) --depth;
        else if (c == ' ' && depth == 0) {
            start = i + 1;
            break;
        }
    }
    return s.substr(start, paren - start);
}
