# Compiler settings shared by every target of the tree.

add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wshadow)
# A polymorphic class is deleted through its base only when its destructor says so.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
if(PICTAVO_WERROR)
    add_compile_options(-Werror)
endif()

if(PICTAVO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(PICTAVO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "PICTAVO_FUZZ needs clang (libFuzzer)")
    endif()
    # Every library is instrumented for coverage; only the fuzz targets link the fuzzer main.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# pictavo_glob_library(<name> <folder> [STATIC|SHARED]): a library made of every .cpp below a folder.
# Sources are globbed so that adding a file needs no edit of a shared list.
function(pictavo_glob_library name folder kind)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    add_library(${name} ${kind} ${sources})
endfunction()

# pictavo_program(<Name> <folder> LIBS ...): a program folder builds <folder>_core, a static
# library of every .cpp but Main.cpp (the tests link it), and the program <Name> from Main.cpp.
function(pictavo_program name folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/Main\\.cpp$")
    if(sources)
        add_library(${folder}_core STATIC ${sources})
    else()
        add_library(${folder}_core INTERFACE)
    endif()
    get_target_property(kind ${folder}_core TYPE)
    if(kind STREQUAL "INTERFACE_LIBRARY")
        set(scope INTERFACE)
    else()
        set(scope PUBLIC)
    endif()
    target_link_libraries(${folder}_core ${scope} common ${ARG_LIBS})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/Main.cpp)
        add_executable(${name} Main.cpp)
        target_link_libraries(${name} PRIVATE ${folder}_core)
        # ENABLE_EXPORTS: crash reports name the program's own functions in their backtrace.
        set_target_properties(${name} PROPERTIES BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN" ENABLE_EXPORTS ON)
    endif()
endfunction()
