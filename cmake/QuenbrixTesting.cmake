if(WIN32 AND CMAKE_CROSSCOMPILING)
  # No GoogleTest is packaged for MinGW: built here from Debian's sources
  # (package googletest), statically like everything else.
  set(QUENBRIX_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${QUENBRIX_GOOGLETEST_SOURCE}" "${PROJECT_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  include(cmake/QuenbrixWine.cmake)
else()
  find_package(GTest REQUIRED)
endif()

set(QUENBRIX_LSAN_SUPPRESSIONS "${PROJECT_SOURCE_DIR}/tests/lsan.supp")

# quenbrix_add_test(NAME SOURCES ... LIBRARIES ... [LABELS ...] [QT] [XVFB] [OPENBOX])
# Registers one test executable with CTest. Window tests (QT) run on Qt's
# offscreen platform; with XVFB on a private X server of their own and no
# window manager; with OPENBOX (as NAME_openbox) on a private X server that
# openbox manages, for what depends on a real window manager's focus,
# stacking and frames.
function(quenbrix_add_test name)
  cmake_parse_arguments(ARG "QT;XVFB;OPENBOX" "TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} Quenbrix::options)
  set(tests ${name})
  set(platform offscreen)
  if(ARG_XVFB OR ARG_OPENBOX)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    set(platform xcb)
    set(tests)
    if(ARG_XVFB)
      find_program(QUENBRIX_XVFB_RUN xvfb-run REQUIRED)
      add_test(NAME ${name}
        COMMAND ${QUENBRIX_XVFB_RUN} -a -s "-screen 0 1024x768x24" $<TARGET_FILE:${name}>)
      list(APPEND tests ${name})
    endif()
    find_program(QUENBRIX_OPENBOX openbox)
    if(ARG_OPENBOX AND NOT QUENBRIX_OPENBOX)
      message(STATUS "openbox not found: ${name} runs without a window manager only")
    elseif(ARG_OPENBOX)
      add_test(NAME ${name}_openbox
        COMMAND "${PROJECT_SOURCE_DIR}/cmake/run_under_openbox.sh" $<TARGET_FILE:${name}>)
      set_tests_properties(${name}_openbox PROPERTIES LABELS "${ARG_LABELS};xvfb;openbox")
      list(APPEND tests ${name}_openbox)
    endif()
    list(APPEND ARG_LABELS xvfb)
  elseif(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    add_test(NAME ${name} COMMAND ${name})
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  endif()
  set(env
    "QT_QPA_PLATFORM=${platform}"
    "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    "LSAN_OPTIONS=suppressions=${QUENBRIX_LSAN_SUPPRESSIONS}:print_suppressions=0")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  foreach(test IN LISTS tests)
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${ARG_TIMEOUT})
    get_test_property(${test} LABELS labels)
    if(NOT labels)
      set_tests_properties(${test} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    if(COMMAND quenbrix_run_under_wine)
      quenbrix_run_under_wine(${test})
    endif()
  endforeach()
endfunction()
