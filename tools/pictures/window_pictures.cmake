# nimbo-pictures: opens the windows offscreen and writes their pictures, the icon sheet and
# the banner into the folder it is given, for people to look at; `ninja pictures` writes them
# to <build>/pictures/. Unlike nimbo-render-pictures (a host tool run during the build) it is
# a program of the target, linked like the program itself.
add_executable(nimbo-pictures ${CMAKE_CURRENT_LIST_DIR}/window_pictures.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/window_pictures_support.cpp)
target_include_directories(nimbo-pictures PRIVATE ${CMAKE_SOURCE_DIR}/src
                           ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/resources)
target_link_libraries(nimbo-pictures PRIVATE nimbo_app_gui nimbo_gui_all nimbo_ui_qt Qt6::Widgets)
add_custom_target(pictures
                  COMMAND $<TARGET_FILE:nimbo-pictures> ${CMAKE_BINARY_DIR}/pictures
                  DEPENDS nimbo-pictures
                  COMMENT "Pictures of the windows into ${CMAKE_BINARY_DIR}/pictures"
                  VERBATIM)
