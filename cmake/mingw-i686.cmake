# Cross-builds the 32-bit Windows console program with Debian's MinGW-w64.
# The posix thread model gives the tests the whole C++ thread library; the
# program itself starts no threads, and static linking keeps zorvex.exe alone.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under 32-bit Wine, in a prefix of the build's own so no user's
# Wine setup is touched. Debian keeps the launcher out of PATH.
find_program(ZORVEX_WINE NAMES wine PATHS /usr/lib/wine)
find_program(ZORVEX_WINESERVER NAMES wineserver PATHS /usr/lib/wine)
if(ZORVEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all ${ZORVEX_WINE})
endif()
