# Resources embedded in programs at build time, and skin folders packed into zip files.
#
#   pictavo_embed_resources(<target> TYPE <type> ID <id> FILE <path> [TYPE ... ID ... FILE ...])
#       Each file becomes a generated .cpp (its bytes as an array) added to <target> itself, so
#       that its static registration is never dropped by the linker as an unused member of a
#       static library. The file is read again whenever it changes. Find it at run time with
#       FindResourceW(NULL, MAKEINTRESOURCEW(<id>), L"<type>") or platform::FindResourceData.
#       The target reaches the resource table through the platform it links already (programs
#       through libDuiLib.so, platform tests through platform_resources): linking the table here
#       as well would give the process a second copy of it.
#
#   pictavo_zip_folder(<output zip> <folder>)
#       Packs the folder into <output zip> at build time with Debian's zip: entries sorted, no
#       directory entries, no extra attributes (-X), every time stamp fixed, so the same folder
#       always gives the same bytes. The zip is rebuilt when a file of the folder changes (new
#       files are seen at the next configure). Use it in the directory of the target that
#       embeds the zip.
#
# This file is also the build-time script behind both (cmake -P with PICTAVO_RESOURCE_MODE).


if(PICTAVO_RESOURCE_MODE STREQUAL "embed")
    # Inputs: INPUT, OUTPUT, TYPE, ID.
    file(READ ${INPUT} hex HEX)
    string(LENGTH "${hex}" hex_length)
    math(EXPR size "${hex_length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Keep lines short for compilers and readers.
    string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
    string(MAKE_C_IDENTIFIER "${TYPE}_${ID}" symbol)
    file(WRITE ${OUTPUT}.tmp
        "// Generated from ${INPUT} by pictavo_embed_resources. Do not edit.\n"
        "#include \"platform/Resources.h\"\n\n"
        "namespace\n{\n"
        "alignas(16) const unsigned char k_${symbol}[] = {\n${bytes}0};\n"
        "const bool g_${symbol} = platform::RegisterResource(\"${TYPE}\", \"${ID}\", k_${symbol}, ${size});\n"
        "} // namespace\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUTPUT}.tmp ${OUTPUT})
    file(REMOVE ${OUTPUT}.tmp)
    return()
endif()

if(PICTAVO_RESOURCE_MODE STREQUAL "zip")
    # Inputs: FOLDER, OUTPUT, STAGING.
    find_program(ZIP_PROGRAM zip REQUIRED)
    file(REMOVE_RECURSE ${STAGING})
    file(MAKE_DIRECTORY ${STAGING})
    file(COPY ${FOLDER}/ DESTINATION ${STAGING})
    file(GLOB_RECURSE entries RELATIVE ${STAGING} ${STAGING}/*)
    list(SORT entries)
    string(REPLACE ";" "\n" listing "${entries}")
    file(WRITE ${STAGING}.list "${listing}\n")
    foreach(entry ${entries})
        execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC touch -h -d "2000-01-01 00:00:00" ${entry}
            WORKING_DIRECTORY ${STAGING} COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    file(REMOVE ${OUTPUT})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_PROGRAM} -q -X -D -@ ${OUTPUT}
        WORKING_DIRECTORY ${STAGING} INPUT_FILE ${STAGING}.list COMMAND_ERROR_IS_FATAL ANY)
    return()
endif()

# Seen by every directory, not only the one that included this file.
set(PICTAVO_RESOURCES_SCRIPT ${CMAKE_CURRENT_LIST_FILE} CACHE INTERNAL "build-time script of the resource functions")

function(pictavo_embed_resources target)
    set(rest ${ARGN})
    while(rest)
        list(LENGTH rest count)
        if(count LESS 6)
            message(FATAL_ERROR "pictavo_embed_resources(${target}): expected TYPE <type> ID <id> FILE <path>")
        endif()
        list(GET rest 0 k_type)
        list(GET rest 1 type)
        list(GET rest 2 k_id)
        list(GET rest 3 id)
        list(GET rest 4 k_file)
        list(GET rest 5 file)
        if(NOT k_type STREQUAL "TYPE" OR NOT k_id STREQUAL "ID" OR NOT k_file STREQUAL "FILE")
            message(FATAL_ERROR "pictavo_embed_resources(${target}): expected TYPE <type> ID <id> FILE <path>")
        endif()
        list(REMOVE_AT rest 0 1 2 3 4 5)
        get_filename_component(file ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        string(MAKE_C_IDENTIFIER "${type}_${id}" symbol)
        set(output ${CMAKE_CURRENT_BINARY_DIR}/pictavo_resources/${target}_${symbol}.cpp)
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -DPICTAVO_RESOURCE_MODE=embed -DINPUT=${file} -DOUTPUT=${output}
                -DTYPE=${type} -DID=${id} -P ${PICTAVO_RESOURCES_SCRIPT}
            DEPENDS ${file} ${PICTAVO_RESOURCES_SCRIPT}
            COMMENT "Embedding ${type} ${id} from ${file}"
            VERBATIM)
        target_sources(${target} PRIVATE ${output})
    endwhile()
endfunction()

function(pictavo_zip_folder output folder)
    get_filename_component(folder ${folder} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(output ${output} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${folder}/*)
    get_filename_component(name ${output} NAME)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DPICTAVO_RESOURCE_MODE=zip -DFOLDER=${folder} -DOUTPUT=${output}
            -DSTAGING=${CMAKE_CURRENT_BINARY_DIR}/pictavo_zip_staging/${name} -P ${PICTAVO_RESOURCES_SCRIPT}
        DEPENDS ${inputs} ${PICTAVO_RESOURCES_SCRIPT}
        COMMENT "Packing ${folder} into ${name}"
        VERBATIM)
endfunction()
