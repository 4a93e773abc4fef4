# Packages of the suite: a .deb through CPack on Linux, an NSIS installer ("installer" target) in the Windows
# build. The version is the project's; both put the suite in the one directory the programs look in by default.

set(QV_PACKAGE_VENDOR "Helmark")
set(QV_DEB_INSTALL_DIR "/opt/Helmark/Quorvane")
set(QV_DEFAULT_MACHINE "/var/lib/quorvane")
set(CPACK_PACKAGE_CONTACT "Helmark Quorvane team <quorvane@helmark.example>")
set(QV_SCREENSHOT_URL "https://quorvane.helmark.example/screenshots/settings-manager.png"
    CACHE STRING "Where the AppStream metadata finds the Settings Manager's screenshot")

# The release date is the date of the commit built, so that the same sources give the same package.
execute_process(
    COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE QV_RELEASE_EPOCH
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
if(NOT QV_RELEASE_EPOCH MATCHES "^[0-9]+$")
    string(TIMESTAMP QV_RELEASE_EPOCH "%s" UTC)
endif()
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${QV_RELEASE_EPOCH})
string(TIMESTAMP QV_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP QV_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

add_subdirectory(${PROJECT_SOURCE_DIR}/packaging ${PROJECT_BINARY_DIR}/packaging)

if(WIN32)
    # The installer is built from a staged installation of whatever this build has: the tools, setacl.exe,
    # Templates\, the guides, and the Qt programs when there is a Qt for Windows.
    find_program(QV_MAKENSIS makensis)
    if(NOT QV_MAKENSIS)
        message(STATUS "Packaging: makensis not found (Debian: nsis); no Windows installer target")
        return()
    endif()
    set(stage ${PROJECT_BINARY_DIR}/installer/stage)
    set(installer ${PROJECT_BINARY_DIR}/installer/Quorvane-${PROJECT_VERSION}-setup.exe)
    add_custom_target(installer
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
        COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${stage}
        COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DOUT_DIR=${PROJECT_BINARY_DIR}/installer
                -P ${PROJECT_SOURCE_DIR}/cmake/QvNsisFileLists.cmake
        COMMAND ${QV_MAKENSIS} -V2 -NOCD -DVERSION=${PROJECT_VERSION} -DVENDOR=${QV_PACKAGE_VENDOR}
                -DSTAGE=${stage} -DLISTS=${PROJECT_BINARY_DIR}/installer -DOUTFILE=${installer}
                ${PROJECT_SOURCE_DIR}/packaging/windows/Quorvane.nsi
        BYPRODUCTS ${installer}
        COMMENT "Windows installer ${installer}"
        VERBATIM)
    foreach(program qv_reg qv_sites setacl Quorvane qv_wizard qv_logviewer)
        if(TARGET ${program})
            add_dependencies(installer ${program})
        endif()
    endforeach()
    return()
endif()

# --- The .deb ----------------------------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR ${QV_PACKAGE_VENDOR})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "administration suite of an error-page handler for IIS")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvane is what an administrator uses to run an error-page handler inside
Microsoft IIS web servers: the Settings Manager edits the handler's settings
for one site or many, the Setup Wizard deploys it to chosen sites, and the
Log Viewer reads and exports its daily logs. The command-line tools qv_reg,
qv_sites and setacl work on the settings store, the web sites and directory
rights.
.
On Linux the suite works on a machine directory (default /var/lib/quorvane)
that holds the registry, the IIS metabase and the sites' drives.")
# The programs' own directory, and the system directories of the desktop component beside it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${QV_DEB_INSTALL_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified desktop)
set(CPACK_DEBIAN_PACKAGE_NAME quorvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/debian/postinst
                                       ${PROJECT_BINARY_DIR}/packaging/debian/prerm
                                       ${PROJECT_BINARY_DIR}/packaging/debian/postrm)
include(CPack)
