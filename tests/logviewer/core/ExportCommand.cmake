# cmake -DVIEWER=... -DREG=... -DMACHINE=... -DDATA=... -P ExportCommand.cmake
# qv_logviewer's export on a machine of one site, with no display and no Qt platform set: the file it
# writes, its exit codes and its refusal of a switch it does not know.
file(REMOVE_RECURSE "${MACHINE}")
file(MAKE_DIRECTORY "${MACHINE}/drive_c/Logs/W3SVC7")
file(COPY "${DATA}/logs/kinds/qv060315.log" DESTINATION "${MACHINE}/drive_c/Logs/W3SVC7")
file(WRITE "${MACHINE}/MetaBase.xml" [=[<?xml version ="1.0"?>
<configuration xmlns="urn:microsoft-catalog:XML_Metabase_V64_0">
<MBProperty>
<IIsWebService	Location ="/LM/W3SVC"
	>
</IIsWebService>
<IIsWebServer	Location ="/LM/W3SVC/7"
		ServerComment="Export Site"
	>
</IIsWebServer>
<IIsWebVirtualDir	Location ="/LM/W3SVC/7/ROOT"
		Path="C:\Inetpub\wwwroot"
	>
</IIsWebVirtualDir>
</MBProperty>
</configuration>
]=])

set(env ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
        "QUORVANE_MACHINE=${MACHINE}")
execute_process(COMMAND ${env} "${REG}" add [=[HKLM\SOFTWARE\Helmark\Quorvane\Value\Sites\7]=] /v LogDir /t REG_SZ
                        /d [=[C:\Logs\W3SVC7\]=] /f RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "qv_reg failed (${result}): ${error}")
endif()

set(failures "")
# run(expected-exit-code pattern-of-output arguments...)
function(run code pattern)
    execute_process(COMMAND ${env} "${VIEWER}" ${ARGN} WORKING_DIRECTORY "${MACHINE}" RESULT_VARIABLE result
                    OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result STREQUAL "${code}" OR NOT output MATCHES "${pattern}")
        set(failures "${failures}\n${ARGN}: exit ${result} (not ${code}), said: ${output}" PARENT_SCOPE)
    endif()
endfunction()

# A relative path lands where the command runs.
run(0 "5 rows" /7 /export:out.csv /type:static /find:htm)
file(READ "${MACHINE}/out.csv" written HEX)
file(READ "${DATA}/logs/export/qv060315-static-htm.csv" expected HEX)
if(NOT written STREQUAL expected)
    file(READ "${MACHINE}/out.csv" text)
    list(APPEND failures "out.csv holds:\n${text}")
endif()
run(1 "no such site" /99 /export:out.csv)
run(1 "no such file" /7 /export:out.csv /file:qv000000.log)
run(1 "cannot write" /7 /export:missing/out.csv)
run(2 "unknown switch: /bogus.*Usage" /7 /export:out.csv /bogus)
run(0 "Usage: qv_logviewer.*Exit code" /?)

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
