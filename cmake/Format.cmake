# format-check: clang-format --dry-run --Werror over the project's C++ files
# (fails on the first file not formatted as .clang-format says);
# format: formats them in place.
find_program(KESTOVAR_CLANG_FORMAT clang-format)
if(NOT KESTOVAR_CLANG_FORMAT)
    message(STATUS "clang-format not found: no format and format-check targets")
    return()
endif()

set(KESTOVAR_FORMAT_FILES)
foreach(dir app avbinding bench engine platform profiles tests ui)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
         ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.h
         ${PROJECT_SOURCE_DIR}/${dir}/*.c)
    list(APPEND KESTOVAR_FORMAT_FILES ${found})
endforeach()
list(SORT KESTOVAR_FORMAT_FILES)

add_custom_target(format-check
    COMMAND ${KESTOVAR_CLANG_FORMAT} --dry-run --Werror ${KESTOVAR_FORMAT_FILES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Checking the C++ files' format"
    VERBATIM)
add_custom_target(format
    COMMAND ${KESTOVAR_CLANG_FORMAT} -i ${KESTOVAR_FORMAT_FILES}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Formatting the C++ files"
    VERBATIM)
