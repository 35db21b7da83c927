# Cross-compiles for 64-bit Arm Linux with Debian's g++-aarch64-linux-gnu, and runs
# what it builds under qemu-aarch64 (Debian package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triple aarch64-linux-gnu)
set(qemu qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
