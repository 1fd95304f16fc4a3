# libsndfile for the Windows build: MinGW has no package of it, so Debian's
# own source package (with Debian's patches, security fixes included) is
# fetched and cross-built here, statically, with the project's toolchain
# file, at configure time. The result is the imported target
# SndFile::sndfile, as the Linux build gets it from libsndfile1-dev.
#
# Everything lives in <build>/libsndfile: the downloaded source package is
# kept there, so that a rebuild needs no network, and a second configure
# reuses the built library. The system's package sources are only read, to
# find its Debian mirror: apt runs with a private sources file, lists and
# cache. When the source cannot be had or built, a warning names the log and
# the Windows build goes on without the target.

option(QUENBRIX_WINDOWS_SNDFILE "Build libsndfile from Debian's source package for Windows" ON)
set(QUENBRIX_SNDFILE_SUITE "bookworm" CACHE STRING
    "Debian release whose libsndfile source package the Windows build uses")
set(QUENBRIX_SNDFILE_MIRROR "" CACHE STRING
    "Debian mirror for the libsndfile source package (empty: the system's own)")

# Built in, no external codecs (FLAC, Vorbis, Opus, MPEG), no programs.
set(quenbrix_sndfile_options
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=OFF
  -DENABLE_EXTERNAL_LIBS=OFF
  -DENABLE_MPEG=OFF
  -DBUILD_PROGRAMS=OFF
  -DBUILD_EXAMPLES=OFF
  -DBUILD_TESTING=OFF
  -DENABLE_CPACK=OFF
  -DENABLE_PACKAGE_CONFIG=OFF
  -DINSTALL_PKGCONFIG_MODULE=OFF
  -DINSTALL_MANPAGES=OFF
  -DCMAKE_INSTALL_LIBDIR=lib
  -DCMAKE_INSTALL_INCLUDEDIR=include)

# quenbrix_sndfile_give_up(WHY LOG): the Windows build goes on without
# libsndfile, and says where to look.
macro(quenbrix_sndfile_give_up why log)
  message(WARNING "libsndfile for Windows: ${why}; see ${log}. "
                  "The Windows build goes on without it: quenbrix-tone.exe reads no recordings.")
  return()
endmacro()

# quenbrix_sndfile_run(LOG STEP COMMAND...): runs one step with its output in
# LOG, giving up when it fails.
macro(quenbrix_sndfile_run log step)
  execute_process(COMMAND ${ARGN}
                  WORKING_DIRECTORY "${quenbrix_sndfile_dir}"
                  OUTPUT_FILE "${log}" ERROR_FILE "${log}"
                  RESULT_VARIABLE quenbrix_sndfile_result
                  TIMEOUT 1800)
  if(NOT quenbrix_sndfile_result EQUAL 0)
    quenbrix_sndfile_give_up("${step} failed (${quenbrix_sndfile_result})" "${log}")
  endif()
endmacro()

