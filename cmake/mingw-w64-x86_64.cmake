# Builds the core library and tessel-cli for 64-bit Windows with the
# MinGW-w64 cross compiler (Debian: g++-mingw-w64-x86-64-posix,
# mingw-w64-tools). The posix flavour gives std::thread; its runtime
# (libstdc++, libgcc, winpthread) is linked statically, so tessel-cli.exe
# needs no DLL beside it.
#
#   cmake -S . -B build/win64 -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The tests, when built, run under Wine (scripts/test-windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine runs what the build made (test discovery, the tests themselves).
find_program(TESSEL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(TESSEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSEL_WINE})
endif()

# Everything of the runtime inside the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
