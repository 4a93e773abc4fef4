# One INTERFACE target carries the language standard, warnings and sanitizers for every target.
add_library(qv_build_options INTERFACE)
target_compile_features(qv_build_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(qv_build_options INTERFACE -Wall -Wextra -Wpedantic)
# GCC 12 warns about std::string concatenations that cannot overlap once it inlines at -O2 (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(qv_build_options INTERFACE -Wno-restrict)
endif()
if(QV_WERROR)
    target_compile_options(qv_build_options INTERFACE -Werror)
endif()
if(QV_SANITIZE)
    target_compile_options(qv_build_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                      -fno-sanitize-recover=undefined)
    target_link_options(qv_build_options INTERFACE -fsanitize=address,undefined)
endif()
if(NOT WIN32 AND NOT QV_SANITIZE)
    # Release binaries are what the .deb ships: built hardened, as Debian builds its own packages.
    target_compile_options(qv_build_options INTERFACE $<$<CONFIG:Release>:-D_FORTIFY_SOURCE=2>
                                                      $<$<CONFIG:Release>:-fstack-protector-strong>)
    target_link_options(qv_build_options INTERFACE $<$<CONFIG:Release>:LINKER:-z,relro,-z,now>)
endif()
if(WIN32)
    # Vista and later: RegDeleteTreeA, RtlGetVersion. ANSI APIs throughout.
    target_compile_definitions(qv_build_options INTERFACE _WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN
                                                          NOMINMAX)
    target_link_options(qv_build_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

# Qt strictness, for the targets that use Qt.
add_library(qv_qt_options INTERFACE)
target_link_libraries(qv_qt_options INTERFACE qv_build_options)
target_compile_definitions(qv_qt_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                   QT_NO_CAST_FROM_BYTEARRAY QT_NO_URL_CAST_FROM_STRING
                                                   QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_KEYWORDS
                                                   QT_DISABLE_DEPRECATED_UP_TO=0x060000)
