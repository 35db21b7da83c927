# Cross-compiles for 32-bit x86 Linux with Debian's g++-i686-linux-gnu, and runs
# what it builds under qemu-i386 (Debian package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triple i686-linux-gnu)
set(qemu qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
