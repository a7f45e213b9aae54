# Cross-builds the Windows console program with Debian's MinGW-w64, for the
# processor named by ZORVEX_WINDOWS_PROCESSOR: i686 (the 32-bit program, the
# default) or x86_64 (the 64-bit one). The posix thread model gives the tests
# the whole C++ thread library; the program itself starts no threads, and
# static linking keeps zorvex.exe alone.
set(ZORVEX_WINDOWS_PROCESSOR i686 CACHE STRING "Windows processor to build for: i686 or x86_64")
set_property(CACHE ZORVEX_WINDOWS_PROCESSOR PROPERTY STRINGS i686 x86_64)
if(NOT ZORVEX_WINDOWS_PROCESSOR MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "ZORVEX_WINDOWS_PROCESSOR must be i686 or x86_64, not '${ZORVEX_WINDOWS_PROCESSOR}'")
endif()
# CMake's own trial builds read this file again and must see the same processor.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZORVEX_WINDOWS_PROCESSOR)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZORVEX_WINDOWS_PROCESSOR})
set(mingw_target ${ZORVEX_WINDOWS_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${mingw_target}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_target}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_target}-windres)
# Named here: CMake can't derive them from a compiler name that ends in "-posix".
set(CMAKE_STRIP ${mingw_target}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${mingw_target}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_target})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine of the program's width, in a prefix of the build's own
# so no user's Wine setup is touched. Debian keeps the launchers out of PATH;
# its wineserver script picks the 64-bit server, which serves both widths.
if(ZORVEX_WINDOWS_PROCESSOR STREQUAL "x86_64")
  find_program(ZORVEX_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
else()
  find_program(ZORVEX_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
endif()
find_program(ZORVEX_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(ZORVEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all ${ZORVEX_WINE})
endif()
