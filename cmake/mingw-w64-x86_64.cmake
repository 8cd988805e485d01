# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the -posix
# compilers, whose libstdc++ has std::thread and std::mutex). Everything is
# linked statically, so tavilo.exe needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVILO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVILO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVILO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVILO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVILO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Tests that run a built .exe go through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
