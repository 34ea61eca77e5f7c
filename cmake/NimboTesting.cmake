# nimbo_add_test(NAME LABEL unit|gui|e2e SOURCES ... LIBS ...)
# Builds one GoogleTest program and registers it with CTest under its label.
# gui tests run on Qt's offscreen platform; e2e tests find the adb tool and the
# simulated phone through the environment set here.
#
# gui tests run no adb: each finds first on its PATH an adb that only records
# who started it (the folder below). The fixture gui_no_adb arms it before the
# first gui test and fails after the last one when anything was recorded
# (tests/gui/no_adb_fixture.sh; nimbo_add_gui_no_adb_fixture registers both).
set(NIMBO_GUI_ADB_RECORDER ${CMAKE_BINARY_DIR}/gui-adb-recorder)

function(nimbo_add_gui_no_adb_fixture)
  set(script ${CMAKE_SOURCE_DIR}/tests/gui/no_adb_fixture.sh)
  add_test(NAME gui_no_adb_arm COMMAND sh ${script} arm ${NIMBO_GUI_ADB_RECORDER})
  add_test(NAME gui_no_adb_check COMMAND sh ${script} check ${NIMBO_GUI_ADB_RECORDER})
  set_tests_properties(gui_no_adb_arm PROPERTIES LABELS gui FIXTURES_SETUP gui_no_adb)
  set_tests_properties(gui_no_adb_check PROPERTIES LABELS gui FIXTURES_CLEANUP gui_no_adb)
endfunction()
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
  if(T_LABEL STREQUAL "gui")
    set_tests_properties(${NAME} PROPERTIES FIXTURES_REQUIRED gui_no_adb
                         ENVIRONMENT_MODIFICATION "PATH=path_list_prepend:${NIMBO_GUI_ADB_RECORDER}")
  endif()
endfunction()
