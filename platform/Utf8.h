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
    // UTF-16 to UTF-8 with each lone surrogate written as U+FFFD.
    static std::string FromUtf16(std::u16string_view text);
    // One code point (at most U+10FFFF) as its one to four bytes.
    static void Append(std::string& bytes, char32_t code);

    static constexpr char32_t kInvalid = 0xFFFFFFFF;
    // The character at bytes[i], with i moved past it; kInvalid for a bad sequence (overlong, surrogate, past
    // U+10FFFF, cut short), with i moved one byte on.
    static char32_t Next(std::string_view bytes, std::size_t& i);
    static bool IsValid(std::string_view bytes);
};

} // namespace qv
