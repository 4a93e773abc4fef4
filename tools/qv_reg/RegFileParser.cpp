#include "RegFileParser.h"

#include "NarrowText.h"
#include "RegKeyPath.h"
#include "platform/Utf8.h"

#include "platform/AsciiText.h"
#include "platform/RegistryKey.h"

#include <algorithm>

namespace qv {

namespace {

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimLeft(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::u16string_view TrimRight(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// What may follow a complete item on its line: blanks, or a comment.
bool IsLineEnd(std::u16string_view rest) {
    rest = TrimLeft(rest);
    return rest.empty() || rest.front() == u';';
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char16_t a, char16_t b) {
               auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
               return lower(a) == lower(b);
           });
}

int LineOfOffset(std::string_view bytes, std::size_t offset) {
    return 1 +
           static_cast<int>(std::count(bytes.begin(), bytes.begin() + std::min(offset, bytes.size()), '\n'));
}

std::string Ascii(std::u16string_view text) {
    std::string result;
    for (char16_t c : text)
        result += (c < 0x80) ? static_cast<char>(c) : '?';
    return result;
}

// A quoted string from just after its opening quote; on success, rest is what follows the closing quote.
enum class QuoteResult { Ok, Unterminated, BadEscape };
QuoteResult Unquote(std::u16string_view text, std::u16string& value, std::u16string_view& rest,
                    char16_t& bad) {
    value.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'"') {
            rest = text.substr(i + 1);
            return QuoteResult::Ok;
        }
        if (c == u'\\') {
            if (i + 1 == text.size())
                return QuoteResult::Unterminated;
            const char16_t next = text[++i];
            if (next != u'\\' && next != u'"') {
                bad = next;
                return QuoteResult::BadEscape;
            }
            value += next;
            continue;
        }
        value += c;
    }
    return QuoteResult::Unterminated;
}

} // namespace

std::string RegFileParser::Error() const {
    return "line " + std::to_string(m_errorLine) + ": " + m_error;
}

bool RegFileParser::Fail(int line, std::string message) {
    m_entries.clear();
    m_errorLine = line;
    m_error = std::move(message);
    return false;
}

bool RegFileParser::Parse(std::string_view bytes) {
    m_entries.clear();
    m_regedit4 = false;
    m_inKey = false;
    m_key.clear();
    m_errorLine = 0;
    m_error.clear();

    std::u16string text;
    if (!Decode(bytes, text))
        return false;

    std::vector<std::u16string_view> lines;
    std::u16string_view rest = text;
    while (!rest.empty()) {
        std::size_t end = rest.find(u'\n');
        std::u16string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::u16string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return ParseLines(lines);
}

bool RegFileParser::Decode(std::string_view bytes, std::u16string& text) {
    if (bytes.starts_with("\xFF\xFE")) {
        const std::string_view body = bytes.substr(2);
        text.clear();
        text.reserve(body.size() / 2);
        for (std::size_t i = 0; i + 1 < body.size(); i += 2)
            text += static_cast<char16_t>(static_cast<unsigned char>(body[i]) |
                                          (static_cast<unsigned char>(body[i + 1]) << 8));
        if (body.size() % 2 != 0)
            return Fail(1 + static_cast<int>(std::count(text.begin(), text.end(), u'\n')),
                        "the file ends in the middle of a UTF-16 character");
        return true;
    }
    if (bytes.starts_with("\xFE\xFF"))
        return Fail(1, "UTF-16 big-endian files are not supported; save the file as UTF-16LE or UTF-8");
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        const std::string_view body = bytes.substr(3);
        std::size_t errorAt = 0;
        if (!Utf8::Decode(body, text, &errorAt))
            return Fail(LineOfOffset(body, errorAt), "the file says it is UTF-8 but is not");
        return true;
    }
    // Without a BOM: a REGEDIT4 file is in the narrow code page, as regedit wrote it; a version 5 file is
    // UTF-8 when it reads as UTF-8, else the narrow code page.
    if (!bytes.starts_with("REGEDIT4") && Utf8::Decode(bytes, text))
        return true;
    if (!NarrowText::ToUtf16(bytes, text)) {
        // Find the first line that does not convert, to point at it.
        int line = 1;
        std::string_view rest = bytes;
        std::u16string ignored;
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            if (!NarrowText::ToUtf16(rest.substr(0, end), ignored))
                break;
            if (end == std::string_view::npos)
                break;
            rest.remove_prefix(end + 1);
            ++line;
        }
        return Fail(line, "text that is not valid in the system's code page");
    }
    return true;
}

