#pragma once
// UTF-8 to and from UTF-16, for .reg files whatever the system's narrow code page is.
#include <string>
#include <string_view>

namespace qv {

class Utf8 {
public:
    // False for bytes that are not UTF-8 (bad sequences, overlong forms, surrogates, past U+10FFFF), with
    // the offset of the first bad byte in *errorAt.
    static bool Decode(std::string_view bytes, std::u16string& text, std::size_t* errorAt = nullptr);
    // A lone surrogate is written as its three bytes, so nothing is dropped.
    static std::string Encode(std::u16string_view text);
};

} // namespace qv
