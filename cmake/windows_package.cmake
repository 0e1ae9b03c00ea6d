# The download for Windows users, build-win/starglow-windows.zip: a folder
# starglow/ with starglow.exe, starglow.mp3 and README.txt.
#
# The music is composed by starglow-compose, a Linux program: give a
# starglow.mp3 made already with -DSTARGLOW_MUSIC=FILE (./check passes the
# linux build's), or the build compiles starglow-compose for this machine
# in build-win/host and composes it (about a minute).
set(STARGLOW_MUSIC "" CACHE FILEPATH
    "starglow.mp3 for the zip; empty: composed by a host build of starglow-compose")

set(starglow_package_dir ${CMAKE_BINARY_DIR}/package/starglow)
set(starglow_package_music ${starglow_package_dir}/starglow.mp3)
if(STARGLOW_MUSIC)
  add_custom_command(
    OUTPUT ${starglow_package_music}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${starglow_package_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${STARGLOW_MUSIC} ${starglow_package_music}
    DEPENDS ${STARGLOW_MUSIC}
    COMMENT "Taking starglow.mp3 from ${STARGLOW_MUSIC}"
    VERBATIM)
else()
  include(ExternalProject)
  # The host's own compilers: nothing of this build's toolchain is passed on.
  ExternalProject_Add(starglow_host_compose
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/host
    CMAKE_ARGS -DSTARGLOW_PLATFORM=linux -DCMAKE_BUILD_TYPE=Release -DSTARGLOW_BENCH=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target starglow-compose
    INSTALL_COMMAND ""
    EXCLUDE_FROM_ALL TRUE)
  add_custom_command(
    OUTPUT ${starglow_package_music}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${starglow_package_dir}
    COMMAND ${CMAKE_BINARY_DIR}/host/bin/starglow-compose --quiet --out ${starglow_package_music}
    DEPENDS starglow_host_compose
    COMMENT "Composing starglow.mp3 with the host's starglow-compose"
    VERBATIM)
endif()

set(starglow_package_zip ${CMAKE_BINARY_DIR}/starglow-windows.zip)
add_custom_command(
  OUTPUT ${starglow_package_zip}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:starglow> ${starglow_package_dir}/starglow.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/windows-readme.txt
          ${starglow_package_dir}/README.txt
  COMMAND ${CMAKE_COMMAND} -E rm -f ${starglow_package_zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${starglow_package_zip} --format=zip starglow
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/package
  DEPENDS starglow ${starglow_package_music} ${PROJECT_SOURCE_DIR}/docs/windows-readme.txt
  COMMENT "Packing starglow-windows.zip"
  VERBATIM)
add_custom_target(starglow_windows_zip ALL DEPENDS ${starglow_package_zip})
