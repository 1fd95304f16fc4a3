# The Windows test programs run under Wine, in prefixes of their own inside
# the build tree: "null" with Wine's null graphics driver for the console and
# in-process window tests (no X server needed), "x11" for the run on a real X
# server. One persistent wineserver serves the "null" prefix from the first
# test to the last: a fixture starts it and stops it.
set(QUENBRIX_WINE_DIR "${PROJECT_BINARY_DIR}/wine")
set(QUENBRIX_WINE_PREFIX "${QUENBRIX_WINE_DIR}/null")
set(QUENBRIX_WINE_X11_PREFIX "${QUENBRIX_WINE_DIR}/x11")
# No Mono or Gecko installer prompts; no debug chatter.
set(QUENBRIX_WINE_ENVIRONMENT
  "WINEPREFIX=${QUENBRIX_WINE_PREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml="
  "WINEARCH=win64")

set(quenbrix_wine_script "${PROJECT_SOURCE_DIR}/tests/win32/wine_prefix.sh")
add_test(NAME wine_prefix_start
  COMMAND "${quenbrix_wine_script}" start "${QUENBRIX_WINE_PREFIX}" "${QUENBRIX_WINE_X11_PREFIX}")
add_test(NAME wine_prefix_stop
  COMMAND "${quenbrix_wine_script}" stop "${QUENBRIX_WINE_PREFIX}" "${QUENBRIX_WINE_X11_PREFIX}")
set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# quenbrix_run_under_wine(TEST): the test runs in the "null" prefix, once its
# wineserver is up.
function(quenbrix_run_under_wine test)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ${QUENBRIX_WINE_ENVIRONMENT})
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED wine)
endfunction()
