# Every user action end to end beside its bare reference (listing, export,
# capture through a private adb server and the simulated phone; quantiser and
# saving; start-up on a private X server beside bench_bare_dialog).
find_library(NIMBO_XCB_LIBRARY xcb)
if(TARGET nimbo_gui_test_main AND NIMBO_XCB_LIBRARY)
  add_executable(bench_bare_dialog ${CMAKE_CURRENT_LIST_DIR}/bench_bare_dialog.cpp)
  target_link_libraries(bench_bare_dialog PRIVATE Qt6::Widgets)
  add_executable(bench_actions
    ${CMAKE_CURRENT_LIST_DIR}/bench_actions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bench_actions_phone.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bare_frame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bench_actions_local.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bench_actions_startup.cpp)
  target_include_directories(bench_actions PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(bench_actions PRIVATE nimbo_gui_test_main nimbo_test_support nimbo_gui_all
                                              nimbo_ui_qt Qt6::Widgets ${NIMBO_XCB_LIBRARY}
                                              Threads::Threads)
  # The programs it starts and measures.
  add_dependencies(bench_actions nimbo bench_bare_dialog nimbo-phonesim)
endif()
