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

# The samples must be the formula evaluated operation by operation in
# binary64: no fused multiply-add may merge two roundings into one. Every
# target that computes or recomputes samples links this.
add_library(quenbrix_exact_floating_point INTERFACE)
add_library(Quenbrix::exact_floating_point ALIAS quenbrix_exact_floating_point)
target_compile_options(quenbrix_exact_floating_point INTERFACE -ffp-contract=off)
