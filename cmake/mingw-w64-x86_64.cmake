# Cross build for 64-bit Windows with MinGW-w64 (Debian: mingw-w64), e.g.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Tests built this way run under Wine when it is installed.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLOTMUF_MINGW_TRIPLE x86_64-w64-mingw32)
# Debian's POSIX-threads variant has the whole C++ standard library: its
# default (win32) variant of GCC 12 lacks std::mutex, which GoogleTest needs.
# The plain names serve where there is no such choice.
find_program(CMAKE_C_COMPILER NAMES ${PLOTMUF_MINGW_TRIPLE}-gcc-posix ${PLOTMUF_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${PLOTMUF_MINGW_TRIPLE}-g++-posix ${PLOTMUF_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PLOTMUF_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW tree only, programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${PLOTMUF_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows test program through Wine.
find_program(PLOTMUF_WINE NAMES wine)
if(PLOTMUF_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PLOTMUF_WINE})
endif()
