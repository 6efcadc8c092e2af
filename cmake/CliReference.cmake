# docs/cli.md is the rendering of the man page docs/man/tessel-cli.1, the one
# source of the tool's reference. As a script:
#   cmake -DSOURCE_DIR=... [-DWRITE=ON] -P cmake/CliReference.cmake
# renders it with mandoc and, with WRITE, writes docs/cli.md; else fails when
# docs/cli.md differs from the rendering (and says how to make it again).
cmake_policy(VERSION 3.25)

find_program(MANDOC mandoc)
if(NOT MANDOC)
    message("skipped: mandoc is not installed")
    return()
endif()
execute_process(COMMAND "${MANDOC}" -T markdown "${SOURCE_DIR}/docs/man/tessel-cli.1"
                OUTPUT_VARIABLE rendered COMMAND_ERROR_IS_FATAL ANY)
# The footer names the system the page was rendered on; the rest is the page's.
string(REGEX REPLACE "\n[^\n]*\n$" "\n" rendered "${rendered}")
set(comment "<!-- Made from docs/man/tessel-cli.1 by 'cmake --build BUILD --target cli-reference'; edit that file, not this one. -->\n\n")
string(PREPEND rendered "${comment}")
if(WRITE)
    file(WRITE "${SOURCE_DIR}/docs/cli.md" "${rendered}")
    return()
endif()
file(READ "${SOURCE_DIR}/docs/cli.md" current)
if(NOT current STREQUAL rendered)
    message(FATAL_ERROR "docs/cli.md is not the rendering of docs/man/tessel-cli.1; "
                        "make it again with: cmake --build BUILD --target cli-reference")
endif()
