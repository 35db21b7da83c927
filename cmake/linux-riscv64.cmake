# Cross-compiles for 64-bit RISC-V Linux with Debian's g++-riscv64-linux-gnu, and runs
# what it builds under qemu-riscv64 (Debian package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(triple riscv64-linux-gnu)
set(qemu qemu-riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
