# Builds with clang and LLVM's C++ library, libc++, as macOS and FreeBSD do
# (Debian packages clang-19, libc++-19-dev and libc++abi-19-dev). Everything
# in the build, GoogleTest included, uses the one C++ library.
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -stdlib=libc++)
