# Installs the build in BUILD_DIR under WORK_DIR as DESTDIR (prefix /usr),
# checks the installed tree (programs, man pages, shell completion, and with
# the desktop program its menu entry, MIME package and icons), validates
# what the validators that are installed can validate, and runs the
# installed programs' --version, from a folder of their own, with no path
# into the build or source tree.
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

set(root "${WORK_DIR}/root/usr")
set(expected share/man/man1/tessel-cli.1 share/bash-completion/completions/tessel-cli
             share/doc/tessel/serial.md share/doc/tessel/README.md
             share/zsh/vendor-completions/_tessel-cli)
if(GUI)
    list(APPEND expected share/man/man1/tessel.1 share/applications/tessel.desktop
                share/mime/packages/tessel.xml share/icons/hicolor/scalable/apps/tessel.svg)
    foreach(size 16 22 24 32 48 64 128 256)
        list(APPEND expected share/icons/hicolor/${size}x${size}/apps/tessel.png)
    endforeach()
endif()
set(man_pages "")
foreach(file IN LISTS expected)
    # Man pages may be gzipped.
    if(file MATCHES "/man1/" AND EXISTS "${root}/${file}.gz")
        set(file "${file}.gz")
    endif()
    if(NOT EXISTS "${root}/${file}")
        message(FATAL_ERROR "not installed: /usr/${file}")
    endif()
    if(file MATCHES "/man1/(.*)\\.gz$")
        # The validators read them unpacked.
        file(MAKE_DIRECTORY "${WORK_DIR}/man")
        execute_process(COMMAND gzip -dc "${root}/${file}"
                        OUTPUT_FILE "${WORK_DIR}/man/${CMAKE_MATCH_1}" COMMAND_ERROR_IS_FATAL ANY)
        list(APPEND man_pages "${WORK_DIR}/man/${CMAKE_MATCH_1}")
    elseif(file MATCHES "/man1/")
        list(APPEND man_pages "${root}/${file}")
    endif()
endforeach()

# The validators that are installed.
function(check what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT status EQUAL 0 OR NOT out STREQUAL "")
        message(FATAL_ERROR "${what}: status ${status}\n${out}")
    endif()
endfunction()
find_program(MANDOC mandoc)
if(MANDOC)
    # Warnings and errors; the style hint that the other page is not
    # installed on this machine does not count.
    check("mandoc -T lint" "${MANDOC}" -T lint -W warning ${man_pages})
endif()
find_program(GROFF groff)
if(GROFF)
    foreach(page IN LISTS man_pages)
        check("groff -ww" "${GROFF}" -ww -z -mandoc -K utf8 -Tutf8 "${page}")
    endforeach()
endif()
find_program(BASH bash)
if(BASH)
    check("the bash completion"
          "${BASH}" -c "source '${root}/share/bash-completion/completions/tessel-cli' && complete -p tessel-cli >/dev/null")
endif()
if(GUI)
    find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
    if(DESKTOP_FILE_VALIDATE)
        check("desktop-file-validate" "${DESKTOP_FILE_VALIDATE}"
              "${root}/share/applications/tessel.desktop")
    endif()
    find_program(UPDATE_MIME_DATABASE update-mime-database)
    if(UPDATE_MIME_DATABASE)
        # The MIME package on its own: BASIC and CASL by their globs, DATA by none.
        file(COPY "${root}/share/mime/packages/tessel.xml" DESTINATION "${WORK_DIR}/mime/packages")
        execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${WORK_DIR}/mime"
                        RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
        file(READ "${WORK_DIR}/mime/globs2" globs)
        if(NOT status EQUAL 0 OR errors MATCHES "[Ee]rror|[Ww]arning"
           OR NOT globs MATCHES ":text/x-tessel-basic:\\*\\.bas\n"
           OR NOT globs MATCHES ":text/x-tessel-casl:\\*\\.cas\n" OR globs MATCHES "\\.dat")
            message(FATAL_ERROR "update-mime-database: status ${status}\n${errors}\n${globs}")
        endif()
    endif()
endif()
message(STATUS "Installed, checked and ran: ${programs}")
