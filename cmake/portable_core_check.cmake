# The portable core alone (STARGLOW_PLATFORM=core, see cmake/wasm32-wasi.cmake).
# The target's C library still has POSIX headers of its own (unistd.h,
# fcntl.h, ...), so each platform header is replaced by one that stops the
# build: a core file that includes it fails to compile, and says where such
# code belongs.
set(STARGLOW_PLATFORM_HEADERS
  unistd.h fcntl.h poll.h dirent.h sched.h pthread.h termios.h signal.h syslog.h netdb.h
  sys/ioctl.h sys/stat.h sys/socket.h sys/select.h sys/mman.h sys/time.h sys/resource.h
  sys/uio.h sys/utsname.h sys/times.h sys/random.h sys/wait.h sys/prctl.h sys/inotify.h
  netinet/in.h linux/seccomp.h pty.h
  windows.h mmsystem.h emscripten.h emscripten/emscripten.h alsa/asoundlib.h mpg123.h)
set(core_check_headers ${CMAKE_BINARY_DIR}/platform-headers)
foreach(header ${STARGLOW_PLATFORM_HEADERS})
  file(WRITE ${core_check_headers}/${header}
       "#error \"${header} is a platform header: the portable core may not use it; "
       "such code belongs in src/platform/<platform>/\"\n")
endforeach()
include_directories(BEFORE SYSTEM ${core_check_headers})

# The check must be able to fail: a file that includes a platform header
# must not compile here.
file(WRITE ${CMAKE_BINARY_DIR}/platform-header-probe.cpp "#include <unistd.h>\nint probe;\n")
try_compile(core_check_misses_platform_headers ${CMAKE_BINARY_DIR}/platform-header-probe
            SOURCES ${CMAKE_BINARY_DIR}/platform-header-probe.cpp
            CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${core_check_headers}"
            OUTPUT_VARIABLE core_check_probe_output)
if(core_check_misses_platform_headers)
  message(FATAL_ERROR "the core check would let a platform header through:\n${core_check_probe_output}")
endif()

# Compiled, never linked: the transform's headers are all the core needs,
# and the seams are left to the platforms.
add_library(starglow_kissfft INTERFACE)
target_include_directories(starglow_kissfft SYSTEM INTERFACE ${STARGLOW_KISSFFT_INCLUDE})
target_compile_definitions(starglow_kissfft INTERFACE kiss_fft_scalar=float)
add_library(starglow_platform INTERFACE)
