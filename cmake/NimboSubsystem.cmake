# nimbo_subsystem(NAME [DEPS core-libs...] [GUI_DEPS gui-libs...])
# Builds src/<NAME>/*.cpp into nimbo_<NAME> (plain C++, no Qt) and
# src/<NAME>/gui/*.cpp into nimbo_<NAME>_gui (windows on the kit, src/ui/).
# Neither links a window system: the program and the GUI tests link the kit's
# backend. A library without sources is not created; dependencies that do not
# exist (yet) are skipped.
function(nimbo_subsystem NAME)
  cmake_parse_arguments(S "" "" "DEPS;GUI_DEPS" ${ARGN})
  file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${NAME}/*.cpp)
  file(GLOB gui_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${NAME}/gui/*.cpp)
  if(core_sources)
    add_library(nimbo_${NAME} STATIC ${core_sources})
    target_include_directories(nimbo_${NAME} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(nimbo_${NAME} PUBLIC nimbo_platform nimbo_imaging nimbo_ui nimbo_resources)
    foreach(d ${S_DEPS})
      target_link_libraries(nimbo_${NAME} PUBLIC $<TARGET_NAME_IF_EXISTS:${d}>)
    endforeach()
    set_property(GLOBAL APPEND PROPERTY NIMBO_CORE_LIBS nimbo_${NAME})
  endif()
  if(gui_sources)
    add_library(nimbo_${NAME}_gui STATIC ${gui_sources})
    target_include_directories(nimbo_${NAME}_gui PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(nimbo_${NAME}_gui PUBLIC $<TARGET_NAME_IF_EXISTS:nimbo_${NAME}>
                          nimbo_ui nimbo_resources nimbo_icons)
    foreach(d ${S_DEPS} ${S_GUI_DEPS})
      target_link_libraries(nimbo_${NAME}_gui PUBLIC $<TARGET_NAME_IF_EXISTS:${d}>)
    endforeach()
    set_property(GLOBAL APPEND PROPERTY NIMBO_GUI_LIBS nimbo_${NAME}_gui)
  endif()
endfunction()

