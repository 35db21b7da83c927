# Cross-compiles the Windows x64 console program with MinGW-w64
# (Debian package g++-mingw-w64-x86-64-posix), and runs what it builds under
# Wine (Debian packages wine and wine64) when Wine is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(COMPOUND_EMULATOR_PACKAGES "wine wine64")
find_program(COMPOUND_WINE NAMES wine wine64 DOC "Wine, to run the Windows programs here")
if(COMPOUND_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${COMPOUND_WINE}")
endif()
