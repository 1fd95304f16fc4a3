# Run by cmake --install: writes the menu entry with Exec and TryExec naming
# the installed window program by its full path, and installs it.
# In: QUENBRIX_DESKTOP_TEMPLATE (the built entry, Exec=quenbrix),
#     QUENBRIX_DESKTOP_STAGING (where to write the filled-in copy),
#     QUENBRIX_PROGRAM_DIR (the programs' folder, relative to the prefix).
set(program "${CMAKE_INSTALL_PREFIX}/${QUENBRIX_PROGRAM_DIR}/quenbrix")

# Exec takes the path in double quotes, with \, ", ` and $ escaped inside the
# quotes; as a string value the result then has every \ doubled again, and
# "%" is doubled because Exec reserves it for field codes.
string(REPLACE "\\" "\\\\" exec "${program}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
# TryExec is a plain string value.
string(REPLACE "\\" "\\\\" try_exec "${program}")

file(READ "${QUENBRIX_DESKTOP_TEMPLATE}" entry)
foreach(line "Exec=quenbrix" "TryExec=quenbrix")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${QUENBRIX_DESKTOP_TEMPLATE} has no line ${line}")
  endif()
endforeach()
string(REPLACE "\nExec=quenbrix\n" "\nExec=\"${exec}\"\n" entry "${entry}")
string(REPLACE "\nTryExec=quenbrix\n" "\nTryExec=${try_exec}\n" entry "${entry}")
file(WRITE "${QUENBRIX_DESKTOP_STAGING}" "${entry}")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${QUENBRIX_DESKTOP_STAGING}")
