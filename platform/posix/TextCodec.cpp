#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace qv {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence a lead byte starts; 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

std::u16string TextCodec::ToUtf16(std::string_view narrow) {
    std::u16string wide;
    wide.reserve(narrow.size());
    for (std::size_t i = 0; i < narrow.size();) {
        char32_t code = Utf8::Next(narrow, i);
        if (code == Utf8::kInvalid)
            code = kReplacement; // one byte at a time
        if (code >= 0x10000) {
            code -= 0x10000;
            wide += static_cast<char16_t>(0xD800 + (code >> 10));
            wide += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            wide += static_cast<char16_t>(code);
        }
    }
    return wide;
}

std::u16string TextCodec::Utf8ToUtf16(std::string_view utf8) {
    return ToUtf16(utf8);
}

std::string TextCodec::FromUtf16(std::u16string_view wide) {
    return Utf8::FromUtf16(wide);
}

std::string TextCodec::Cut(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    // Step back to the start of the character that the cut falls into; a stray continuation byte of a
    // malformed sequence is a character of its own and may be cut after.
    std::size_t start = maxBytes;
    while (start > 0 && maxBytes - start < 3 && IsContinuation(static_cast<unsigned char>(text[start])))
        --start;
    std::size_t length = SequenceLength(static_cast<unsigned char>(text[start]));
    std::size_t cut = maxBytes;
    if (length > 1 && start < maxBytes && start + length > maxBytes)
        cut = start;
    return std::string(text.substr(0, cut));
}

bool TextCodec::NarrowIsUtf8() {
    return true;
}

} // namespace qv
