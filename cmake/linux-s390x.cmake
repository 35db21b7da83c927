# Cross-compiles for IBM Z (big-endian) Linux with Debian's g++-s390x-linux-gnu, and runs
# what it builds under qemu-s390x (Debian package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(triple s390x-linux-gnu)
set(qemu qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
