# The engine's rooms and the rooms each may include. The rooms form layers:
# the paths (picture, sound) and the ends (input, output) never reach up into
# the loop (transcode) or the worker (run), and common reaches no room. Below
# them all lies the platform (the top-level platform/ folder, with its
# systems' sides in subfolders): every room may include it, and it includes
# no room.
# kestovar_check_include_direction(ENGINE_DIR PLATFORM_DIR) fails the
# configuration on every quoted include that runs against this direction,
# naming the file, the line and the header. Also runnable as a script:
#   cmake -DENGINE_DIR=engine -DPLATFORM_DIR=platform -P cmake/CheckIncludeDirection.cmake
cmake_policy(SET CMP0057 NEW)
set(KESTOVAR_ROOMS platform common input output picture sound transcode run)
set(KESTOVAR_ROOM_USES_platform "")
set(KESTOVAR_ROOM_USES_common platform)
set(KESTOVAR_ROOM_USES_input platform common)
set(KESTOVAR_ROOM_USES_output platform common input)
set(KESTOVAR_ROOM_USES_picture platform common output)
set(KESTOVAR_ROOM_USES_sound platform common output)
set(KESTOVAR_ROOM_USES_transcode platform common input output picture sound)
set(KESTOVAR_ROOM_USES_run platform common input output transcode)

function(kestovar_check_include_direction engine_dir platform_dir)
    # Where each room's files are.
    foreach(room IN LISTS KESTOVAR_ROOMS)
        set(dir_of_${room} ${engine_dir}/${room})
    endforeach()
    set(dir_of_platform ${platform_dir})
    # Which room holds each header.
    foreach(room IN LISTS KESTOVAR_ROOMS)
        file(GLOB_RECURSE headers ${dir_of_${room}}/*.h)
        foreach(header IN LISTS headers)
            get_filename_component(header ${header} NAME)
            set(room_of_${header} ${room})
        endforeach()
    endforeach()
    set(problems "")
    foreach(room IN LISTS KESTOVAR_ROOMS)
        file(GLOB_RECURSE sources ${dir_of_${room}}/*.h ${dir_of_${room}}/*.cpp)
        foreach(source IN LISTS sources)
            file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
            foreach(line IN LISTS lines)
                string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
                get_filename_component(included ${included} NAME)
                if(NOT DEFINED room_of_${included})
                    continue()
                endif()
                set(target_room ${room_of_${included}})
                if(target_room STREQUAL room)
                    continue()
                endif()
                if(NOT target_room IN_LIST KESTOVAR_ROOM_USES_${room})
                    if(room STREQUAL "platform")
                        file(RELATIVE_PATH shown ${platform_dir}/.. ${source})
                    else()
                        file(RELATIVE_PATH shown ${engine_dir} ${source})
                    endif()
                    string(APPEND problems
                        "\n  ${shown} includes ${included} (${room} may not use ${target_room})")
                endif()
            endforeach()
        endforeach()
    endforeach()
    if(problems)
        message(FATAL_ERROR "Includes against the engine's direction:${problems}")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED ENGINE_DIR AND DEFINED PLATFORM_DIR)
    get_filename_component(ENGINE_DIR ${ENGINE_DIR} ABSOLUTE)
    get_filename_component(PLATFORM_DIR ${PLATFORM_DIR} ABSOLUTE)
    kestovar_check_include_direction(${ENGINE_DIR} ${PLATFORM_DIR})
endif()
