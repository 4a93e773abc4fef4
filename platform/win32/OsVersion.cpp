#include "platform/OsVersion.h"

#include <windows.h>

#include <atomic>

namespace qv {

namespace {

std::atomic<int> g_major{0};
std::atomic<int> g_minor{0};
std::atomic<bool> g_known{false};

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

void EnsureRecorded() {
    if (!g_known.load())
        OsVersion::Record();
}

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
    g_major = static_cast<int>(info.dwMajorVersion);
    g_minor = static_cast<int>(info.dwMinorVersion);
    g_known = true;
}

void OsVersion::Set(int major, int minor) {
    g_major = major;
    g_minor = minor;
    g_known = true;
}

int OsVersion::Major() {
    EnsureRecorded();
    return g_major;
}

int OsVersion::Minor() {
    EnsureRecorded();
    return g_minor;
}

} // namespace qv
