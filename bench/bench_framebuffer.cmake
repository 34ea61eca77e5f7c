# Reads a full-screen frame through the real adb server from the simulated phone.
add_executable(bench_framebuffer ${CMAKE_CURRENT_LIST_DIR}/bench_framebuffer.cpp)
target_link_libraries(bench_framebuffer PRIVATE nimbo_test_support benchmark::benchmark
                                                Threads::Threads)
target_include_directories(bench_framebuffer PRIVATE ${CMAKE_SOURCE_DIR}/tests)
