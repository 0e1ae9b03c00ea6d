# Cross-builds the Windows target (starglow.exe) with Debian's MinGW-w64,
# posix threads variant: the win32 variant has no std::thread or std::mutex,
# which the playback thread needs.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(STARGLOW_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${STARGLOW_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STARGLOW_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${STARGLOW_MINGW_HOST}-windres)
set(CMAKE_AR ${STARGLOW_MINGW_HOST}-gcc-ar-posix CACHE FILEPATH "archiver")
set(CMAKE_RANLIB ${STARGLOW_MINGW_HOST}-gcc-ranlib-posix CACHE FILEPATH "ranlib")

set(CMAKE_FIND_ROOT_PATH /usr/${STARGLOW_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests of the Windows target run the exe under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Fully static: with -static-libgcc -static-libstdc++ alone the exe still
# needs libwinpthread-1.dll beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
