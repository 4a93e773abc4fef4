#pragma once
// A file handed to the desktop's default action for it ("open"), shown normally, without waiting.
//
// Win32: ShellExecuteEx with the verb "open" and without the shell's own error boxes: Opened when the shell
// took the file, Failed when it refused (no such file, no program for its kind).
// POSIX: the system has no shell of its own to ask; the desktop's opener is the toolkit's, so every call
// gives NotHandled and the caller asks the toolkit.
#include <cstdint>
#include <string>

namespace qv {

enum class ShellOpenResult { Opened, Failed, NotHandled };

class ShellOpen {
public:
    // owner: the native handle of the window that asks (0 for none); the shell's windows belong to it.
    static ShellOpenResult File(const std::string& path, std::uintptr_t owner = 0);
};

} // namespace qv
