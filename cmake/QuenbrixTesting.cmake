find_package(GTest REQUIRED)

set(QUENBRIX_LSAN_SUPPRESSIONS "${PROJECT_SOURCE_DIR}/tests/lsan.supp")

# quenbrix_add_test(NAME SOURCES ... LIBRARIES ... [LABELS ...] [QT] [XVFB])
# Registers one test executable with CTest. Window tests (QT) run on Qt's
# offscreen platform, or with XVFB on a private X server of their own.
function(quenbrix_add_test name)
  cmake_parse_arguments(ARG "QT;XVFB" "TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} Quenbrix::options)
  if(ARG_XVFB)
    find_program(QUENBRIX_XVFB_RUN xvfb-run REQUIRED)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    add_test(NAME ${name}
      COMMAND ${QUENBRIX_XVFB_RUN} -a -s "-screen 0 1024x768x24" $<TARGET_FILE:${name}>)
    set(platform xcb)
    list(APPEND ARG_LABELS xvfb)
  elseif(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    add_test(NAME ${name} COMMAND ${name})
    set(platform offscreen)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set(platform offscreen)
  endif()
  set(env
    "QT_QPA_PLATFORM=${platform}"
    "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
    "LSAN_OPTIONS=suppressions=${QUENBRIX_LSAN_SUPPRESSIONS}:print_suppressions=0")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${env}" TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
endfunction()
