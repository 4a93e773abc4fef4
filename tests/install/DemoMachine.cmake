# cmake -DSOURCE_DIR=... -DPREFIX=... -DMACHINE=... -DIIS=6|10 -P DemoMachine.cmake
# Makes the demo machine of that IIS on the installation in PREFIX and reads it back through the installed tools.
set(failures "")
macro(fail message)
    list(APPEND failures "${message}")
endmacro()

file(REMOVE_RECURSE "${MACHINE}")
execute_process(COMMAND bash "${SOURCE_DIR}/scripts/make-demo-machine.sh" "--iis${IIS}" "${MACHINE}" "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "make-demo-machine.sh failed (${result}):\n${output}")
endif()

function(run_tool out)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env "QUORVANE_MACHINE=${MACHINE}" ${ARGN}
                    RESULT_VARIABLE result OUTPUT_VARIABLE text ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${result}): ${error}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The web sites as the suite reads them. IIS 6: five numbered sites, one without a root, pools of identity 2
# and 3. IIS 10: seven, with a pool of every identity type, one reached through the application defaults and
# one named in another letter case.
run_tool(sites "${PREFIX}/qv_sites")
if(IIS EQUAL 6)
    set(drive "${MACHINE}/drive_c/Inetpub")
    string(CONCAT expected
           "1\tDefault Web Site\t${drive}/wwwroot\tIIS_WPG\n"
           "2\tBrackenridge Outfitters Shop\t${drive}/Sites/BrackenridgeShop\tIIS_WPG\n"
           "3\tFenwick & Hale Intranet\t${drive}/Sites/FenwickHale Intranet\tFENWICKHALE\\svc-intranet\n"
           "5\tTarnmoor Press (parked)\t\tIIS_WPG\n"
           "714302958\tLarkspur Clinic Patient Portal\t${drive}/Sites/LarkspurPortal\tsvc-portal\n")
    set(roots wwwroot Sites/BrackenridgeShop "Sites/FenwickHale Intranet" Sites/LarkspurPortal)
    set(version_text "5\\.2")
else()
    set(drive "${MACHINE}/drive_c/inetpub")
    string(CONCAT expected
           "1\tDefault Web Site\t${drive}/wwwroot\tIIS AppPool\\DefaultAppPool\n"
           "2\tBrackenridge Outfitters Shop\t${drive}/Sites/BrackenridgeShop\tNETWORK SERVICE\n"
           "3\tFenwick & Hale Intranet\t${drive}/Sites/FenwickHale Intranet\tFENWICKHALE\\svc-intranet\n"
           "5\tTarnmoor Press (parked)\t\t\n"
           "714302958\tLarkspur Clinic Patient Portal\t${drive}/Sites/LarkspurPortal\t"
           "svc-portal@larkspur-clinic.example\n"
           "8\tLedger Reports\t${drive}/Sites/LedgerReports\tLOCAL SERVICE\n"
           "9\tKiln Build Status\t${drive}/Sites/KilnBuild\t\n")
    set(roots wwwroot Sites/BrackenridgeShop "Sites/FenwickHale Intranet" Sites/LarkspurPortal
              Sites/LedgerReports Sites/KilnBuild)
    set(version_text "10\\.0")
endif()
if(NOT sites STREQUAL expected)
    fail("qv_sites gives:\n${sites}instead of:\n${expected}")
endif()
foreach(root IN LISTS roots)
    if(NOT EXISTS "${drive}/${root}/index.htm" OR NOT EXISTS "${drive}/${root}/images/logo.gif")
        fail("site root ${root} has no content")
    endif()
endforeach()

# The registry: the installation directory with its final separator, and the Windows version.
run_tool(progfiles "${PREFIX}/qv_reg" query [=[HKLM\SOFTWARE\Helmark\Quorvane]=] /v ProgFiles)
if(NOT progfiles MATCHES "ProgFiles +REG_SZ +${PREFIX}/\n")
    fail("ProgFiles is not ${PREFIX}/:\n${progfiles}")
endif()
run_tool(version "${PREFIX}/qv_reg" query [=[HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion]=] /v CurrentVersion)
if(NOT version MATCHES "CurrentVersion +REG_SZ +${version_text}\n")
    fail("CurrentVersion is not ${version_text}:\n${version}")
endif()

# Site 1's handler logs: qvYYMMDD.log, one of them with CR LF, every event code, no empty line (an empty line
# ends a log file for the viewer), and every event line with six or seven fields.
file(GLOB logs "${PREFIX}/Logs/W3SVC1/qv*.log")
list(LENGTH logs count)
if(count LESS 2)
    fail("site 1 has ${count} log files")
endif()
set(crlf_files 0)
set(events 0)
set(codes "")
foreach(log IN LISTS logs)
    get_filename_component(name "${log}" NAME)
    if(NOT name MATCHES "^qv[0-9][0-9][0-9][0-9][0-9][0-9]\\.log$")
        fail("log file name ${name}")
    endif()
    # file(READ) drops carriage returns; the bytes tell.
    file(READ "${log}" bytes HEX)
    if(bytes MATCHES "^(..)*0d0a")
        math(EXPR crlf_files "${crlf_files} + 1")
    endif()
    file(READ "${log}" text)
    if(text MATCHES "\n\n" OR text MATCHES "^\n")
        fail("${name} holds an empty line")
    endif()
    string(REGEX REPLACE "\n$" "" text "${text}")
    string(REPLACE ";" "," text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    foreach(line IN LISTS lines)
        if(line MATCHES "^#")
            continue()
        endif()
        if(NOT line MATCHES "^[0-9][0-9]:[0-9][0-9]:[0-9][0-9] [^ ]+ [^ ]+ /[^ ]* [^ ]+ ([12349])( [0-9]+)?$")
            fail("${name}: not an event line: ${line}")
            continue()
        endif()
        list(APPEND codes ${CMAKE_MATCH_1})
        math(EXPR events "${events} + 1")
    endforeach()
endforeach()
list(REMOVE_DUPLICATES codes)
list(SORT codes)
if(NOT codes STREQUAL "1;2;3;4;9")
    fail("the logs hold the event codes ${codes}, not 1, 2, 3, 4 and 9")
endif()
if(NOT crlf_files EQUAL 1)
    fail("${crlf_files} log files with CR LF instead of 1")
endif()
if(events LESS 24)
    fail("only ${events} event lines")
endif()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "demo machine:\n  ${text}")
endif()
message(STATUS "demo machine ${MACHINE} (IIS ${IIS}): ${count} log files with ${events} events")
