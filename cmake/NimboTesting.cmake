# nimbo_add_test(NAME LABEL unit|gui|e2e SOURCES ... LIBS ...)
# Builds one GoogleTest program and registers it with CTest under its label.
# gui tests run on Qt's offscreen platform; e2e tests find the adb tool and the
# simulated phone through the environment set here.
function(nimbo_add_test NAME)
  cmake_parse_arguments(T "QT_MAIN" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${NAME} ${T_SOURCES})
  # Widget tests need a QApplication before the first test runs: they get a
  # main of our own instead of GoogleTest's.
  if(T_QT_MAIN)
    # The kit's Qt backend is an object library: it reaches a program only
    # when the program links it itself.
    set(main_lib nimbo_gui_test_main nimbo_ui_qt)
  else()
    set(main_lib GTest::gtest_main)
  endif()
  target_link_libraries(${NAME} PRIVATE ${T_LIBS} ${main_lib} GTest::gtest GTest::gmock Threads::Threads)
  target_include_directories(${NAME} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests ${CMAKE_BINARY_DIR}/resources)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${NAME} COMMAND ${NAME})
  set(env "NIMBO_SOURCE_DIR=${CMAKE_SOURCE_DIR}" "NIMBO_BINARY_DIR=${CMAKE_BINARY_DIR}"
          "NIMBO_PHONESIM=${CMAKE_BINARY_DIR}/bin/nimbo-phonesim")
  if(T_LABEL STREQUAL "gui" OR T_LABEL STREQUAL "e2e")
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${NAME} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
                       ENVIRONMENT "${env}")
endfunction()
