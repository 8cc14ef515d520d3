# Cross build for 32-bit Windows with MinGW-w64 (the windows-x86 preset). A machine whose kernel
# runs no 32-bit code cannot run what it builds, so no emulator is set.
set(OPM_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
