// The built-in functions (builtins.def) and their look-up.
#pragma once

#include <string_view>
#include <unordered_set>

namespace quillet::compiler {

struct Builtin {
    const char* name;
    const char* args; // one letter per argument: N numeric, S string; a last * stands for one
                      // or more arguments of either kind
    char result;      // 'N' or 'S'
    const char* code; // assembly with $1.. for the arguments, $R the result, $T a temporary
};

inline constexpr Builtin builtins[] = {
#define QUILLET_BUILTIN(name, args, result, code) {name, args, result, code},
#include "builtins.def"
#undef QUILLET_BUILTIN
};

inline bool is_builtin(std::string_view name) {
    // The parser asks for every name it reads: a hash table of the names, made once.
    static const std::unordered_set<std::string_view> names = [] {
        std::unordered_set<std::string_view> set;
        for (const Builtin& b : builtins)
            set.insert(b.name);
        return set;
    }();
    return names.count(name) > 0;
}

// The row for `name` with `count` arguments, or null.
inline const Builtin* find_builtin(std::string_view name, size_t count) {
    for (const Builtin& b : builtins) {
        std::string_view args(b.args);
        if (name == b.name &&
            (args.size() == count || (!args.empty() && args.back() == '*' && count >= args.size())))
            return &b;
    }
    return nullptr;
}

} // namespace quillet::compiler
