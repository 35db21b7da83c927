# Cross-compiles for 64-bit little-endian POWER Linux with Debian's g++-powerpc64le-linux-gnu, and runs
# what it builds under qemu-ppc64le (Debian package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(triple powerpc64le-linux-gnu)
set(qemu qemu-ppc64le)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
