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
# mandoc writes characters beyond ASCII as HTML entities, and as "<?>" inside
# code, where entities do not work. So each run of them goes through mandoc as
# a plain ASCII word and is put back afterwards, the longest runs first so a
# shorter run never takes part of a longer one.
file(READ "${SOURCE_DIR}/docs/man/tessel-cli.1" page)
string(REGEX MATCHALL "[^\t\n -~]+" runs "${page}")
list(REMOVE_DUPLICATES runs)
set(by_length "")
foreach(run IN LISTS runs)
    string(LENGTH "${run}" length)
    math(EXPR key "100000 - ${length}")
    list(APPEND by_length "${key}:${run}")
endforeach()
list(SORT by_length COMPARE NATURAL)
set(index 0)
foreach(entry IN LISTS by_length)
    string(REGEX REPLACE "^[0-9]+:" "" run "${entry}")
    string(REPLACE "${run}" "Qx${index}xQ" page "${page}")
    math(EXPR index "${index} + 1")
endforeach()
set(ascii_page "${CMAKE_CURRENT_BINARY_DIR}/tessel-cli-ascii.1")
file(WRITE "${ascii_page}" "${page}")
execute_process(COMMAND "${MANDOC}" -T markdown "${ascii_page}"
                OUTPUT_VARIABLE rendered COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE "${ascii_page}")
set(index 0)
foreach(entry IN LISTS by_length)
    string(REGEX REPLACE "^[0-9]+:" "" run "${entry}")
    string(REPLACE "Qx${index}xQ" "${run}" rendered "${rendered}")
    math(EXPR index "${index} + 1")
endforeach()
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
