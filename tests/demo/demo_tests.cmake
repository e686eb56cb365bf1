# The demo's test targets; included at the end of the top-level CMakeLists.txt (see
# CMakeLists.txt here), when the demo's targets exist.
set(demo_live_definitions
  TALMO_LIBRARY_PATH="$<TARGET_FILE:Talmo>"
  DBCLIENT_LIBRARY_PATH="$<TARGET_FILE:talmo_dbclient>"
  TALMO_BIN_DIR="${TALMO_BIN_DIR}"
  TALMO_SAMPLE_COMPANY="${TALMO_SAMPLE_COMPANY}")

add_library(talmo_demo_test_support STATIC ${TALMO_DEMO_TEST_DIR}/demo_test_support.cpp)
target_include_directories(talmo_demo_test_support PUBLIC ${TALMO_DEMO_TEST_DIR}
  ${TALMO_DEMO_TEST_DIR}/../support)
target_compile_definitions(talmo_demo_test_support PUBLIC ${demo_live_definitions})
target_link_libraries(talmo_demo_test_support PUBLIC talmo_demo_core talmo_test_server
  GTest::gtest PRIVATE talmo_warnings)
add_dependencies(talmo_demo_test_support Talmo talmo_dbclient talmo_sample_db)

add_executable(talmo_demo_tests
  ${TALMO_DEMO_TEST_DIR}/form_layout_test.cpp
  ${TALMO_DEMO_TEST_DIR}/command_line_test.cpp
  ${TALMO_DEMO_TEST_DIR}/late_object_test.cpp
  ${TALMO_DEMO_TEST_DIR}/scenarios_test.cpp
  ${TALMO_DEMO_TEST_DIR}/item_ledger_test.cpp
  ${TALMO_DEMO_TEST_DIR}/program_test.cpp
  ${TALMO_DEMO_TEST_DIR}/headless_test.cpp
)
target_link_libraries(talmo_demo_tests PRIVATE talmo_demo_test_support GTest::gtest_main
  talmo_warnings)
# The headless tests also run the program itself, with an environment of their own.
add_dependencies(talmo_demo_tests TalmoDemo)
target_compile_definitions(talmo_demo_tests PRIVATE TALMO_DEMO_PROGRAM="$<TARGET_FILE:TalmoDemo>")
talmo_discover_on_both_backends(talmo_demo_tests)

# Several TalmoDemo processes at once on one database of the test server, where writers wait
# for one another in turn. (On a file, SQLite's lock is not handed on in turn: a writer that
# keeps committing can hold off another past its lock wait.)
add_executable(talmo_demo_server_tests ${TALMO_DEMO_TEST_DIR}/concurrent_orders_test.cpp)
target_link_libraries(talmo_demo_server_tests PRIVATE talmo_demo_test_support GTest::gtest_main
  talmo_warnings)
add_dependencies(talmo_demo_server_tests TalmoDemo)
gtest_discover_tests(talmo_demo_server_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES FIXTURES_REQUIRED talmo_server ENVIRONMENT TALMO_TEST_SERVER=${TALMO_PG_DIR})

add_executable(talmo_demo_window_tests ${TALMO_DEMO_TEST_DIR}/window_test.cpp)
target_compile_definitions(talmo_demo_window_tests PRIVATE
  DEMO_SCREENSHOT="${TALMO_DEMO_TEST_BINARY_DIR}/TalmoDemo-window.png")
target_link_libraries(talmo_demo_window_tests PRIVATE talmo_demo_window talmo_demo_test_support
  GTest::gtest talmo_warnings)
gtest_discover_tests(talmo_demo_window_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
