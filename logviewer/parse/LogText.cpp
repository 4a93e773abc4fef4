#include "LogText.h"

#include "platform/TextCodec.h"
#include "platform/Utf8.h"

#include <array>
#include <cstdint>

namespace qv {

namespace {

// Windows-1252 at 0x80-0x9F; the bytes it leaves undefined stay the C1 controls of the same value.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

LogTextMode LogText::SystemMode() {
    static const LogTextMode mode =
        TextCodec::NarrowIsUtf8() ? LogTextMode::Utf8OrWindows1252 : LogTextMode::SystemCodePage;
    return mode;
}

bool LogText::IsUtf8(std::string_view bytes) {
    return Utf8::IsValid(bytes);
}

bool LogText::Decodes(std::string_view line, LogTextMode mode) {
    return mode == LogTextMode::Utf8OrWindows1252 && !IsAscii(line) && !IsUtf8(line);
}

void LogText::AppendWindows1252(std::string& out, std::string_view bytes) {
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else if (byte < 0xA0)
            Utf8::Append(out, kHigh[byte - 0x80]);
        else
            Utf8::Append(out, byte);
    }
}

std::string LogText::Narrow(std::string_view field, bool decode) {
    if (!decode)
        return std::string(field);
    std::string out;
    out.reserve(field.size() + field.size() / 2);
    AppendWindows1252(out, field);
    return out;
}

std::string LogText::Utf8(std::string_view field, bool decode, LogTextMode mode) {
    if (mode == LogTextMode::Utf8OrWindows1252 || IsAscii(field))
        return Narrow(field, decode);
    return qv::Utf8::FromUtf16(TextCodec::ToUtf16(field));
}

} // namespace qv
