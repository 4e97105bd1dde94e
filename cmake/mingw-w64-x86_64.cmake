# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, for std::thread
# and std::mutex). Tests built with it run under Wine, which CTest starts by itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELLORAN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELLORAN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLORAN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLORAN_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELLORAN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Qt 6 and SQLite built for Windows (scripts/windows-deps) are named by CMAKE_PREFIX_PATH; with the search
# kept inside the find roots, each of them must be a root as well.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
# A cross-built Qt runs the build machine's own moc, rcc and uic: Debian's, of the same version.
set(QT_HOST_PATH /usr CACHE PATH "Qt for the build machine, whose tools serve the cross-build")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "The CMake packages of QT_HOST_PATH")

# Self-contained executables: no MinGW runtime libraries to put beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(VELLORAN_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine NO_CMAKE_FIND_ROOT_PATH)
if(VELLORAN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VELLORAN_WINE})
endif()
