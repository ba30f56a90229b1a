# Cross-compiles the toolchain's programs to WebAssembly modules that run
# under any WASI runtime (a browser page through a WASI shim, Node's
# node:wasi, a stand-alone runtime). Uses the distribution's clang 14 with
# its WASI C library, libc++ and compiler runtime for wasm32, wasm-ld, and
# wasm-opt from binaryen:
#
#   clang-14 lld-14 wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32
#   libclang-rt-14-dev-wasm32 binaryen
#
# Used by the "web" preset; scripts/install-deps installs the packages when
# WITH_WEB=1.

set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(WASI TRUE)

set(_wasi_target wasm32-wasi)
find_program(WASI_CLANGXX NAMES clang++-14 clang++ REQUIRED)
set(CMAKE_CXX_COMPILER ${WASI_CLANGXX})
set(CMAKE_CXX_COMPILER_TARGET ${_wasi_target})
set(CMAKE_C_COMPILER_TARGET ${_wasi_target})

# The WASI C library lives in the distribution's usual places
# (/usr/include/wasm32-wasi, /usr/lib/wasm32-wasi), which clang finds for
# this target on its own. Programs are modules, never shared libraries.
set(CMAKE_EXECUTABLE_SUFFIX_CXX ".wasm")
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS FALSE)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# What WASI lacks (processes, signals, process clocks, exceptions) is dealt
# with in cmake/WebSite.cmake, so that flags given on the command line add
# to it rather than replace it.

# Libraries and headers come from the target's directories only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
