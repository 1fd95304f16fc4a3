# The Windows program files' icon and version block, built from the product
# name and version set once in the top CMakeLists.txt.

# The named mutex Quenbrix.exe holds while it runs, which the installer and
# the uninstaller look for. Without a prefix the name lives in the user's
# session, as the per-user install does.
set(QUENBRIX_RUNNING_MUTEX "Quenbrix.Running")

# quenbrix_configure_windows_rc(OUT_DIR RC_VAR [FILE_NAME name.exe]
#                               [DESCRIPTION text]): writes the resource
# script of one program file into OUT_DIR and stores its path in RC_VAR.
# Without FILE_NAME and DESCRIPTION it is the window program's, Quenbrix.exe.
# The icon is the committed quenbrix.ico beside this file, so that the
# Windows build needs no picture tool; a test checks that it is what the
# icon tool (tools/icons) makes of qt/ui/quenbrix.xpm.
function(quenbrix_configure_windows_rc out_dir rc_var)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "FILE_NAME;DESCRIPTION" "")
  if(NOT arg_FILE_NAME)
    set(arg_FILE_NAME "${QUENBRIX_PRODUCT_NAME}.exe")
  endif()
  if(NOT arg_DESCRIPTION)
    set(arg_DESCRIPTION "${QUENBRIX_PRODUCT_NAME}")
  endif()
  string(REPLACE "." ";" parts "${QUENBRIX_VERSION}")
  list(GET parts 0 major)
  list(GET parts 1 minor)
  math(EXPR minor "${minor}")  # "00" is minor version 0
  set(QUENBRIX_VERSION_COMMAS "${major},${minor},0,0")
  set(QUENBRIX_ICON_ICO "${PROJECT_SOURCE_DIR}/packaging/windows/quenbrix.ico")
  set(QUENBRIX_FILE_NAME "${arg_FILE_NAME}")
  get_filename_component(QUENBRIX_INTERNAL_NAME "${arg_FILE_NAME}" NAME_WE)
  set(QUENBRIX_FILE_DESCRIPTION "${arg_DESCRIPTION}")
  string(TOLOWER "${QUENBRIX_INTERNAL_NAME}" rc_name)
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/quenbrix.rc.in" "${out_dir}/${rc_name}.rc" @ONLY)
  set(${rc_var} "${out_dir}/${rc_name}.rc" PARENT_SCOPE)
endfunction()

# quenbrix_add_windows_version(TARGET [FILE_NAME name.exe] [DESCRIPTION text]):
# gives a program file the program icon and its version block.
function(quenbrix_add_windows_version target)
  quenbrix_configure_windows_rc("${CMAKE_CURRENT_BINARY_DIR}" rc ${ARGN})
  target_sources(${target} PRIVATE "${rc}")
endfunction()
