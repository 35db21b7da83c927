# WASI, the WebAssembly System Interface, for CMake: a program is a .wasm
# command module, linked statically.
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS FALSE)
