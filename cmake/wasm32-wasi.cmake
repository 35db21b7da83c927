# Cross-compiles to WebAssembly for WASI, as a command module, with Debian's
# clang-19, lld-19, wasi-libc, libc++-19-dev-wasm32, libc++abi-19-dev-wasm32
# and libclang-rt-19-dev-wasm32, and runs what it builds under Node.js's WASI
# (Debian package nodejs) with cmake/wasi-run.mjs.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}) # Platform/WASI.cmake

set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# Debian installs the WASI C library and LLVM's C++ library for wasm32 under
# /usr, beside the build machine's own. Only the wasm32 C++ headers are
# searched: clang would also search the build machine's libc++ headers, whose
# <cstdint> does not fit the WASI C library.
set(CMAKE_SYSROOT /usr)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem /usr/include/wasm32-wasi/c++/v1")

set(CMAKE_FIND_ROOT_PATH /usr/lib/wasm32-wasi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(COMPOUND_EMULATOR_PACKAGES nodejs)
find_program(COMPOUND_NODE node DOC "Node.js, to run the WebAssembly programs here")
if(COMPOUND_NODE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${COMPOUND_NODE};--no-warnings;${CMAKE_CURRENT_LIST_DIR}/wasi-run.mjs")
endif()
