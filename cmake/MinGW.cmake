# Shared part of the MinGW-w64 toolchain files (mingw-w64-x86_64.cmake, mingw-w64-i686.cmake),
# which set OPM_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR and include this file.
#
# Debian's cross compilers with POSIX threads; the Windows headers and import libraries of the
# sysroot /usr/<triple>. Libraries and packages are looked for in the sysroot only, so that no
# Linux library is ever linked into a Windows binary; a consumer adds its own installation
# prefixes with -DCMAKE_FIND_ROOT_PATH=<prefix>.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${OPM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OPM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${OPM_MINGW_TRIPLE}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${OPM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime (libgcc, libstdc++, winpthread) is linked into every DLL and program, so
# that they run with nothing but the system's own DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Eigen is header-only and the same for every target: its package outside the sysroot serves.
if(EXISTS /usr/share/eigen3/cmake/Eigen3Config.cmake)
    set(Eigen3_DIR /usr/share/eigen3/cmake CACHE PATH "Eigen's CMake package")
endif()
