# The robustness test targets; included at the end of the top-level CMakeLists.txt (see
# CMakeLists.txt here), when the demo's targets exist.
set(robustness_dir ${TALMO_ROBUSTNESS_TEST_DIR})

# Helper programs the tests run as child processes, through the component registry.
add_executable(talmo-order-writer ${robustness_dir}/order_writer.cpp)
target_link_libraries(talmo-order-writer PRIVATE talmo_demo_core talmo_warnings)
add_executable(talmo-call-transcript ${robustness_dir}/call_transcript.cpp)
target_link_libraries(talmo-call-transcript PRIVATE talmo_demo_core talmo_warnings)
add_executable(talmo-exit-globals ${robustness_dir}/exit_globals.cpp)
target_link_libraries(talmo-exit-globals PRIVATE talmo_automation talmo_warnings)

# The fault injection reaches the client's storage through a hook of the client library,
# which the test links (the copy the component loads is the same one).
add_executable(talmo_robustness_tests
  ${robustness_dir}/child_process.cpp
  ${robustness_dir}/differential_test.cpp
  ${robustness_dir}/order_census.cpp
  ${robustness_dir}/fault_injection_test.cpp
  ${robustness_dir}/process_test.cpp)
target_include_directories(talmo_robustness_tests PRIVATE ${PROJECT_SOURCE_DIR}/dbclient/src)
target_compile_definitions(talmo_robustness_tests PRIVATE
  TALMO_ORDER_WRITER="$<TARGET_FILE:talmo-order-writer>"
  TALMO_CALL_TRANSCRIPT="$<TARGET_FILE:talmo-call-transcript>"
  TALMO_EXIT_GLOBALS="$<TARGET_FILE:talmo-exit-globals>")
target_link_libraries(talmo_robustness_tests PRIVATE talmo_demo_test_support talmo_dbclient
  SQLite::SQLite3 GTest::gtest_main talmo_warnings)
add_dependencies(talmo_robustness_tests talmo-order-writer talmo-exit-globals
  talmo-call-transcript)
gtest_discover_tests(talmo_robustness_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 900)
