# The Windows program file's icon and version block, built from the product
# name and version set once in the top CMakeLists.txt.

# quenbrix_configure_windows_rc(OUT_DIR RC_VAR): writes quenbrix.rc and the rule
# for quenbrix.ico into OUT_DIR and stores the .rc path in RC_VAR.
function(quenbrix_configure_windows_rc out_dir rc_var)
  string(REPLACE "." ";" parts "${QUENBRIX_VERSION}")
  list(GET parts 0 major)
  list(GET parts 1 minor)
  math(EXPR minor "${minor}")  # "00" is minor version 0
  set(QUENBRIX_VERSION_COMMAS "${major},${minor},0,0")
  set(QUENBRIX_ICON_ICO "${out_dir}/quenbrix.ico")
  find_program(QUENBRIX_CONVERT convert REQUIRED)
  add_custom_command(OUTPUT "${QUENBRIX_ICON_ICO}"
    COMMAND ${QUENBRIX_CONVERT} "${PROJECT_SOURCE_DIR}/resources/quenbrix.xpm" "${QUENBRIX_ICON_ICO}"
    DEPENDS "${PROJECT_SOURCE_DIR}/resources/quenbrix.xpm" VERBATIM)
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/quenbrix.rc.in" "${out_dir}/quenbrix.rc" @ONLY)
  set(${rc_var} "${out_dir}/quenbrix.rc" PARENT_SCOPE)
endfunction()

# quenbrix_add_windows_version(TARGET): gives the program file its icon and
# version block, and the name Quenbrix.exe.
function(quenbrix_add_windows_version target)
  quenbrix_configure_windows_rc("${CMAKE_CURRENT_BINARY_DIR}" rc)
  target_sources(${target} PRIVATE "${rc}" "${CMAKE_CURRENT_BINARY_DIR}/quenbrix.ico")
  set_target_properties(${target} PROPERTIES OUTPUT_NAME "${QUENBRIX_PRODUCT_NAME}" WIN32_EXECUTABLE ON)
endfunction()