bool RegFileParser::ParseLines(const std::vector<std::u16string_view>& lines) {
    const std::u16string_view header = lines.empty() ? std::u16string_view() : TrimRight(lines.front());
    if (header == kHeader5) {
        m_regedit4 = false;
    } else if (header == kHeader4) {
        m_regedit4 = true;
    } else {
        return Fail(1,
                    "not a registry file: the first line must be \"Windows Registry Editor Version 5.00\" or "
                    "\"REGEDIT4\"");
    }
    for (std::size_t index = 1; index < lines.size(); ++index) {
        const std::u16string_view line = TrimLeft(lines[index]);
        const int number = static_cast<int>(index) + 1;
        if (line.empty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            if (!ParseSection(line, number))
                return false;
        } else if (line.front() == u'"' || line.front() == u'@') {
            if (!ParseValue(lines, index))
                return false;
        } else {
            return Fail(number, "neither a [key], a value nor a ; comment");
        }
    }
    return true;
}

bool RegFileParser::ParseSection(std::u16string_view line, int number) {
    const std::size_t close = line.rfind(u']');
    if (close == std::u16string_view::npos)
        return Fail(number, "the key name has no closing ']'");
    if (!IsLineEnd(line.substr(close + 1)))
        return Fail(number, "text after the key name's closing ']'");
    std::u16string_view name = line.substr(1, close - 1);
    const bool remove = !name.empty() && name.front() == u'-';
    if (remove)
        name.remove_prefix(1);
    std::string narrow;
    if (!ToNarrow(name, narrow, number))
        return false;
    std::string error;
    const std::optional<RegKeyPath> key = RegKeyPath::Parse(narrow, &error);
    if (!key)
        return Fail(number, error);
    if (remove && key->IsRoot())
        return Fail(number, "HKEY_LOCAL_MACHINE itself cannot be deleted");
    RegFileEntry entry;
    entry.kind = remove ? RegFileEntry::Kind::DeleteKey : RegFileEntry::Kind::CreateKey;
    entry.key = key->SubKey();
    entry.line = number;
    m_entries.push_back(std::move(entry));
    m_inKey = !remove;
    m_key = key->SubKey();
    return true;
}

