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

// Decodes one character at text[i]; a malformed sequence gives U+FFFD and consumes one byte.
char32_t Decode(std::string_view text, std::size_t& i) {
    auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = SequenceLength(lead);
    if (length == 1) {
        ++i;
        return lead;
    }
    if (length == 0 || i + length > text.size()) {
        ++i;
        return kReplacement;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        auto byte = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(byte)) {
            ++i;
            return kReplacement;
        }
        code = (code << 6) | (byte & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not characters.
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        ++i;
        return kReplacement;
    }
    i += length;
    return code;
}

} // namespace

std::u16string TextCodec::ToUtf16(std::string_view narrow) {
    std::u16string wide;
    wide.reserve(narrow.size());
    for (std::size_t i = 0; i < narrow.size();) {
        char32_t code = Decode(narrow, i);
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
    std::string narrow;
    narrow.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t code = wide[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement; // a lone surrogate
        }
        Utf8::Append(narrow, code);
    }
    return narrow;
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
