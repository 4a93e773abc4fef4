#include "RegValues.h"

#include "platform/TextCodec.h"
#include "platform/WinError.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <string_view>
#include <vector>

namespace qv {

namespace {

// Room for a stored text of 260 characters and its terminator.
constexpr std::uint32_t kTextBytes = kMaxText + 1;

bool CanUse(const RegistryKey* key) {
    return key && key->IsOpen();
}

std::string_view ValueName(const char* name) {
    return name ? std::string_view(name) : std::string_view();
}

// Reads at most 261 bytes of the value into buffer, terminated after the data. The data length, or nothing
// when the value is missing, unreadable or longer.
bool ReadShortValue(const RegistryKey& key, const char* name, std::array<char, kTextBytes + 1>& buffer,
                    std::uint32_t& length) {
    buffer.fill('\0');
    std::uint32_t size = kTextBytes;
    if (key.QueryValue(ValueName(name), nullptr, buffer.data(), &size) != kErrorSuccess || size > kTextBytes)
        return false;
    length = size;
    return true;
}

// Decimal text as strtol reads it: leading white space, an optional sign, digits up to the first other
// character; no digits gives 0. Values beyond 32 bits are held at the nearest limit.
std::int32_t DecimalValue(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value < kLimit)
            value = value * 10 + (*text - '0');
    }
    if (negative)
        return static_cast<std::int32_t>(-std::min(value, kLimit));
    return static_cast<std::int32_t>(std::min(value, kLimit - 1));
}

// A text as a 261-byte buffer holds it: up to a zero byte, at most 260 characters.
std::string StoredText(std::string_view text) {
    return TextCodec::Cut(text.substr(0, text.find('\0')), kMaxText);
}

void WriteText(RegistryKey& key, const char* name, std::string_view text) {
    const std::string stored(text); // with its terminating zero from c_str()
    key.SetValue(ValueName(name), kRegSz, stored.c_str(), static_cast<std::uint32_t>(stored.size() + 1));
}

} // namespace

void RegNumber(RegistryKey* key, const char* name, std::int32_t& target, std::int32_t templ, unsigned mode) {
    if ((mode & ReadStored) && CanUse(key)) {
        std::array<char, kTextBytes + 1> buffer;
        std::uint32_t length = 0;
        // Whatever the registry type, the bytes are read as text.
        if (ReadShortValue(*key, name, buffer, length)) {
            target = DecimalValue(buffer.data());
            return;
        }
    }
    if (mode & UseTemplate)
        target = templ;
    if ((mode & WriteStored) && CanUse(key))
        WriteText(*key, name, std::to_string(target));
}

void RegText(RegistryKey* key, const char* name, std::string& target, const std::string& templ,
             unsigned mode) {
    if ((mode & ReadStored) && CanUse(key)) {
        std::array<char, kTextBytes + 1> buffer;
        std::uint32_t length = 0;
        if (ReadShortValue(*key, name, buffer, length)) {
            // The text ends at its terminator; data without one that fills all 261 bytes does not fit.
            const std::size_t textLength = static_cast<std::size_t>(
                std::find(buffer.data(), buffer.data() + length, '\0') - buffer.data());
            if (textLength <= kMaxText) {
                target.assign(buffer.data(), textLength);
                return;
            }
        }
    }
    if (mode & UseTemplate)
        target = StoredText(templ);
    if ((mode & WriteStored) && CanUse(key))
        WriteText(*key, name, StoredText(target));
}

void RegList(RegistryKey* key, const char* name, ValueList& target, const ValueList& templ, unsigned mode) {
    try {
        if ((mode & ReadStored) && CanUse(key)) {
            std::uint32_t size = 0;
            if (key->QueryValue(ValueName(name), nullptr, nullptr, &size) == kErrorSuccess) {
                // One zero byte more than the data, so text without a terminator still ends.
                std::vector<char> buffer(std::size_t{size} + 1, '\0');
                std::uint32_t read = size;
                if (key->QueryValue(ValueName(name), nullptr, buffer.data(), &read) == kErrorSuccess &&
                    read <= size) {
                    target.Clear();
                    ParseList(target, buffer.data());
                    return;
                }
            }
        }
        if (mode & UseTemplate)
            CopyList(target, templ);
        if ((mode & WriteStored) && CanUse(key))
            WriteText(*key, name, JoinList(target));
    } catch (const std::bad_alloc&) {
        // Out of memory: the list stays as far as it got, and nothing half-made is written.
    }
}

} // namespace qv
