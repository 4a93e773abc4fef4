#pragma once
// UTF-8 to and from UTF-16, for files written in UTF-8 whatever the system's narrow code page is.
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
    // One code point (at most U+10FFFF) as its one to four bytes.
    static void Append(std::string& bytes, char32_t code);
};

} // namespace qv
