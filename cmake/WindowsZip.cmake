# The Windows package: a zip (cpack -G ZIP) of tessel-cli.exe with the README,
# the licence, the guide and the serial port's page, all in one folder, where
# tessel.INI beside the program holds its settings. cmake/Packaging.cmake,
# included next, adds what every package shares.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/cli.md ${PROJECT_SOURCE_DIR}/docs/serial.md DESTINATION docs)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME tessel-cli-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
