# Build-time step of pictavo_pack_skin: OUTPUT becomes FOLDER's files plus the files of COMMON
# that FOLDER does not have.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
if(IS_DIRECTORY ${FOLDER})
    file(COPY ${FOLDER}/ DESTINATION ${OUTPUT})
endif()
file(GLOB_RECURSE shared RELATIVE ${COMMON} ${COMMON}/*)
foreach(entry ${shared})
    if(NOT EXISTS ${OUTPUT}/${entry})
        get_filename_component(dir ${OUTPUT}/${entry} DIRECTORY)
        file(COPY ${COMMON}/${entry} DESTINATION ${dir})
    endif()
endforeach()
