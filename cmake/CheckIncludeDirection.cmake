# The engine's rooms and the rooms each may include. The rooms form layers:
# the paths (picture, sound) and the ends (input, output) never reach up into
# the loop (transcode) or the worker (run), and common reaches nowhere.
# kestovar_check_include_direction(ENGINE_DIR) fails the configuration on
# every quoted include that runs against this direction, naming the file, the
# line and the header. Also runnable as a script:
#   cmake -DENGINE_DIR=engine -P cmake/CheckIncludeDirection.cmake
cmake_policy(SET CMP0057 NEW)
set(KESTOVAR_ROOMS common input output subtitles picture sound transcode run)
set(KESTOVAR_ROOM_USES_common "")
set(KESTOVAR_ROOM_USES_input common)
set(KESTOVAR_ROOM_USES_output common input)
set(KESTOVAR_ROOM_USES_subtitles common input)
set(KESTOVAR_ROOM_USES_picture common output subtitles)
set(KESTOVAR_ROOM_USES_sound common output)
set(KESTOVAR_ROOM_USES_transcode common input output picture sound subtitles)
set(KESTOVAR_ROOM_USES_run common input output transcode)

function(kestovar_check_include_direction engine_dir)
    # Which room holds each header.
    foreach(room IN LISTS KESTOVAR_ROOMS)
        file(GLOB headers RELATIVE ${engine_dir}/${room} ${engine_dir}/${room}/*.h)
        foreach(header IN LISTS headers)
            set(room_of_${header} ${room})
        endforeach()
    endforeach()
    set(problems "")
    foreach(room IN LISTS KESTOVAR_ROOMS)
        file(GLOB sources ${engine_dir}/${room}/*.h ${engine_dir}/${room}/*.cpp)
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
                    file(RELATIVE_PATH shown ${engine_dir} ${source})
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

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED ENGINE_DIR)
    get_filename_component(ENGINE_DIR ${ENGINE_DIR} ABSOLUTE)
    kestovar_check_include_direction(${ENGINE_DIR})
endif()
