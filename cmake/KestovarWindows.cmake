# The Windows programs' resources: the multi-size icon made from the committed
# PNGs (icotool, from icoutils) and a resource script with that icon and the
# version. kestovar_windows_resources(target "description") adds both to an
# executable.
find_program(KESTOVAR_ICOTOOL icotool REQUIRED)

set(KESTOVAR_ICO ${CMAKE_BINARY_DIR}/packaging/windows/kestovar3gp.ico)
set(kestovar_icon_dir ${CMAKE_SOURCE_DIR}/packaging/icons)
set(kestovar_icon_pngs)
foreach(size 16 24 32 48 64 128)
    list(APPEND kestovar_icon_pngs ${kestovar_icon_dir}/kestovar3gp-${size}.png)
endforeach()
# The 256-pixel picture stays PNG inside the .ico, as Windows Vista and later read it.
add_custom_command(OUTPUT ${KESTOVAR_ICO}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/windows
    COMMAND ${KESTOVAR_ICOTOOL} -c -o ${KESTOVAR_ICO} ${kestovar_icon_pngs}
            -r ${kestovar_icon_dir}/kestovar3gp-256.png
    DEPENDS ${kestovar_icon_pngs} ${kestovar_icon_dir}/kestovar3gp-256.png
    COMMENT "Making the Windows icon"
    VERBATIM)
add_custom_target(kestovar_windows_icon DEPENDS ${KESTOVAR_ICO})

function(kestovar_windows_resources target description)
    set(KESTOVAR_FILE_DESCRIPTION "${description}")
    set(KESTOVAR_INTERNAL_NAME ${target})
    set(rc ${CMAKE_BINARY_DIR}/packaging/windows/${target}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/kestovar3gp.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${KESTOVAR_ICO})
    target_sources(${target} PRIVATE ${rc})
    add_dependencies(${target} kestovar_windows_icon)
endfunction()
