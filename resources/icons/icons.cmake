# nimbo_icons: the program's icons, drawn as SVG sources and rendered at their own pixel
# size, and the banner bitmap (painted at run time from the makers' emblems and the fonts
# that scripts/setup installs).
add_library(nimbo_icons STATIC
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/banner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/svg_image.cpp)
# The resources folder, so that users write #include "icons/icons.h".
get_filename_component(nimbo_icons_include ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
target_include_directories(nimbo_icons PUBLIC ${nimbo_icons_include})
target_link_libraries(nimbo_icons PUBLIC Qt6::Gui PRIVATE Qt6::Svg)

file(GLOB nimbo_icon_svgs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/svg/*.svg)
qt_add_resources(nimbo_icons nimbo_icon_svgs
  PREFIX /nimbo/icons
  BASE ${CMAKE_CURRENT_LIST_DIR}/svg
  FILES ${nimbo_icon_svgs})

# Every window and the GUI tests reach the pictures through the GUI aggregate.
set_property(GLOBAL APPEND PROPERTY NIMBO_GUI_LIBS nimbo_icons)
