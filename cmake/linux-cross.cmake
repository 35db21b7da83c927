# Shared by the Linux cross toolchain files, which set `triple` (the Debian
# cross compiler's prefix, whose target libraries are in /usr/<triple>) and
# `qemu` (the qemu-user program for the processor) first. What is built runs
# here under qemu-user, with the target's libraries from /usr/<triple>.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(COMPOUND_EMULATOR_PACKAGES qemu-user)
find_program(COMPOUND_QEMU ${qemu} DOC "qemu-user, to run the programs built here")
if(COMPOUND_QEMU)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${COMPOUND_QEMU} -L /usr/${triple})
endif()
