# The site of the web build: the programs as WebAssembly modules, and the
# opcode table and examples the page offers (web/CMakeLists.txt adds the
# page itself), all in
# ${WEB_SITE_DIR} (build/web/site/ in the "web" preset). Included by the top
# level when the toolchain file cmake/wasm32-wasi.cmake is in use, before
# the programs' folders are added, so that what follows applies to every
# target.

# WASI has no processes, signals or process clocks; the C library emulates
# the few calls the programs make (getpid for temporary names, signal for
# the handlers that remove temporaries, clock for run times). There is no
# exception support on this target: the code uses none.
add_compile_definitions(_WASI_EMULATED_GETPID _WASI_EMULATED_SIGNAL _WASI_EMULATED_PROCESS_CLOCKS)
add_compile_options(-fno-exceptions)
add_link_options(-lwasi-emulated-getpid -lwasi-emulated-signal -lwasi-emulated-process-clocks)
# The linker's default stack is 64 KiB, less than one copy of the machine's
# memory; a native program has megabytes. Give the modules 1 MiB.
add_link_options(-Wl,-z,stack-size=1048576)

# The processor core dispatches through its standard switch here: WebAssembly
# has no indirect jump, so the compiler turns the table of label addresses
# into a switch of its own, which ran 8080EXM about a fifth slower
# (bench/README.md).
add_compile_definitions(RUN8085_SWITCH_DISPATCH)

# The web build installs nothing itself (the native build installs its
# site): the programs' install rules are dropped here. CMAKE_SKIP_INSTALL_RULES
# would do the same but warns about every rule.
function(install)
endfunction()

find_program(WASM_OPT wasm-opt REQUIRED)
set(WEB_SITE_DIR ${CMAKE_BINARY_DIR}/site)
# How wasm-opt optimises every module of the site (bench/README.md has the
# measurements behind the choice). The site's modules carry no debug
# information or function names, which would make them several times larger.
set(WASM_OPT_FLAGS -O3 CACHE STRING "wasm-opt options for the modules of the site")
set(_wasm_strip --strip-debug --strip-producers)

# Optimises the module that target builds into the site as <target>.wasm;
# building all builds it.
function(add_site_module target)
  set(module ${WEB_SITE_DIR}/${target}.wasm)
  add_custom_command(OUTPUT ${module}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${WEB_SITE_DIR}
    COMMAND ${WASM_OPT} ${WASM_OPT_FLAGS} ${_wasm_strip} $<TARGET_FILE:${target}> -o ${module}
    DEPENDS ${target}
    COMMENT "Optimising ${target}.wasm into the site"
    VERBATIM)
  add_custom_target(site-${target} ALL DEPENDS ${module})
endfunction()

# Builds a WASI command module (one run of main, as the native program) from
# an existing program target.
function(add_site_command target)
  add_site_module(${target})
endfunction()

# Builds a WASI reactor module <name>.wasm: no main; the host calls
# _initialize once, then the listed C functions as often as it likes.
#
#   add_site_reactor(Debug8085 SOURCES run8085/WebExports.cpp
#                    LIBRARIES debug8085 EXPORTS DebugLoad DebugCommand ...)
function(add_site_reactor name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES;EXPORTS")
  if(NOT arg_SOURCES OR NOT arg_EXPORTS)
    message(FATAL_ERROR "add_site_reactor(${name}): SOURCES and EXPORTS are needed")
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
  list(TRANSFORM arg_EXPORTS PREPEND "-Wl,--export=" OUTPUT_VARIABLE export_options)
  target_link_options(${name} PRIVATE -mexec-model=reactor ${export_options})
  add_site_module(${name})
endfunction()

# The opcode table, and the examples with their index; copied at every
# build, so that an edit shows at the next build.
add_custom_target(site-files ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DSITE_DIR=${WEB_SITE_DIR}
          -P ${PROJECT_SOURCE_DIR}/cmake/CopySiteFiles.cmake
  COMMENT "Copying the opcode table and examples into the site"
  VERBATIM)
