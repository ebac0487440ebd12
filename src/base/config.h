#ifndef VORLIN_BASE_CONFIG_H
#define VORLIN_BASE_CONFIG_H

// Checked reads of "vorlin.ini". Allegro's own readers accept "abc" as 0, "12abc" as 12,
// wrap huge numbers and pass "nan" and "inf" through; these take the documented default
// unless the whole value parses and lies within [lo, hi]. Nothing is written back.

int config_int(const char* section, const char* key, int def, int lo, int hi);
double config_float(const char* section, const char* key, double def, double lo, double hi);
// The position of the value in `choices` (a null-terminated list of words), blanks around
// it aside; `def` when it is none of them.
int config_choice(const char* section, const char* key, const char* const* choices, int def);

#endif
