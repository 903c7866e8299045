# kestrune_include_root(<layer> <folder>...): makes build/include/<layer>, a
# folder that holds one link per named folder of src/ and nothing else, and
# sets KESTRUNE_<LAYER>_INCLUDE to it. A layer's library exposes only its own
# root, so that an include of a higher layer's folder ("app/main_window.h" in
# the engine) is not found and fails to compile.
function(kestrune_include_root layer)
    set(root ${CMAKE_BINARY_DIR}/include/${layer})
    file(MAKE_DIRECTORY ${root})
    # Links of folders that left the layer go.
    file(GLOB present LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
    foreach(name ${present})
        if(IS_SYMLINK ${root}/${name} AND NOT name IN_LIST ARGN)
            file(REMOVE ${root}/${name})
        endif()
    endforeach()
    foreach(folder ${ARGN})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endforeach()
    string(TOUPPER ${layer} upper)
    set(KESTRUNE_${upper}_INCLUDE ${root} PARENT_SCOPE)
endfunction()

# kestrune_layer_sources(<variable> <folder>...): the .cpp files of the named
# folders of src/, without the host build's "_native" variants.
function(kestrune_layer_sources variable)
    set(patterns)
    foreach(folder ${ARGN})
        list(APPEND patterns ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
    endforeach()
    file(GLOB sources CONFIGURE_DEPENDS ${patterns})
    list(FILTER sources EXCLUDE REGEX "_native\\.cpp$")
    set(${variable} ${sources} PARENT_SCOPE)
endfunction()
