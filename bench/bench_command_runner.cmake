# Starting a child through the runner, reading long output in both delivery
# modes, and writing the adb payload.
add_executable(bench_command_runner ${CMAKE_CURRENT_LIST_DIR}/bench_command_runner.cpp)
target_link_libraries(bench_command_runner PRIVATE nimbo_adbtool nimbo_platform benchmark::benchmark)
