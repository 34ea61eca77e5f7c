# A whole capture of the screenshot window through the real adb server, beside
# a bare read of the same frame from the same server.
add_executable(bench_capture ${CMAKE_CURRENT_LIST_DIR}/bench_capture.cpp ${CMAKE_CURRENT_LIST_DIR}/bare_frame.cpp)
target_link_libraries(bench_capture PRIVATE nimbo_test_support nimbo_gui_all nimbo_ui_qt Qt6::Widgets
                                            benchmark::benchmark Threads::Threads)
target_include_directories(bench_capture PRIVATE ${CMAKE_SOURCE_DIR}/tests)
