# Packages of the installed tree (CPack): `cpack -G DEB` in the build folder
# makes tessel_<version>_<arch>.deb. What every generator shares is set here;
# what only one needs is in cmake/CPackOptions.cmake, read when cpack runs
# with the generator known.

set(TESSEL_HOMEPAGE "https://tessel-software.example/" CACHE STRING
    "The project's home page, as packages give it")
set(TESSEL_MAINTAINER "The TESSEL Software authors <maintainers@tessel-software.example>"
    CACHE STRING "Who answers for the packages: name <address>")

set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "The TESSEL Software authors")
set(CPACK_PACKAGE_CONTACT "${TESSEL_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${TESSEL_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "editor and tools for the programs of a handheld pocket computer")
set(CPACK_PACKAGE_DESCRIPTION
    "Write BASIC, C, assembler and CASL programs for a handheld pocket computer on
the PC, keep BASIC line numbers in order (numbering, renumbering with every
GOTO, GOSUB, THEN, ELSE and RESTORE reference rewritten, sorting), print
them, and move programs and data between the PC and the device over a
serial port.
.
The package holds the desktop program (tessel) and the command-line tool
(tessel-cli), with their manual pages and the shell completion of the tool.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/CPackOptions.cmake")

# Debian's copyright file (machine-readable) and changelog, in the package's
# documentation folder.
if(UNIX AND NOT APPLE)
    # The licence's text from LICENSE, in the copyright format's layout.
    file(READ "${PROJECT_SOURCE_DIR}/LICENSE" license)
    string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${license}")
    set(copyright_holders "${CMAKE_MATCH_1}")
    string(REGEX REPLACE "^.*Copyright[^\n]*\n\n" "" license "${license}")
    string(STRIP "${license}" license)
    string(REPLACE "\n\n" "\n.\n" license "${license}")
    string(REPLACE "\n" "\n " license " ${license}")
    configure_file("${PROJECT_SOURCE_DIR}/data/debian/copyright.in"
                   "${PROJECT_BINARY_DIR}/debian/copyright" @ONLY)
    configure_file("${PROJECT_SOURCE_DIR}/data/debian/changelog.in"
                   "${PROJECT_BINARY_DIR}/debian/changelog" @ONLY)
    install(FILES "${PROJECT_BINARY_DIR}/debian/copyright" DESTINATION "${CMAKE_INSTALL_DOCDIR}")
    find_program(GZIP_PROGRAM gzip)
    if(GZIP_PROGRAM)
        set(changelog "${PROJECT_BINARY_DIR}/debian/changelog.gz")
        add_custom_command(OUTPUT "${changelog}"
                           COMMAND "${GZIP_PROGRAM}" -9 -n -c
                                   "${PROJECT_BINARY_DIR}/debian/changelog" > "${changelog}"
                           DEPENDS "${PROJECT_BINARY_DIR}/debian/changelog" VERBATIM)
        add_custom_target(debian_changelog ALL DEPENDS "${changelog}")
        install(FILES "${changelog}" DESTINATION "${CMAKE_INSTALL_DOCDIR}")
    endif()
endif()

include(CPack)
