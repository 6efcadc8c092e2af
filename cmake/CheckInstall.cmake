# Installs the build in BUILD_DIR under WORK_DIR as DESTDIR (prefix /usr),
# checks the installed tree and runs the installed programs' --version, from
# a folder of their own, with no path into the build or source tree.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... [-DGUI=ON] -P cmake/CheckInstall.cmake
cmake_policy(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "DESTDIR=${WORK_DIR}/root"
                        ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix /usr
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(programs tessel-cli)
if(GUI)
    list(APPEND programs tessel)
endif()
foreach(program IN LISTS programs)
    set(installed "${WORK_DIR}/root/usr/bin/${program}")
    if(NOT EXISTS "${installed}")
        message(FATAL_ERROR "not installed: /usr/bin/${program}")
    endif()
    # Out of the build tree's reach: a copy in a folder of its own, started
    # with nothing of the build in its environment.
    file(COPY "${installed}" DESTINATION "${WORK_DIR}/elsewhere")
    execute_process(COMMAND env -i "PATH=/usr/bin:/bin" "HOME=${WORK_DIR}"
                            "${WORK_DIR}/elsewhere/${program}" --version
                    OUTPUT_VARIABLE out RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT out STREQUAL "${program} ${VERSION}\n")
        message(FATAL_ERROR "installed ${program} --version: status ${status}, '${out}'")
    endif()
endforeach()
message(STATUS "Installed and ran: ${programs}")
