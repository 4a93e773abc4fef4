#pragma once
// Options compare without letter case, as Windows tools do; only ASCII letters fold, whatever the locale.
#include <string>
#include <string_view>

namespace qv::setacl {

inline std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

} // namespace qv::setacl
