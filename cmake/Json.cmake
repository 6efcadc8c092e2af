# nlohmann's JSON for Modern C++ (Debian: nlohmann-json3-dev), header-only,
# as the target tessel_json.
#
# A cross build looks for packages inside its own root (the MinGW folders),
# where the host's copy is not; and the host's include folder must never
# reach the cross compiler, which would find the host's C library there
# before its own. So a cross build finds the host's package outside its root
# and sees only its nlohmann/ folder, through a folder of the build tree that
# holds nothing else.
if(TARGET tessel_json)
    return()
endif()
add_library(tessel_json INTERFACE)
if(NOT CMAKE_CROSSCOMPILING)
    find_package(nlohmann_json 3.10 REQUIRED)
    target_link_libraries(tessel_json INTERFACE nlohmann_json::nlohmann_json)
    return()
endif()

find_package(nlohmann_json 3.10 REQUIRED CONFIG NO_CMAKE_FIND_ROOT_PATH)
get_target_property(tessel_json_dirs nlohmann_json::nlohmann_json INTERFACE_INCLUDE_DIRECTORIES)
find_path(TESSEL_JSON_INCLUDE_DIR nlohmann/json.hpp PATHS ${tessel_json_dirs} NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT TESSEL_JSON_INCLUDE_DIR)
    message(FATAL_ERROR "nlohmann/json.hpp is not in ${tessel_json_dirs}")
endif()
set(tessel_json_staged ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${tessel_json_staged})
file(CREATE_LINK ${TESSEL_JSON_INCLUDE_DIR}/nlohmann ${tessel_json_staged}/nlohmann SYMBOLIC
     COPY_ON_ERROR)
target_include_directories(tessel_json SYSTEM INTERFACE ${tessel_json_staged})
