# The installed Windows package serves a separate MinGW program: installs the build into a
# temporary prefix, checks the layout (DLLs in bin/, import libraries in lib/, headers, CMake
# package), builds the consumers of this directory against it with find_package(OstraPureMath
# CONFIG) and runs each under Wine with only the prefix's bin/ on its DLL search path.
#
#   cmake -DBUILD_DIR=<build> -DTOOLCHAIN=<toolchain file> -DRUN=<emulator>
#         -P CheckWindowsInstall.cmake
cmake_minimum_required(VERSION 3.25)

set(work ${BUILD_DIR}/install-check)
set(prefix ${work}/prefix)
file(REMOVE_RECURSE ${work})

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "check-install: failed (${status}): ${ARGN}\n${out}")
    endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(file bin/OstraPureMath.dll bin/OstraFramework.dll bin/Torvik.dll
        lib/libOstraPureMath.dll.a lib/libOstraFramework.dll.a include/OstraPureMath/Matrix.h
        lib/cmake/OstraPureMath/OstraPureMathConfig.cmake)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "check-install: ${file} is not installed")
    endif()
endforeach()

# A cross build finds packages under its find roots: the prefix is made one.
run(${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR} -B ${work}/consumer -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_FIND_ROOT_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${work}/consumer)

foreach(program opm-install-consumer opm-install-modern opm-install-c)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPATH=Z:${prefix}/bin
                            ${RUN} ${work}/consumer/${program}.exe
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    message("${out}")
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "check-install: ${program} failed under Wine (${status})")
    endif()
endforeach()
message("check-install: the installed Windows package works through its CMake package")
