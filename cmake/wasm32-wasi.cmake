# The portable core, compiled for WebAssembly with WASI: a target that has
# the C and C++ standard libraries and no serial ports, terminals, sound or
# processes. `cmake -S . -B build-core -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake`
# then `cmake --build build-core` compiles every core room with warnings as
# errors; a core file that reached for a platform header fails the build.
# Needs Debian's clang, wasi-libc and libc++-14-dev-wasm32.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# Compiled, never linked.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Only WASI's own headers: without -nostdlibinc the compiler would look in
# the host's /usr/include for whatever WASI lacks, and termios.h or
# asoundlib.h would be found there.
set(STARGLOW_WASI_INCLUDE /usr/include/wasm32-wasi)
set(CMAKE_C_FLAGS_INIT "-nostdlibinc")
set(CMAKE_CXX_FLAGS_INIT "-nostdlibinc")
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${STARGLOW_WASI_INCLUDE})
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${STARGLOW_WASI_INCLUDE}/c++/v1 ${STARGLOW_WASI_INCLUDE})

set(STARGLOW_PLATFORM core CACHE STRING "" FORCE)
set(STARGLOW_KISSFFT_INCLUDE /usr/include/kissfft CACHE PATH "kissfft's headers")
