# libFuzzer targets, one program per outside input. Configure with clang and
# -DNIMBO_FUZZ=ON, then build only these (the rest of the tree needs no
# fuzzing build):
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DNIMBO_FUZZ=ON
#   cmake --build build-fuzz --target nimbo_fuzzers
# scripts/fuzz runs them over the seed corpora in fuzz/corpus/<target>/.
add_library(nimbo_fuzz_support STATIC ${CMAKE_CURRENT_LIST_DIR}/loopback_peer.cpp)
target_include_directories(nimbo_fuzz_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(nimbo_fuzz_support PUBLIC Threads::Threads)

add_custom_target(nimbo_fuzzers)

function(nimbo_add_fuzzer NAME)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  add_executable(${NAME} ${CMAKE_CURRENT_LIST_DIR}/${NAME}.cpp)
  target_include_directories(${NAME} PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${NAME} PRIVATE ${F_LIBS} nimbo_fuzz_support)
  target_link_options(${NAME} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(nimbo_fuzzers ${NAME})
endfunction()

nimbo_add_fuzzer(fuzz_device_list LIBS nimbo_adblink)
nimbo_add_fuzzer(fuzz_host_reply LIBS nimbo_adblink)
nimbo_add_fuzzer(fuzz_package_list LIBS nimbo_packages)
nimbo_add_fuzzer(fuzz_install_output LIBS nimbo_install)
nimbo_add_fuzzer(fuzz_framebuffer LIBS nimbo_capture)
nimbo_add_fuzzer(fuzz_transport LIBS nimbo_phonesim_core)
