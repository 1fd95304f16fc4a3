# Cross-building the Windows program (64-bit) on Debian with MinGW-w64:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUENBRIX_MINGW_TRIPLET x86_64-w64-mingw32)
set(QUENBRIX_MINGW_PREFIX "/usr/${QUENBRIX_MINGW_TRIPLET}")

# The posix thread model: the default win32 one has no std::thread or
# std::mutex with GCC 12.
set(CMAKE_C_COMPILER ${QUENBRIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENBRIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENBRIX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH "${QUENBRIX_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config would otherwise hand out the host's Linux libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${QUENBRIX_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(ENV{PKG_CONFIG_PATH} "")

# The C and C++ runtimes and winpthread linked in: the programs run from a
# bare folder, without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest runs the Windows test programs under Wine.
find_program(QUENBRIX_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${QUENBRIX_WINE}")
