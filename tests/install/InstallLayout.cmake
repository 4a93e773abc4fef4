# cmake -DBUILD_DIR=... -DPREFIX=... -DPROGRAMS=a,b,c -P InstallLayout.cmake
# Installs the build into PREFIX (emptied first) and checks what lands there.
set(failures "")
macro(fail message)
    list(APPEND failures "${message}")
endmacro()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

# Everything lies in the one installation directory, as on Windows.
string(REPLACE "," ";" programs "${PROGRAMS}")
foreach(program IN LISTS programs)
    if(NOT EXISTS "${PREFIX}/${program}" OR IS_DIRECTORY "${PREFIX}/${program}")
        fail("program ${program} is not in the installation directory")
    endif()
endforeach()

foreach(file Documentation.htm TechSupport.htm Templates/rules.qv Templates/404.htm Templates/404.gif
             Templates/403.htm Templates/500.htm Templates/503.htm Templates/404.asp Templates/404.aspx
             Templates/404.php Templates/404.cfm)
    if(NOT EXISTS "${PREFIX}/${file}")
        fail("${file} is missing")
    endif()
endforeach()

# The programs name the folder "Templates" and "templates"; both must reach it where case counts.
if(LOWERCASE_LINK)
    if(NOT IS_SYMLINK "${PREFIX}/templates" OR NOT EXISTS "${PREFIX}/templates/rules.qv")
        fail("templates/ does not lead to Templates/")
    endif()
endif()

# Only example files go into error directories: no subfolders, nothing else in the templates folder.
file(GLOB entries RELATIVE "${PREFIX}/Templates" "${PREFIX}/Templates/*")
list(LENGTH entries count)
if(NOT count EQUAL 10)
    fail("Templates/ holds ${count} entries instead of 10: ${entries}")
endif()

# A GIF89a image that ends with its trailer.
file(READ "${PREFIX}/Templates/404.gif" head LIMIT 10 HEX)
if(NOT head MATCHES "^474946383961")
    fail("404.gif is not a GIF89a image")
endif()
file(SIZE "${PREFIX}/Templates/404.gif" size)
math(EXPR last "${size} - 1")
file(READ "${PREFIX}/Templates/404.gif" tail OFFSET ${last} HEX)
if(NOT tail STREQUAL "3b")
    fail("404.gif has no GIF trailer")
endif()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "installation layout:\n  ${text}")
endif()
message(STATUS "installation in ${PREFIX}: ${count} templates, programs: ${PROGRAMS}")
