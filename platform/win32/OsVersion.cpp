#include "platform/OsVersion.h"

#include <windows.h>

namespace qv {

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

} // namespace

void OsVersion::Record() {
    // GetVersionEx answers 6.2 to programs without a manifest on 8.1 and later; RtlGetVersion tells the
    // truth.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    bool asked = false;
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        // GetProcAddress hands back a generic FARPROC: the cast to the real signature is the only way.
        auto function = reinterpret_cast<RtlGetVersionFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
        asked = function && function(&info) == 0;
    }
    if (!asked) {
        // Every NT since 2000 has RtlGetVersion; this is for a system that hides it.
        info.dwMajorVersion = 5;
        info.dwMinorVersion = 2;
    }
    Set(static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion));
}

} // namespace qv
