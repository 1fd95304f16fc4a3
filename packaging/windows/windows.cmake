# The Windows program file's icon and version block, built from the product
# name and version set once in the top CMakeLists.txt.

# quenbrix_configure_windows_rc(OUT_DIR RC_VAR): writes quenbrix.rc into OUT_DIR
# and stores its path in RC_VAR. The icon is the committed quenbrix.ico beside
# this file, so that the Windows build needs no picture tool; a test checks
# that it is what the icon tool (tools/icons) makes of qt/ui/quenbrix.xpm.
function(quenbrix_configure_windows_rc out_dir rc_var)
  string(REPLACE "." ";" parts "${QUENBRIX_VERSION}")
  list(GET parts 0 major)
  list(GET parts 1 minor)
  math(EXPR minor "${minor}")  # "00" is minor version 0
  set(QUENBRIX_VERSION_COMMAS "${major},${minor},0,0")
  set(QUENBRIX_ICON_ICO "${PROJECT_SOURCE_DIR}/packaging/windows/quenbrix.ico")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/quenbrix.rc.in" "${out_dir}/quenbrix.rc" @ONLY)
  set(${rc_var} "${out_dir}/quenbrix.rc" PARENT_SCOPE)
endfunction()

# quenbrix_add_windows_version(TARGET): gives the program file its icon and
# version block, and the name Quenbrix.exe.
function(quenbrix_add_windows_version target)
  quenbrix_configure_windows_rc("${CMAKE_CURRENT_BINARY_DIR}" rc)
  target_sources(${target} PRIVATE "${rc}")
  set_target_properties(${target} PROPERTIES OUTPUT_NAME "${QUENBRIX_PRODUCT_NAME}" WIN32_EXECUTABLE ON)
endfunction()
