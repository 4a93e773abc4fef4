#include "platform/WindowsEnvironment.h"

#include "platform/AsciiText.h"

namespace qv {

namespace {

struct Default {
    const char* name;
    const char* value;
};

// What a 64-bit Windows Server installed on C: sets for its services.
constexpr Default kDefaults[] = {
    {"SystemDrive", "C:"},
    {"SystemRoot", "C:\\Windows"},
    {"windir", "C:\\Windows"},
    {"ProgramFiles", "C:\\Program Files"},
    {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
    {"ProgramW6432", "C:\\Program Files"},
    {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
    {"CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files"},
    {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
    {"ProgramData", "C:\\ProgramData"},
    {"ALLUSERSPROFILE", "C:\\ProgramData"},
    {"PUBLIC", "C:\\Users\\Public"},
    {"TEMP", "C:\\Windows\\TEMP"},
    {"TMP", "C:\\Windows\\TEMP"},
    {"ComSpec", "C:\\Windows\\system32\\cmd.exe"},
};

} // namespace

std::optional<std::string> WindowsEnvironment::Variable(std::string_view name) {
    for (const Default& entry : kDefaults) {
        if (AsciiText::EqualNoCase(name, entry.name))
            return std::string(entry.value);
    }
    return std::nullopt;
}

std::string WindowsEnvironment::NativeSystemDirectory() {
    return "C:\\Windows\\System32";
}

} // namespace qv
