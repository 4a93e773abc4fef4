#pragma once
// The Windows version record: taken once at start-up, before any site is loaded. Win32 asks the real
// version (RtlGetVersion); POSIX reads "CurrentVersion" of SOFTWARE\Microsoft\Windows NT\CurrentVersion in
// the machine's registry and takes 5.2 when it is missing.
namespace qv {

class OsVersion {
public:
    static void Record();                       // asks the system and keeps the answer
    static void Set(int major, int minor);      // tests
    static int Major();
    static int Minor();
    // Major version 5 and minor version 2 or more: the IIS 6 server.
    static bool IsIis6() { return Major() == 5 && Minor() >= 2; }
};

} // namespace qv
