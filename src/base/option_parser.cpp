#include "base/option_parser.h"

void OptionParser::Flag(const char* name, bool* target) {
    options_.push_back({name, target, nullptr});
}

void OptionParser::Value(const char* name, std::string* target) {
    options_.push_back({name, nullptr, target});
}

void OptionParser::Optional(const char* name, bool* given, std::string* target) {
    options_.push_back({name, given, target, true});
}

const OptionParser::Option* OptionParser::Find(const std::string& name) const {
    for (const Option& o : options_)
        if (o.name == name) return &o;
    return nullptr;
}

bool OptionParser::Parse(int argc, const char* const* argv, std::string* why) const {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (positional_ && positional_->empty() && !arg.empty() && arg[0] != '-') {
            *positional_ = arg;
            continue;
        }
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            *why = "unexpected argument " + arg;
            return false;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        const Option* o = Find(name);
        if (!o) {
            *why = "unknown option --" + name;
            return false;
        }
        if (o->optional) {
            *o->flag = true;
            if (eq != std::string::npos) {
                *o->value = arg.substr(eq + 1);
                if (o->value->empty()) {
                    *why = "--" + name + " needs a value after =";
                    return false;
                }
            } else if (i + 1 < argc && std::string(argv[i + 1]).compare(0, 2, "--") != 0) {
                *o->value = argv[++i];
            }
            continue;
        }
        if (o->flag) {
            if (eq != std::string::npos) {
                *why = "--" + name + " takes no value";
                return false;
            }
            *o->flag = true;
            continue;
        }
        if (eq != std::string::npos) {
            *o->value = arg.substr(eq + 1);
        } else if (i + 1 < argc) {
            *o->value = argv[++i];
        } else {
            *why = "--" + name + " needs a value";
            return false;
        }
        if (o->value->empty()) {
            *why = "--" + name + " needs a value";
            return false;
        }
    }
    return true;
}
