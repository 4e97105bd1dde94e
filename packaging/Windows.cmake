# The Windows installation and its two packages, a zip and a setup program (scripts/package-windows).
#
# Everything lies flat in one folder, the package's root: the helper runner starts the helpers from the
# folder of the program, and Qt looks for its plugins in subfolders of it. The runtime the wizard needs
# beside it (Qt's DLLs and plugins, the MinGW runtime Qt links) comes from the list
# VELLORAN_WINDOWS_RUNTIME of the top folder, entries "<subfolder>|<file>".

foreach(target velloran velloran-scan velloran-demo-db helper_addr helper_date helper_task helper_note)
    if(TARGET ${target})
        install(TARGETS ${target} RUNTIME DESTINATION .)
    endif()
endforeach()
install(FILES ${VELLORAN_LICENSE_FILE} DESTINATION . RENAME LICENSE.txt)

if(TARGET velloran)
    install(FILES ${VELLORAN_HELP_FILE} DESTINATION .)
    if(NOT VELLORAN_WINDOWS_RUNTIME)
        message(WARNING "VELLORAN_WINDOWS_RUNTIME is empty: the packages would hold a velloran.exe "
                        "that does not start without Qt's DLLs and plugins beside it")
    endif()
endif()
# The files are named by generator expressions as often as not, so they can be checked only as they are
# installed, which fails on a missing one.
foreach(entry IN LISTS VELLORAN_WINDOWS_RUNTIME)
    if(NOT entry MATCHES "^([^|]+)\\|(.+)$")
        message(FATAL_ERROR "VELLORAN_WINDOWS_RUNTIME: \"${entry}\" is not <subfolder>|<file>")
    endif()
    install(FILES ${CMAKE_MATCH_2} DESTINATION ${CMAKE_MATCH_1})
endforeach()

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Velloran)
set(CPACK_SYSTEM_NAME win64)
# The zip's one top folder is named after the file; the setup program's name is set per generator
# (WindowsPackageNames.cmake), because both generators read this one name.
set(CPACK_PACKAGE_FILE_NAME Velloran-${PROJECT_VERSION}-win64)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/WindowsPackageNames.cmake)
set(CPACK_STRIP_FILES ON)

# The setup program: 64-bit (Debian's makensis makes 32-bit installers unless told otherwise, and a
# 64-bit-only Wine cannot start those), into Program Files\Velloran, with the licence page, a Start-menu
# entry for the program and an uninstaller in Programs and Features that removes every file it installed.
# The 64-bit target is one line at the top of CPack's own script template, given to cpack as ours: cpack
# splits makensis's extra arguments at blanks, so "-XTarget amd64-unicode" cannot reach makensis whole.
set(nsis_template ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
file(READ ${nsis_template} template)
# After the first line, which carries the byte-order mark that tells makensis the script is UTF-8.
string(FIND "${template}" "\n" end_of_first_line)
math(EXPR end_of_first_line "${end_of_first_line} + 1")
string(SUBSTRING "${template}" 0 ${end_of_first_line} first_line)
string(SUBSTRING "${template}" ${end_of_first_line} -1 rest)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/nsis/NSIS.template.in "${first_line}Target amd64-unicode\n${rest}")
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_BINARY_DIR}/nsis)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Velloran)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Velloran)
set(CPACK_NSIS_PACKAGE_NAME Velloran)
set(CPACK_NSIS_DISPLAY_NAME Velloran)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
if(TARGET velloran)
    set(CPACK_PACKAGE_EXECUTABLES velloran Velloran)
    set(CPACK_NSIS_INSTALLED_ICON_NAME velloran.exe)
endif()
set(CPACK_NSIS_URL_INFO_ABOUT ${VELLORAN_HOMEPAGE})
set(CPACK_NSIS_CONTACT ${CPACK_PACKAGE_CONTACT})
# Left off on purpose: removing an older version first would show "Uninstall failed." in a box that
# waits for a click even in a silent install (/S). Installing over an older version replaces its files.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)
set(CPACK_NSIS_MODIFY_PATH OFF)
include(CPack)
