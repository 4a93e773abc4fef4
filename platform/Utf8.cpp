#include "Utf8.h"

#include <cstdint>

namespace qv {

char32_t Utf8::Next(std::string_view bytes, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kInvalid;
    }
    if (i + length > bytes.size()) {
        ++i;
        return kInvalid;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto trail = static_cast<unsigned char>(bytes[i + k]);
        if ((trail & 0xC0) != 0x80) {
            ++i;
            return kInvalid;
        }
        code = (code << 6) | (trail & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return kInvalid;
    }
    i += length;
    return code;
}

bool Utf8::IsValid(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (Next(bytes, i) == kInvalid)
            return false;
    }
    return true;
}

bool Utf8::Decode(std::string_view bytes, std::u16string& text, std::size_t* errorAt) {
    text.clear();
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t at = i;
        char32_t code = Next(bytes, i);
        if (code == kInvalid) {
            if (errorAt)
                *errorAt = at;
            return false;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
    }
    return true;
}

namespace {

// UTF-16 to UTF-8; a lone surrogate becomes loneSurrogate, or is kept as its own three bytes when that is 0.
std::string FromWide(std::u16string_view text, char32_t loneSurrogate) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF && loneSurrogate != 0) {
            code = loneSurrogate;
        }
        Utf8::Append(bytes, code);
    }
    return bytes;
}

} // namespace

std::string Utf8::Encode(std::u16string_view text) {
    return FromWide(text, 0);
}

std::string Utf8::FromUtf16(std::u16string_view text) {
    return FromWide(text, 0xFFFD);
}

void Utf8::Append(std::string& bytes, char32_t code) {
    if (code < 0x80) {
        bytes.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        bytes.push_back(static_cast<char>(0xC0 | (code >> 6)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        bytes.push_back(static_cast<char>(0xE0 | (code >> 12)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        bytes.push_back(static_cast<char>(0xF0 | (code >> 18)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace qv
