# libmpg123 for a platform without Debian's binary package (Windows): its
# Debian source, fetched once into the build folder by
# scripts/fetch-debian-source, configured for the cross compiler and built
# as a static library there. A second configure finds the library built and
# does nothing. Gives the imported target starglow::mpg123.
set(STARGLOW_MPG123_SOURCE "${CMAKE_BINARY_DIR}/_deps/mpg123"
    CACHE PATH "unpacked mpg123 source (fetched here when missing)")
set(starglow_mpg123_build "${CMAKE_BINARY_DIR}/_deps/mpg123-build")
set(starglow_mpg123_include "${CMAKE_BINARY_DIR}/_deps/mpg123-include")
set(starglow_mpg123_library "${starglow_mpg123_build}/src/libmpg123/.libs/libmpg123.a")

if(NOT EXISTS "${starglow_mpg123_library}")
  if(NOT EXISTS "${STARGLOW_MPG123_SOURCE}/configure")
    execute_process(
      COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/fetch-debian-source" mpg123
              "${STARGLOW_MPG123_SOURCE}"
      RESULT_VARIABLE mpg123_fetch_result)
    if(NOT mpg123_fetch_result EQUAL 0 OR NOT EXISTS "${STARGLOW_MPG123_SOURCE}/configure")
      message(FATAL_ERROR "mpg123: could not fetch its Debian source into ${STARGLOW_MPG123_SOURCE}; "
                          "set STARGLOW_MPG123_SOURCE to an unpacked mpg123 source instead")
    endif()
  endif()
  message(STATUS "libmpg123: building it for ${CMAKE_SYSTEM_NAME} in ${starglow_mpg123_build}")
  file(MAKE_DIRECTORY "${starglow_mpg123_build}")
  # Only the library (the tree's Makefile is non-recursive), without output
  # modules: the show plays through its own.
  execute_process(
    COMMAND "${STARGLOW_MPG123_SOURCE}/configure" --host=${STARGLOW_MINGW_HOST}
            CC=${CMAKE_C_COMPILER} --enable-static --disable-shared --disable-modules
    WORKING_DIRECTORY "${starglow_mpg123_build}"
    OUTPUT_FILE "${starglow_mpg123_build}/configure.log"
    ERROR_FILE "${starglow_mpg123_build}/configure.log"
    RESULT_VARIABLE mpg123_configure_result)
  if(mpg123_configure_result EQUAL 0)
    execute_process(
      COMMAND make -j2 src/libmpg123/libmpg123.la
      WORKING_DIRECTORY "${starglow_mpg123_build}"
      OUTPUT_FILE "${starglow_mpg123_build}/make.log"
      ERROR_FILE "${starglow_mpg123_build}/make.log")
  endif()
  if(NOT EXISTS "${starglow_mpg123_library}")
    message(FATAL_ERROR "libmpg123 did not build: see ${starglow_mpg123_build}/configure.log "
                        "and make.log")
  endif()
endif()

# Its two public headers, apart from the library's private ones.
file(COPY "${starglow_mpg123_build}/src/libmpg123/mpg123.h"
          "${STARGLOW_MPG123_SOURCE}/src/libmpg123/fmt123.h"
     DESTINATION "${starglow_mpg123_include}")

add_library(starglow::mpg123 STATIC IMPORTED GLOBAL)
set_target_properties(starglow::mpg123 PROPERTIES
  IMPORTED_LOCATION "${starglow_mpg123_library}"
  INTERFACE_INCLUDE_DIRECTORIES "${starglow_mpg123_include}"
  # libmpg123 joins file paths with the shell's PathCombineW.
  INTERFACE_LINK_LIBRARIES shlwapi)
