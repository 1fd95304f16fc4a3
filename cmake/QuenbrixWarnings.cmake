# Warnings and sanitizers for the project's own targets, set through one
# interface target so that system libraries keep their own flags.
add_library(quenbrix_options INTERFACE)
add_library(Quenbrix::options ALIAS quenbrix_options)
target_compile_options(quenbrix_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wnull-dereference
  -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
if(QUENBRIX_WERROR)
  target_compile_options(quenbrix_options INTERFACE -Werror)
endif()
if(QUENBRIX_SANITIZE)
  target_compile_options(quenbrix_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(quenbrix_options INTERFACE -fsanitize=address,undefined)
endif()
