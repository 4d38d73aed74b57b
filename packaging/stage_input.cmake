# kvr_stage_input(<file or folder> <destination>): copies an organiser's input into the package
# as it is put together, a file to <destination>, a folder's contents into <destination>, with
# every symbolic link replaced by what it points to. A "current week" link is a normal way to
# keep the week's files, but the zip would store the link itself, which Windows unpacks as a
# small file holding a Linux path.
function(kvr_stage_input from to)
    if(NOT IS_DIRECTORY "${from}")
        get_filename_component(folder "${to}" DIRECTORY)
        file(MAKE_DIRECTORY "${folder}")
        file(COPY_FILE "${from}" "${to}") # copies the content of a link's target
        return()
    endif()
    file(GLOB_RECURSE entries FOLLOW_SYMLINKS LIST_DIRECTORIES true RELATIVE "${from}" "${from}/*")
    foreach(rel ${entries})
        if(IS_DIRECTORY "${from}/${rel}")
            file(MAKE_DIRECTORY "${to}/${rel}")
        else()
            kvr_stage_input("${from}/${rel}" "${to}/${rel}")
        endif()
    endforeach()
endfunction()