bool RegFileParser::ParseValue(const std::vector<std::u16string_view>& lines, std::size_t& index) {
    const int number = static_cast<int>(index) + 1;
    std::u16string_view line = TrimLeft(lines[index]);
    if (!m_inKey)
        return Fail(number, "a value outside a [key] section");

    RegFileEntry entry;
    entry.key = m_key;
    entry.line = number;
    std::u16string_view rest;
    if (line.front() == u'@') {
        rest = line.substr(1);
    } else {
        std::u16string name;
        char16_t bad = 0;
        switch (Unquote(line.substr(1), name, rest, bad)) {
        case QuoteResult::Ok:
            break;
        case QuoteResult::Unterminated:
            return Fail(number, "the value name has no closing '\"'");
        case QuoteResult::BadEscape:
            return Fail(number, "bad escape sequence \"\\" + Ascii(std::u16string(1, bad)) +
                                    "\" (only \\\\ and \\\" are allowed)");
        }
        if (!ToNarrow(name, entry.value.name, number))
            return false;
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != u'=')
        return Fail(number, "'=' expected after the value name");
    rest = TrimLeft(rest.substr(1));

    if (!rest.empty() && rest.front() == u'-') {
        if (!IsLineEnd(rest.substr(1)))
            return Fail(number, "text after '-'");
        entry.kind = RegFileEntry::Kind::DeleteValue;
        m_entries.push_back(std::move(entry));
        return true;
    }

    entry.kind = RegFileEntry::Kind::SetValue;
    if (!rest.empty() && rest.front() == u'"') {
        std::u16string text;
        std::u16string_view after;
        char16_t bad = 0;
        switch (Unquote(rest.substr(1), text, after, bad)) {
        case QuoteResult::Ok:
            break;
        case QuoteResult::Unterminated:
            return Fail(number, "the string has no closing '\"'");
        case QuoteResult::BadEscape:
            return Fail(number, "bad escape sequence \"\\" + Ascii(std::u16string(1, bad)) +
                                    "\" (only \\\\ and \\\" are allowed)");
        }
        if (!IsLineEnd(after))
            return Fail(number, "text after the string's closing '\"'");
        if (!ToNarrow(text, entry.value.data, number))
            return false;
        entry.value.data += '\0';
        entry.value.type = kRegSz;
        m_entries.push_back(std::move(entry));
        return true;
    }

    if (StartsWithNoCase(rest, u"dword:")) {
        std::u16string_view digits = rest.substr(6);
        std::size_t count = 0;
        std::uint32_t number32 = 0;
        while (count < digits.size() && AsciiText::HexDigit(digits[count]) >= 0) {
            number32 = number32 * 16 + static_cast<std::uint32_t>(AsciiText::HexDigit(digits[count]));
            ++count;
        }
        if (count == 0 || count > 8 || !IsLineEnd(digits.substr(count)))
            return Fail(number, "dword: must be followed by 1 to 8 hexadecimal digits");
        entry.value.type = kRegDword;
        for (int i = 0; i < 4; ++i)
            entry.value.data += static_cast<char>((number32 >> (8 * i)) & 0xFF);
        m_entries.push_back(std::move(entry));
        return true;
    }

    std::uint32_t type = kRegBinary;
    if (StartsWithNoCase(rest, u"hex:")) {
        rest.remove_prefix(4);
    } else if (StartsWithNoCase(rest, u"hex(")) {
        const std::size_t close = rest.find(u"):");
        if (close == std::u16string_view::npos || close == 4 || close > 12)
            return Fail(number, "hex( must be followed by a hexadecimal type number and \"):\"");
        type = 0;
        for (std::size_t i = 4; i < close; ++i) {
            if (AsciiText::HexDigit(rest[i]) < 0)
                return Fail(number, "hex( must be followed by a hexadecimal type number and \"):\"");
            type = type * 16 + static_cast<std::uint32_t>(AsciiText::HexDigit(rest[i]));
        }
        rest.remove_prefix(close + 2);
    } else {
        return Fail(number, "unknown value data: expected \"text\", dword:, hex:, hex(type): or -");
    }

    // The hex list, with the lines it continues on.
    std::u16string list;
    for (;;) {
        std::u16string_view part = TrimRight(rest);
        const bool continued = !part.empty() && part.back() == u'\\';
        if (continued)
            part.remove_suffix(1);
        list += part;
        if (!continued)
            break;
        if (++index == lines.size())
            return Fail(static_cast<int>(index), "the value continues past the end of the file");
        rest = TrimLeft(lines[index]);
    }
    std::string bytes;
    if (!ParseHex(list, bytes, number))
        return false;

    const bool text = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
    if (text && !m_regedit4) {
        // Version 5 files hold string data as UTF-16LE.
        if (bytes.size() % 2 != 0)
            return Fail(number, "string data in a version 5 file must be UTF-16LE: an even number of bytes");
        std::u16string wide;
        for (std::size_t i = 0; i < bytes.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (!ToNarrow(wide, entry.value.data, number))
            return false;
    } else {
        entry.value.data = std::move(bytes);
    }
    entry.value.type = type;
    m_entries.push_back(std::move(entry));
    return true;
}

bool RegFileParser::ParseHex(std::u16string_view text, std::string& bytes, int number) {
    bytes.clear();
    text = TrimLeft(TrimRight(text));
    if (text.empty() || text.front() == u';')
        return true;
    for (;;) {
        const std::size_t comma = text.find(u',');
        std::u16string_view token = TrimLeft(TrimRight(text.substr(0, comma)));
        if (token.empty() && comma == std::u16string_view::npos)
            return Fail(number, "the hex data ends with ',': the line may be cut short");
        // A comment may close the last byte's line.
        if (comma == std::u16string_view::npos) {
            const std::size_t semicolon = token.find(u';');
            if (semicolon != std::u16string_view::npos)
                token = TrimRight(token.substr(0, semicolon));
        }
        if (token.empty() || token.size() > 2 ||
            !std::all_of(token.begin(), token.end(), [](char16_t c) { return AsciiText::HexDigit(c) >= 0; }))
            return Fail(number, "bad hex byte \"" + Ascii(token) +
                                    "\": bytes are 1 or 2 hexadecimal digits "
                                    "separated by ','");
        int byte = 0;
        for (char16_t c : token)
            byte = byte * 16 + AsciiText::HexDigit(c);
        bytes += static_cast<char>(byte);
        if (comma == std::u16string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

bool RegFileParser::ToNarrow(std::u16string_view text, std::string& narrow, int number) {
    if (NarrowText::FromUtf16(text, narrow))
        return true;
    return Fail(number, "text that the system's code page cannot hold");
}

} // namespace qv
