# Tests of the record engine (included from this folder's CMakeLists.txt). The tests of
# storage, cursors, filters and transactions run on a database file and on the test server.
add_executable(talmo_engine_tests
  engine_test_support.cpp
  engine_values_test.cpp
  engine_filter_test.cpp
  engine_cursor_test.cpp
  engine_random_test.cpp
  engine_transaction_test.cpp
  engine_database_test.cpp
  engine_server_test.cpp)
target_include_directories(talmo_engine_tests PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/dbclient/src)
target_link_libraries(talmo_engine_tests PRIVATE
  talmo_dbclient talmo_test_server SQLite::SQLite3 talmo_warnings GTest::gtest_main)
gtest_discover_tests(talmo_engine_tests DISCOVERY_TIMEOUT 60
  PROPERTIES ${TALMO_SERVER_TEST_PROPERTIES})
