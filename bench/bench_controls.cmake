# Drawing of the skinned controls: one button face (the per-paint cost of every
# button), a banded group box and a combo frame, on plain canvases.
add_executable(bench_controls ${CMAKE_CURRENT_LIST_DIR}/bench_controls.cpp)
target_link_libraries(bench_controls PRIVATE nimbo_controls nimbo_platform benchmark::benchmark)
