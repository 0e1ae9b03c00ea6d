# libmpg123 and kissfft for the Windows target: cross-built from Debian's
# sources by scripts/windows-libraries into this build folder, once. A
# second configure finds them built (the script compares versions and
# returns at once); deleting the build folder builds them again.
#
# Gives the imported targets starglow::mpg123 and starglow::kissfft.
set(STARGLOW_WINDOWS_LIBRARIES ${CMAKE_BINARY_DIR}/windows-libraries CACHE PATH
    "where the cross-built libraries of the Windows target are kept")
set(starglow_windows_prefix ${STARGLOW_WINDOWS_LIBRARIES}/prefix)

message(STATUS "Windows libraries: ${starglow_windows_prefix}")
execute_process(
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows-libraries ${STARGLOW_WINDOWS_LIBRARIES}
          ${STARGLOW_MINGW_HOST}
  RESULT_VARIABLE starglow_windows_libraries_result)
if(NOT starglow_windows_libraries_result EQUAL 0)
  message(FATAL_ERROR "scripts/windows-libraries failed (${starglow_windows_libraries_result}): "
                      "see ${STARGLOW_WINDOWS_LIBRARIES}/logs")
endif()

add_library(starglow::mpg123 STATIC IMPORTED GLOBAL)
set_target_properties(starglow::mpg123 PROPERTIES
  IMPORTED_LOCATION ${starglow_windows_prefix}/lib/libmpg123.a
  INTERFACE_INCLUDE_DIRECTORIES ${starglow_windows_prefix}/include
  # libmpg123 joins file paths with the shell's PathCombineW.
  INTERFACE_LINK_LIBRARIES shlwapi)

add_library(starglow::kissfft STATIC IMPORTED GLOBAL)
set_target_properties(starglow::kissfft PROPERTIES
  IMPORTED_LOCATION ${starglow_windows_prefix}/lib/libkissfft-float.a
  INTERFACE_INCLUDE_DIRECTORIES ${starglow_windows_prefix}/include/kissfft
  # As the Linux package's pkg-config says, less its shared-library export.
  INTERFACE_COMPILE_DEFINITIONS kiss_fft_scalar=float)