# quenbrix_sndfile_mirrors(OUT LOG): the archives the system fetches the
# suite from, in the order of its sources. apt itself reads them (one-line or
# deb822 files) and prints the addresses it would fetch, fetching nothing.
function(quenbrix_sndfile_mirrors out log)
  set(state "${quenbrix_sndfile_dir}/apt/system")
  file(MAKE_DIRECTORY "${state}/lists/partial" "${state}/cache")
  execute_process(COMMAND apt-get -o "Dir::State::Lists=${state}/lists" -o "Dir::Cache=${state}/cache"
                          update --print-uris
                  OUTPUT_VARIABLE uris ERROR_VARIABLE errors)
  file(WRITE "${log}" "${uris}${errors}")
  file(REMOVE_RECURSE "${state}")
  string(REGEX MATCHALL "'[a-z+]+://[^' ]+/dists/${QUENBRIX_SNDFILE_SUITE}/InRelease'" found "${uris}")
  list(TRANSFORM found REPLACE "^'(.*)/dists/.*$" "\\1")
  list(REMOVE_DUPLICATES found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

function(quenbrix_sndfile_windows)
  set(quenbrix_sndfile_dir "${PROJECT_BINARY_DIR}/libsndfile")
  set(download "${quenbrix_sndfile_dir}/download")
  set(source "${quenbrix_sndfile_dir}/source")
  set(build "${quenbrix_sndfile_dir}/build")
  set(install "${quenbrix_sndfile_dir}/install")
  set(logs "${quenbrix_sndfile_dir}/logs")
  set(library "${install}/lib/libsndfile.a")
  file(MAKE_DIRECTORY "${download}" "${logs}")

  # The source package, unless an earlier configure kept it.
  file(GLOB dsc "${download}/libsndfile_*.dsc")
  if(NOT dsc)
    set(mirrors "${QUENBRIX_SNDFILE_MIRROR}")
    if(NOT mirrors)
      quenbrix_sndfile_mirrors(mirrors "${logs}/mirror.log")
      if(NOT mirrors)
        quenbrix_sndfile_give_up("no archive for ${QUENBRIX_SNDFILE_SUITE} in the system's apt \
sources (set QUENBRIX_SNDFILE_MIRROR)" "${logs}/mirror.log")
      endif()
    endif()
    set(apt "${quenbrix_sndfile_dir}/apt")
    set(apt_get apt-get -q
        -o "Dir::Etc::sourcelist=${apt}/sources.list" -o "Dir::Etc::sourceparts=-"
        -o "Dir::State::Lists=${apt}/lists" -o "Dir::Cache=${apt}/cache")
    # The first archive whose index Debian's keys verify: another
    # repository may also name its suite after the release. An archive out
    # of reach fails here, not as "no such package" later.
    set(fetched FALSE)
    foreach(mirror IN LISTS mirrors)
      file(REMOVE_RECURSE "${apt}")
      file(MAKE_DIRECTORY "${apt}/lists/partial" "${apt}/cache/archives/partial")
      file(WRITE "${apt}/sources.list"
           "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] "
           "${mirror} ${QUENBRIX_SNDFILE_SUITE} main\n")
      message(STATUS "libsndfile for Windows: fetching Debian's source package from ${mirror}")
      execute_process(COMMAND ${apt_get} --error-on=any update
                      OUTPUT_FILE "${logs}/apt-update.log" ERROR_FILE "${logs}/apt-update.log"
                      RESULT_VARIABLE result)
      if(result EQUAL 0)
        set(fetched TRUE)
        break()
      endif()
    endforeach()
    if(NOT fetched)
      file(REMOVE_RECURSE "${apt}")
      quenbrix_sndfile_give_up("apt-get update of ${QUENBRIX_SNDFILE_SUITE}'s sources failed"
                               "${logs}/apt-update.log")
    endif()
    # apt checks the files against the .dsc, itself checked against the
    # signed index of the suite.
    execute_process(COMMAND ${apt_get} source --download-only libsndfile
                    WORKING_DIRECTORY "${download}"
                    OUTPUT_FILE "${logs}/apt-source.log" ERROR_FILE "${logs}/apt-source.log"
                    RESULT_VARIABLE result)
    file(REMOVE_RECURSE "${apt}")  # 20 MB of lists, not needed again
    file(GLOB dsc "${download}/libsndfile_*.dsc")
    if(NOT result EQUAL 0 OR NOT dsc)
      file(REMOVE_RECURSE "${download}")
      quenbrix_sndfile_give_up("apt-get source libsndfile failed" "${logs}/apt-source.log")
    endif()
  endif()
  list(GET dsc -1 dsc)
  get_filename_component(package "${dsc}" NAME_WLE)  # libsndfile_1.2.0-1+deb12u1

  # A library built from this package with these options is reused.
  string(JOIN "\n" wanted "${package}" ${quenbrix_sndfile_options} "${CMAKE_C_COMPILER}")
  set(stamp "${install}/quenbrix-sndfile.txt")
  set(built "")
  if(EXISTS "${stamp}" AND EXISTS "${library}")
    file(READ "${stamp}" built)
  endif()
  if(NOT built STREQUAL wanted)
    message(STATUS "libsndfile for Windows: building ${package} (logs in ${logs})")
    string(TIMESTAMP started "%s")
    file(REMOVE_RECURSE "${source}" "${build}" "${install}")
    # dpkg-source checks the files against the .dsc again and applies
    # Debian's patches. Files that fail it are fetched again next time.
    execute_process(COMMAND dpkg-source --no-copy -x "${dsc}" "${source}"
                    OUTPUT_FILE "${logs}/unpack.log" ERROR_FILE "${logs}/unpack.log"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      file(REMOVE_RECURSE "${download}")
      quenbrix_sndfile_give_up("dpkg-source -x ${package}.dsc failed" "${logs}/unpack.log")
    endif()
    set(launcher "")
    if(CMAKE_CXX_COMPILER_LAUNCHER)
      set(launcher "-DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}")
    endif()
    quenbrix_sndfile_run("${logs}/configure.log" "configuring libsndfile"
      "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${CMAKE_GENERATOR}"
      "-DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake"
      "-DCMAKE_INSTALL_PREFIX=${install}" ${launcher} ${quenbrix_sndfile_options})
    cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
    # Not make's jobserver of a "make windows" around this configure: its
    # pipe is closed here, which would leave the build on one core.
    quenbrix_sndfile_run("${logs}/build.log" "building libsndfile"
      "${CMAKE_COMMAND}" -E env --unset=MAKEFLAGS --unset=MFLAGS --unset=MAKELEVEL
      "${CMAKE_COMMAND}" --build "${build}" --parallel ${cores})
    quenbrix_sndfile_run("${logs}/install.log" "installing libsndfile"
      "${CMAKE_COMMAND}" --install "${build}")
    file(COPY "${source}/COPYING" "${source}/debian/copyright" DESTINATION "${install}/licence")
    file(WRITE "${stamp}" "${wanted}")
    string(TIMESTAMP finished "%s")
    math(EXPR seconds "${finished} - ${started}")
    file(SIZE "${library}" size)
    message(STATUS "libsndfile for Windows: built in ${seconds} s, libsndfile.a ${size} bytes")
  endif()

  add_library(SndFile::sndfile STATIC IMPORTED GLOBAL)
  set_target_properties(SndFile::sndfile PROPERTIES
    IMPORTED_LOCATION "${library}"
    INTERFACE_INCLUDE_DIRECTORIES "${install}/include")
  # For the packages: the source package's version and its licence texts.
  string(REGEX REPLACE "^libsndfile_" "" version "${package}")
  set(QUENBRIX_SNDFILE_PACKAGE_VERSION "${version}" PARENT_SCOPE)
  set(QUENBRIX_SNDFILE_LICENCE_DIR "${install}/licence" PARENT_SCOPE)
endfunction()

if(QUENBRIX_WINDOWS_SNDFILE)
  quenbrix_sndfile_windows()
endif()
