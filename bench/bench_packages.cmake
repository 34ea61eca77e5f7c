# Parsing the package listing of a phone with many apps.
add_executable(bench_packages ${CMAKE_CURRENT_LIST_DIR}/bench_packages.cpp)
target_link_libraries(bench_packages PRIVATE nimbo_packages benchmark::benchmark)
