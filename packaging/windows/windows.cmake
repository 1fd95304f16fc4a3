# quenbrix_add_windows_version(TARGET): gives the Windows executable its icon
# and version block, built from the product name and version set once in the
# top CMakeLists.txt.
function(quenbrix_add_windows_version target)
  string(REPLACE "." ";" parts "${QUENBRIX_VERSION}")
  list(GET parts 0 major)
  list(GET parts 1 minor)
  math(EXPR minor "${minor}")  # "00" becomes 0
  set(QUENBRIX_VERSION_COMMAS "${major},${minor},0,0")
  set(QUENBRIX_ICON_ICO "${CMAKE_CURRENT_BINARY_DIR}/quenbrix.ico")
  find_program(QUENBRIX_CONVERT convert REQUIRED)
  add_custom_command(OUTPUT "${QUENBRIX_ICON_ICO}"
    COMMAND ${QUENBRIX_CONVERT} "${PROJECT_SOURCE_DIR}/resources/quenbrix.xpm" "${QUENBRIX_ICON_ICO}"
    DEPENDS "${PROJECT_SOURCE_DIR}/resources/quenbrix.xpm" VERBATIM)
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/quenbrix.rc.in"
                 "${CMAKE_CURRENT_BINARY_DIR}/quenbrix.rc" @ONLY)
  target_sources(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/quenbrix.rc" "${QUENBRIX_ICON_ICO}")
  set_target_properties(${target} PROPERTIES OUTPUT_NAME "${QUENBRIX_PRODUCT_NAME}" WIN32_EXECUTABLE ON)
endfunction()
