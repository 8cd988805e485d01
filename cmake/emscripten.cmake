# The browser build's toolchain: Emscripten's own toolchain file, wherever
# this machine keeps it, so that the web preset names no path of one system.
# Looked for under $EMSCRIPTEN (the folder that holds emcc), under emsdk's
# $EMSDK/upstream/emscripten, where em-config on the PATH says, and in
# Debian's place. CMake reads a toolchain file again for every check it
# compiles, so the answer is kept in the environment of this run.
set(tavilo_emscripten_file cmake/Modules/Platform/Emscripten.cmake)

macro(tavilo_try_emscripten root)
  if(NOT DEFINED ENV{TAVILO_EMSCRIPTEN_ROOT} AND NOT "${root}" STREQUAL ""
     AND EXISTS "${root}/${tavilo_emscripten_file}")
    set(ENV{TAVILO_EMSCRIPTEN_ROOT} "${root}")
  endif()
endmacro()

tavilo_try_emscripten("$ENV{EMSCRIPTEN}")
if(DEFINED ENV{EMSDK})
  tavilo_try_emscripten("$ENV{EMSDK}/upstream/emscripten")
endif()
if(NOT DEFINED ENV{TAVILO_EMSCRIPTEN_ROOT})
  find_program(TAVILO_EM_CONFIG em-config)
  if(TAVILO_EM_CONFIG)
    execute_process(COMMAND "${TAVILO_EM_CONFIG}" EMSCRIPTEN_ROOT
                    OUTPUT_VARIABLE tavilo_em_config_root OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    tavilo_try_emscripten("${tavilo_em_config_root}")
  endif()
endif()
tavilo_try_emscripten(/usr/share/emscripten)
if(NOT DEFINED ENV{TAVILO_EMSCRIPTEN_ROOT})
  message(FATAL_ERROR "Emscripten was not found: install it (./scripts/deps.sh web installs Debian's), "
                      "or set EMSCRIPTEN to the folder that holds emcc.")
endif()
include("$ENV{TAVILO_EMSCRIPTEN_ROOT}/${tavilo_emscripten_file}")
