#ifndef VORLIN_BASE_OPTION_PARSER_H
#define VORLIN_BASE_OPTION_PARSER_H

#include <string>
#include <vector>

// Long GNU-style options: "--name VALUE" or "--name=VALUE" for an option with a value,
// "--name" for a flag. No positional arguments. A program declares its options, parses,
// and then checks how they combine.
class OptionParser {
public:
    void Flag(const char* name, bool* target);
    void Value(const char* name, std::string* target);
    // "--name", "--name VALUE" or "--name=VALUE": the next argument is its value unless
    // it starts with "-". *given tells whether the option appeared at all.
    void Optional(const char* name, std::string* target, bool* given);

    // False with the reason ("unknown option --x", "--replay needs a value", ...).
    bool Parse(int argc, const char* const* argv, std::string* why) const;

private:
    struct Option {
        std::string name;  // without the dashes
        bool* flag;
        std::string* value;
        bool optional;
    };
    const Option* Find(const std::string& name) const;

    std::vector<Option> options_;
};

#endif
