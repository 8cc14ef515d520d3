# Cross build for 64-bit Windows with MinGW-w64; programs run under Wine.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...   (or the windows-x64 preset)
set(OPM_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)

# Programs built here (tests, examples) run under Wine's 64-bit loader.
find_program(OPM_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(OPM_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${OPM_WINE64})
endif()
