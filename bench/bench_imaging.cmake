# Screenshot saving: the quantiser beside its reference, the whole save per
# format, and ImageMagick's convert of the same picture for comparison.
if(TARGET nimbo_capture)
  add_executable(bench_imaging ${CMAKE_CURRENT_LIST_DIR}/bench_imaging.cpp)
  target_include_directories(bench_imaging PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(bench_imaging PRIVATE nimbo_capture nimbo_imaging nimbo_platform benchmark::benchmark)
endif()
