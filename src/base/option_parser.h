#ifndef VORLIN_BASE_OPTION_PARSER_H
#define VORLIN_BASE_OPTION_PARSER_H

#include <string>
#include <vector>

// Long GNU-style options: "--name VALUE" or "--name=VALUE" for an option with a value,
// "--name" for a flag, and at most one positional argument where a program declares one.
// A program declares its options, parses, and then checks how they combine.
class OptionParser {
public:
    void Flag(const char* name, bool* target);
    void Value(const char* name, std::string* target);
    // "--name", "--name VALUE" (when the next argument is no option) or "--name=VALUE":
    // `given` is set, and `target` to the value when there is one.
    void Optional(const char* name, bool* given, std::string* target);
    // The one argument that is no option (does not start with "-"), anywhere among them.
    void Positional(std::string* target) { positional_ = target; }

    // False with the reason ("unknown option --x", "--replay needs a value", ...).
    bool Parse(int argc, const char* const* argv, std::string* why) const;

private:
    struct Option {
        std::string name;  // without the dashes
        bool* flag;
        std::string* value;
        bool optional = false;  // with a flag and a value: the value may be left out
    };
    const Option* Find(const std::string& name) const;

    std::vector<Option> options_;
    std::string* positional_ = nullptr;
};

#endif
