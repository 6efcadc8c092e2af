# Which folder of src/ may include headers of which other folder (or, named
# with its folder, of only one header there). A folder always includes its
# own headers; the core folders include no Qt header.
# Run as a script (cmake -DSOURCE_DIR=src -P cmake/Layers.cmake) it checks
# every #include of src/ against this table and fails on the first breach.

set(core_folders sys res encoding settings doc engine model print comm)
set(gui_folders ui view app)

# The system seam reports faults as values and puts nothing into words, so it
# knows no string table.
set(layer_sys res/Problem.h)
set(layer_res "")
set(layer_encoding "")
set(layer_settings sys res encoding)
set(layer_doc sys res encoding settings)
set(layer_engine sys res encoding settings doc)
set(layer_model sys res encoding settings doc engine)
set(layer_print "")
set(layer_comm sys res encoding settings doc)
# The language server sits on the core, the program model included.
set(layer_lsp ${core_folders})
set(layer_cli ${core_folders} lsp)
set(layer_ui ${core_folders})
set(layer_view ${core_folders} ui)
set(layer_app ${core_folders} ui view)

cmake_policy(VERSION 3.25)

if(NOT CMAKE_SCRIPT_MODE_FILE)
    return()
endif()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB folders LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
set(breaches "")
foreach(folder IN LISTS folders)
    if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}")
        continue()
    endif()
    if(NOT DEFINED layer_${folder})
        list(APPEND breaches "src/${folder}/ is in no layer: add it to cmake/Layers.cmake")
        continue()
    endif()
    file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp"
         "${SOURCE_DIR}/${folder}/*.inc")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
        get_filename_component(name "${source}" NAME)
        foreach(line IN LISTS includes)
            if(line MATCHES "#[ \t]*include[ \t]*\"(([a-z]+)/[^\"]*)\"")
                set(header "${CMAKE_MATCH_1}")
                set(target "${CMAKE_MATCH_2}")
                if(NOT target STREQUAL folder AND NOT target IN_LIST layer_${folder}
                   AND NOT header IN_LIST layer_${folder})
                    list(APPEND breaches "src/${folder}/${name}: ${line}")
                endif()
            elseif(folder IN_LIST core_folders AND line MATCHES "#[ \t]*include[ \t]*<Q")
                list(APPEND breaches "src/${folder}/${name}: ${line} (the core links no Qt)")
            endif()
        endforeach()
    endforeach()
endforeach()

if(breaches)
    list(JOIN breaches "\n  " text)
    message(FATAL_ERROR "Includes that break the layers:\n  ${text}")
endif()
message(STATUS "Every include of src/ follows the layers")
