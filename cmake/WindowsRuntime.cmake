# What a Windows installation needs beside our own programs: the Qt DLLs and plugins the wizard loads and
# the MinGW runtime that Qt links. VELLORAN_WINDOWS_RUNTIME lists them as <subfolder>|<file> for
# packaging/ to install. The build copies them, with what only the tests need, beside the programs in
# bin/, so that everything there runs as it runs installed.

# Qt's imported targets are seen only in the folder that found them (app/, tests/); this file is read
# from the top.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets)
if(VELLORAN_BUILD_TESTS)
    find_package(Qt6 6.4 QUIET COMPONENTS Test)
endif()

# Entries of the list; only the tests use Qt Test and the offscreen platform.
set(VELLORAN_WINDOWS_RUNTIME)
set(test_runtime)
foreach(module Core Gui Widgets)
    list(APPEND VELLORAN_WINDOWS_RUNTIME ".|$<TARGET_FILE:Qt6::${module}>")
endforeach()
list(APPEND VELLORAN_WINDOWS_RUNTIME
    "platforms|$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>"
    "styles|$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>")
if(TARGET Qt6::Test)
    list(APPEND test_runtime ".|$<TARGET_FILE:Qt6::Test>")
endif()
if(TARGET Qt6::QOffscreenIntegrationPlugin)
    list(APPEND test_runtime "platforms|$<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>")
endif()

# Our own programs link the MinGW runtime statically; Qt's DLLs need it as DLLs. (An MSVC build deploys
# its runtime with windeployqt instead; see README.)
if(MINGW)
    get_filename_component(compiler_folder ${CMAKE_CXX_COMPILER} DIRECTORY)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
            OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${found}")
            # The compiler names only the libraries it links itself; the thread library sits with the
            # target's own libraries, and a Windows kit keeps them all beside the compiler.
            find_file(VELLORAN_RUNTIME_${dll} ${dll} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
                PATHS /usr/${VELLORAN_MINGW_TRIPLET}/lib /usr/${VELLORAN_MINGW_TRIPLET}/bin ${compiler_folder})
            set(found ${VELLORAN_RUNTIME_${dll}})
        endif()
        if(NOT EXISTS "${found}")
            message(FATAL_ERROR "The MinGW runtime library ${dll} was not found for ${CMAKE_CXX_COMPILER}")
        endif()
        list(APPEND VELLORAN_WINDOWS_RUNTIME ".|${found}")
    endforeach()
endif()

set(copies)
foreach(entry IN LISTS VELLORAN_WINDOWS_RUNTIME test_runtime)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 subfolder)
    list(GET parts 1 file)
    list(APPEND copies
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${subfolder}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${subfolder}/)
endforeach()
add_custom_target(velloran_windows_runtime ALL ${copies} VERBATIM)
# Before any program that links the windows starts, its test discovery included.
add_dependencies(velloran_gui velloran_windows_runtime)
