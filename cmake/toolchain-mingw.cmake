# Windows x86-64 cross build with MinGW-w64 (posix threads, for std::thread and std::timed_mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under Wine (64-bit only: Debian's "wine" starts wine64 when wine32 is absent), headless, quiet,
# in a prefix of the build directory, whether ctest is started by scripts/test-windows.sh or by hand.
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=d
    DISPLAY= wine)

# GCC 12 warns about std::string concatenation that cannot overlap (GCC bug 105329) once it inlines at -O2
# and above; with -Werror that false alarm would fail the lane.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
