# Programs of a Windows cross build run under Wine through one wrapper, wine-run in the build
# directory, which keeps Wine's prefix inside the build directory and quiet (see wine-run.sh.in).
# Included by the top-level CMakeLists.txt before any target exists, so that every program's
# CROSSCOMPILING_EMULATOR (tests, examples) is the wrapper.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    return()
endif()
set(OPM_WINE ${CMAKE_CROSSCOMPILING_EMULATOR})
set(OPM_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
