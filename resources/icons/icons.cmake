# nimbo_icons: the program's icons, drawn as SVG sources and rendered at their own pixel
# size, and the banner bitmap. Both are painted at build time by nimbo-render-pictures
# (tools/pictures, Qt) into pictures_data.cpp, so the library itself is plain C++ and a
# build without Qt carries the same pixels.

# A cross build cannot run the tool it would build for the target: point this at a
# nimbo-render-pictures built for the host instead.
set(NIMBO_RENDER_PICTURES "" CACHE FILEPATH
    "A prebuilt nimbo-render-pictures for the build machine; empty builds one")
if(NIMBO_RENDER_PICTURES)
  set(nimbo_render_pictures ${NIMBO_RENDER_PICTURES})
else()
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools/pictures ${CMAKE_BINARY_DIR}/tools/pictures)
  set(nimbo_render_pictures nimbo-render-pictures)
endif()

file(GLOB nimbo_icon_svgs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/svg/*.svg)
set(nimbo_pictures_data ${CMAKE_BINARY_DIR}/resources/pictures_data.cpp)
add_custom_command(
  OUTPUT ${nimbo_pictures_data}
  COMMAND ${nimbo_render_pictures} ${CMAKE_CURRENT_LIST_DIR}/svg ${nimbo_pictures_data}
  DEPENDS ${nimbo_render_pictures} ${nimbo_icon_svgs}
  COMMENT "Rendering the icons and the banner"
  VERBATIM)

add_library(nimbo_icons STATIC ${CMAKE_CURRENT_LIST_DIR}/icons.cpp ${nimbo_pictures_data})
# The resources folder, so that users write #include "icons/icons.h".
get_filename_component(nimbo_icons_include ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
target_include_directories(nimbo_icons PUBLIC ${nimbo_icons_include})
target_link_libraries(nimbo_icons PUBLIC nimbo_imaging)

# Plain C++ now: part of the core, which the GUI aggregate includes as well.
set_property(GLOBAL APPEND PROPERTY NIMBO_CORE_LIBS nimbo_icons)

# Run the tool again and compare: the pictures are the same bytes on every build on one
# machine, or incremental builds and caches would see changes that are not there.
if(NOT NIMBO_RENDER_PICTURES)
  add_test(NAME icons_render_repeatable_test
           COMMAND sh -c "\"$1\" \"$2\" \"$3\" && cmp \"$3\" \"$4\""
                   sh $<TARGET_FILE:nimbo-render-pictures> ${CMAKE_CURRENT_LIST_DIR}/svg
                   ${CMAKE_BINARY_DIR}/resources/pictures_data_again.cpp ${nimbo_pictures_data})
  set_tests_properties(icons_render_repeatable_test PROPERTIES LABELS unit)
endif()
