# kissfft for a platform without Debian's binary package (the browser): its
# Debian source, fetched once into the build folder by
# scripts/fetch-debian-source, built as a static library with the scalar
# type of the system's kissfft-float. It is the starglow_kissfft the core links.
set(STARGLOW_KISSFFT_SOURCE "${CMAKE_BINARY_DIR}/_deps/kissfft"
    CACHE PATH "unpacked kissfft source (fetched here when missing)")
if(NOT EXISTS "${STARGLOW_KISSFFT_SOURCE}/kiss_fftr.c")
  execute_process(
    COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/fetch-debian-source" kissfft
            "${STARGLOW_KISSFFT_SOURCE}"
    RESULT_VARIABLE kissfft_fetch_result)
  if(NOT kissfft_fetch_result EQUAL 0 OR NOT EXISTS "${STARGLOW_KISSFFT_SOURCE}/kiss_fftr.c")
    message(FATAL_ERROR "kissfft: could not fetch its Debian source into ${STARGLOW_KISSFFT_SOURCE}; "
                        "set STARGLOW_KISSFFT_SOURCE to an unpacked kissfft source instead")
  endif()
endif()

add_library(starglow_kissfft STATIC
  "${STARGLOW_KISSFFT_SOURCE}/kiss_fft.c"
  "${STARGLOW_KISSFFT_SOURCE}/kiss_fftr.c")
target_include_directories(starglow_kissfft SYSTEM PUBLIC "${STARGLOW_KISSFFT_SOURCE}")
target_compile_definitions(starglow_kissfft PUBLIC kiss_fft_scalar=float)
# Third-party code: its warnings are not ours to fail on.
target_compile_options(starglow_kissfft PRIVATE -w)
