# Cross build for 64-bit Windows with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64-posix). Every executable is linked statically, so
# that it runs on its own, with no MinGW runtime DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SB_MINGW_PREFIX x86_64-w64-mingw32)
find_program(SB_MINGW_CXX NAMES ${SB_MINGW_PREFIX}-g++-posix ${SB_MINGW_PREFIX}-g++ REQUIRED)
find_program(SB_MINGW_RC NAMES ${SB_MINGW_PREFIX}-windres REQUIRED)
set(CMAKE_CXX_COMPILER ${SB_MINGW_CXX})
set(CMAKE_RC_COMPILER ${SB_MINGW_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${SB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
