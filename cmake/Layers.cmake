# One static library per layer folder. A layer names the layers it uses; it links only those
# (and what they use), and the build refuses both a wrong-way #include (checked on every
# build of the layer) and a wrong-way call (each layer is linked whole into a program of its
# own, so a symbol from a layer it does not use stays undefined).
#
#   qx_layer(<folder> [USES <layer>...] [SOURCES <file>...])
#
# Without SOURCES every .cpp file of the folder is compiled; a folder without any is a layer
# of headers alone. The library is qx_<folder>.

# The layer folders from the bottom, the front ends last; the top-level file adds them in this order.
set(QX_LAYER_FOLDERS text platform dbf datefield zip net session delivery update settings run app)
# Builds every layer's checks; a build of all targets runs them anyway.
add_custom_target(qx_layers)

function(qx_layer folder)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES;SOURCES")
    set(target qx_${folder})
    if(NOT arg_SOURCES)
        file(GLOB arg_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    endif()
    set(allowed ${folder})
    foreach(used ${arg_USES})
        get_property(below GLOBAL PROPERTY qx_layer_uses_${used})
        list(APPEND allowed ${used} ${below})
    endforeach()
    list(REMOVE_DUPLICATES allowed)
    set_property(GLOBAL PROPERTY qx_layer_uses_${folder} ${allowed})

    list(TRANSFORM arg_USES PREPEND qx_)
    if(arg_SOURCES)
        add_library(${target} STATIC ${arg_SOURCES})
        target_link_libraries(${target} PUBLIC ${arg_USES})
        target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)

        add_executable(${target}_link_check ${CMAKE_SOURCE_DIR}/cmake/LayerLinkCheck.cpp)
        target_link_libraries(${target}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
        set_target_properties(${target}_link_check PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer-checks)
        add_dependencies(qx_layers ${target}_link_check)
    else()
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE ${arg_USES})
        target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
    endif()

    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    set(checked ${arg_SOURCES} ${headers})
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes-checked)
    string(REPLACE ";" "," allowed_text "${allowed}")
    string(REPLACE ";" "," folders_text "${QX_LAYER_FOLDERS}")
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DLAYER=${folder} -DALLOWED=${allowed_text} -DFOLDERS=${folders_text}
                "-DFILES=${checked}" -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
        DEPENDS ${checked} ${CMAKE_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
        COMMENT "Checking the includes of the ${folder} layer" VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${stamp})
    add_dependencies(${target} ${target}_includes)
    add_dependencies(qx_layers ${target}_includes)
endfunction()
