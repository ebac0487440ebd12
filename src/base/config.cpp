#include "base/config.h"

#include <allegro.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// True when nothing but blanks is left at `end`.
bool only_blanks(const char* end) {
    while (*end && std::isspace(static_cast<unsigned char>(*end))) ++end;
    return *end == '\0';
}

}  // namespace

int config_int(const char* section, const char* key, int def, int lo, int hi) {
    const char* text = get_config_string(section, key, nullptr);
    if (!text) return def;
    // Decimal only: the library writes decimal, and a leading zero must not turn a
    // hand-edited "010" into eight.
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || !only_blanks(end)) return def;
    if (value < lo || value > hi) return def;
    return static_cast<int>(value);
}

double config_float(const char* section, const char* key, double def, double lo, double hi) {
    const char* text = get_config_string(section, key, nullptr);
    if (!text) return def;
    // Decimal notation only, like the integers: strtod would also take hexadecimal.
    if (std::strpbrk(text, "xX")) return def;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (end == text || errno == ERANGE || !only_blanks(end)) return def;
    if (!std::isfinite(value) || value < lo || value > hi) return def;
    return value;
}

int config_choice(const char* section, const char* key, const char* const* choices, int def) {
    const char* text = get_config_string(section, key, nullptr);
    if (!text) return def;
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    for (int i = 0; choices[i]; ++i) {
        const std::size_t n = std::strlen(choices[i]);
        if (std::strncmp(text, choices[i], n) == 0 && only_blanks(text + n)) return i;
    }
    return def;
}
