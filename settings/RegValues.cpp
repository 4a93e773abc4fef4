#include "RegValues.h"

#include "platform/AsciiText.h"
#include "platform/TextCodec.h"
#include "platform/WinError.h"

#include <new>
#include <string_view>

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

// A text as a 261-byte buffer holds it: up to a zero byte, at most 260 characters.
std::string StoredText(std::string_view text) {
    return TextCodec::Cut(text.substr(0, text.find('\0')), kMaxText);
}

long WriteText(RegistryKey& key, const char* name, std::string_view text) {
    const std::string stored(text); // with its terminating zero from c_str()
    return key.SetValue(ValueName(name), kRegSz, stored.c_str(),
                        static_cast<std::uint32_t>(stored.size() + 1));
}

} // namespace

long RegNumber(RegistryKey* key, const char* name, std::int32_t& target, std::int32_t templ, unsigned mode) {
    if ((mode & ReadStored) && CanUse(key)) {
        // Whatever the registry type, the bytes (at most 261) are read as text.
        std::string bytes;
        if (key->ReadValue(ValueName(name), nullptr, bytes, kTextBytes) == kErrorSuccess) {
            target = AsciiText::ParseDecimal(bytes);
            return kErrorSuccess;
        }
    }
    if (mode & UseTemplate)
        target = templ;
    if ((mode & WriteStored) && CanUse(key))
        return WriteText(*key, name, std::to_string(target));
    return kErrorSuccess;
}

long RegText(RegistryKey* key, const char* name, std::string& target, const std::string& templ,
             unsigned mode) {
    if ((mode & ReadStored) && CanUse(key)) {
        // The text ends at its terminator; data without one that fills all 261 bytes does not fit.
        std::string text;
        if (key->ReadText(ValueName(name), kMaxText, text) == kErrorSuccess) {
            target = std::move(text);
            return kErrorSuccess;
        }
    }
    if (mode & UseTemplate)
        target = StoredText(templ);
    if ((mode & WriteStored) && CanUse(key))
        return WriteText(*key, name, StoredText(target));
    return kErrorSuccess;
}

long RegList(RegistryKey* key, const char* name, ValueList& target, const ValueList& templ, unsigned mode) {
    try {
        if ((mode & ReadStored) && CanUse(key)) {
            // The string's own terminator ends text stored without one.
            std::string bytes;
            if (key->ReadValue(ValueName(name), nullptr, bytes) == kErrorSuccess) {
                target.Clear();
                ParseList(target, bytes.c_str());
                return kErrorSuccess;
            }
        }
        if (mode & UseTemplate)
            CopyList(target, templ);
        if ((mode & WriteStored) && CanUse(key))
            return WriteText(*key, name, JoinList(target));
    } catch (const std::bad_alloc&) {
        // Out of memory: the list stays as far as it got, and nothing half-made is written.
        return kErrorOutOfMemory;
    }
    return kErrorSuccess;
}

} // namespace qv
