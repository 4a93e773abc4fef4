#include "RegValueText.h"

#include "platform/AsciiText.h"
#include "platform/RegistryKey.h"

#include <cstdio>
#include <limits>

namespace qv {

namespace {

struct TypeEntry {
    std::uint32_t type;
    std::string_view name;
    bool addable;
};

constexpr TypeEntry kTypes[] = {
    {kRegNone, "REG_NONE", false},
    {kRegSz, "REG_SZ", true},
    {kRegExpandSz, "REG_EXPAND_SZ", true},
    {kRegBinary, "REG_BINARY", true},
    {kRegDword, "REG_DWORD", true},
    {5, "REG_DWORD_BIG_ENDIAN", false},
    {6, "REG_LINK", false},
    {kRegMultiSz, "REG_MULTI_SZ", true},
    {8, "REG_RESOURCE_LIST", false},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR", false},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST", false},
    {kRegQword, "REG_QWORD", true},
};

std::string HexDigits(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

template <typename T> T LittleEndian(std::string_view bytes) {
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<T>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

template <typename T> std::string LittleEndianBytes(T value) {
    std::string bytes;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

// reg.exe takes numbers in decimal or, after 0x, in hexadecimal.
template <typename T> bool ParseNumber(std::string_view text, T& value) {
    std::uint64_t parsed = 0;
    if (!AsciiText::ParseUnsigned(text, std::numeric_limits<T>::max(), parsed))
        return false;
    value = static_cast<T>(parsed);
    return true;
}

} // namespace

std::string RegValueText::TypeName(std::uint32_t type) {
    for (const TypeEntry& entry : kTypes) {
        if (entry.type == type)
            return std::string(entry.name);
    }
    char text[16];
    std::snprintf(text, sizeof(text), "0x%x", static_cast<unsigned>(type));
    return text;
}

std::optional<std::uint32_t> RegValueText::ParseTypeName(std::string_view name) {
    for (const TypeEntry& entry : kTypes) {
        if (entry.addable && AsciiText::EqualNoCase(entry.name, name))
            return entry.type;
    }
    return std::nullopt;
}

std::string RegValueText::Display(const RegValue& value) {
    const std::string_view data = value.data;
    switch (value.type) {
    case kRegSz:
    case kRegExpandSz:
        return std::string(data.substr(0, data.find('\0')));
    case kRegMultiSz: {
        std::string text;
        std::size_t start = 0;
        bool first = true;
        while (start < data.size()) {
            std::size_t end = data.find('\0', start);
            if (end == std::string_view::npos)
                end = data.size();
            if (end == start)
                break; // the empty string that closes the list
            if (!first)
                text += "\\0";
            text += data.substr(start, end - start);
            first = false;
            start = end + 1;
        }
        return text;
    }
    case kRegDword:
        if (data.size() == 4) {
            char text[16];
            std::snprintf(text, sizeof(text), "0x%x",
                          static_cast<unsigned>(LittleEndian<std::uint32_t>(data)));
            return text;
        }
        break;
    case kRegQword:
        if (data.size() == 8) {
            char text[24];
            std::snprintf(text, sizeof(text), "0x%llx",
                          static_cast<unsigned long long>(LittleEndian<std::uint64_t>(data)));
            return text;
        }
        break;
    default:
        break;
    }
    return HexDigits(data);
}

bool RegValueText::FromCommandLine(std::uint32_t type, std::string_view text, std::string& data,
                                   std::string& error) {
    data.clear();
    switch (type) {
    case kRegSz:
    case kRegExpandSz:
        data.assign(text);
        data += '\0';
        return true;
    case kRegMultiSz: {
        // "a\0b" gives the strings a and b; a "\0" at the end closes the list early and is harmless, but an
        // empty string inside would end the list for every reader, so it is refused.
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\\0", start);
            if (end == std::string_view::npos)
                end = text.size();
            if (end == start && end + 2 < text.size()) {
                error = "REG_MULTI_SZ data cannot hold an empty string (\"\\0\\0\").";
                return false;
            }
            data.append(text.substr(start, end - start));
            if (end != start)
                data += '\0';
            start = end + 2;
        }
        data += '\0';
        return true;
    }
    case kRegDword: {
        std::uint32_t value = 0;
        if (!text.empty() && !ParseNumber(text, value)) {
            error =
                "REG_DWORD data must be a number from 0 to 4294967295 (decimal, or hexadecimal after 0x).";
            return false;
        }
        data = LittleEndianBytes(value);
        return true;
    }
    case kRegQword: {
        std::uint64_t value = 0;
        if (!text.empty() && !ParseNumber(text, value)) {
            error = "REG_QWORD data must be a number from 0 to 18446744073709551615 (decimal, or hexadecimal "
                    "after 0x).";
            return false;
        }
        data = LittleEndianBytes(value);
        return true;
    }
    case kRegBinary:
        if (!AsciiText::ParseHex(text, data)) {
            error = "REG_BINARY data must be an even number of hexadecimal digits.";
            return false;
        }
        return true;
    default:
        error = "Invalid type: " + TypeName(type) + ".";
        return false;
    }
}

} // namespace qv
