#include "RegFileWriter.h"

#include "NarrowText.h"
#include "platform/Utf8.h"

#include "platform/RegistryKey.h"

#include <cstdio>

namespace qv {

namespace {

constexpr char16_t kHeader[] = u"Windows Registry Editor Version 5.00";
// regedit breaks a hex line once it reaches this column.
constexpr std::size_t kHexLineColumns = 77;

std::u16string Ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

std::u16string Quoted(std::u16string_view text) {
    std::u16string result = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"')
            result += u'\\';
        result += c;
    }
    result += u'"';
    return result;
}

void AppendHex(std::u16string& lines, std::size_t column, std::string_view bytes) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        lines += digits[byte >> 4];
        lines += digits[byte & 0x0F];
        if (i + 1 == bytes.size())
            break;
        lines += u',';
        column += 3;
        if (column >= kHexLineColumns) {
            lines += u"\\\n  ";
            column = 2;
        }
    }
    lines += u'\n';
}

std::string Utf16LeBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// A REG_SZ that is text with exactly one terminator at its end can be written as "text"; any other (no
// terminator, zeros inside, line breaks) goes as hex(1) so that it comes back byte for byte.
bool IsPlainString(std::string_view data) {
    return !data.empty() && data.find('\0') == data.size() - 1 &&
           data.find_first_of("\r\n") == std::string::npos;
}

} // namespace

RegFileWriter::RegFileWriter() : m_text(kHeader) {
    m_text += u'\n';
}

bool RegFileWriter::AddKey(const RegKeyPath& key, std::string& error) {
    std::u16string name;
    if (!NarrowText::ToUtf16(key.Display(), name)) {
        error = "the name of the key " + key.Display() + " cannot be written to a .reg file unchanged";
        return false;
    }
    m_text += u"\n[";
    m_text += name;
    m_text += u"]\n";
    return true;
}

bool RegFileWriter::AddValue(const RegValue& value, std::string& error) {
    std::u16string lines;
    if (!FormatValue(value, lines)) {
        error = "the value \"" + value.name + "\" (" + std::to_string(value.type) +
                ") holds text that cannot be written to a .reg file unchanged";
        return false;
    }
    m_text += lines;
    return true;
}

std::u16string RegFileWriter::Text() const {
    return m_text + u"\n";
}

std::string RegFileWriter::Bytes(Encoding encoding) const {
    const std::u16string text = Text();
    if (encoding == Encoding::Utf8)
        return Utf8::Encode(text);
    std::u16string crlf = u"\xFEFF";
    crlf.reserve(text.size() + text.size() / 16);
    for (char16_t c : text) {
        if (c == u'\n')
            crlf += u'\r';
        crlf += c;
    }
    return Utf16LeBytes(crlf);
}

bool RegFileWriter::FormatValue(const RegValue& value, std::u16string& lines) {
    lines.clear();
    if (value.name.empty()) {
        lines = u"@=";
    } else {
        std::u16string name;
        if (!NarrowText::ToUtf16(value.name, name))
            return false;
        lines = Quoted(name) + u"=";
    }
    const std::string_view data = value.data;
    switch (value.type) {
    case kRegSz:
        if (IsPlainString(data)) {
            std::u16string text;
            if (!NarrowText::ToUtf16(data.substr(0, data.size() - 1), text))
                return false;
            lines += Quoted(text);
            lines += u'\n';
            return true;
        }
        [[fallthrough]];
    case kRegExpandSz:
    case kRegMultiSz: {
        std::u16string text;
        if (!NarrowText::ToUtf16(data, text))
            return false;
        const std::u16string prefix = Ascii("hex(" + std::to_string(value.type) + "):");
        lines += prefix;
        AppendHex(lines, lines.size(), Utf16LeBytes(text));
        return true;
    }
    case kRegDword:
        if (data.size() == 4) {
            std::uint32_t number = 0;
            for (std::size_t i = 0; i < 4; ++i)
                number |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
            char digits[16];
            std::snprintf(digits, sizeof(digits), "dword:%08x", static_cast<unsigned>(number));
            lines += Ascii(digits);
            lines += u'\n';
            return true;
        }
        break;
    case kRegBinary:
        lines += u"hex:";
        AppendHex(lines, lines.size(), data);
        return true;
    default:
        break;
    }
    char prefix[24];
    std::snprintf(prefix, sizeof(prefix), "hex(%x):", static_cast<unsigned>(value.type));
    lines += Ascii(prefix);
    AppendHex(lines, lines.size(), data);
    return true;
}

} // namespace qv
