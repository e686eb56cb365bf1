// Tests of the session state against the recording client: every test starts from the state
// of a freshly loaded component (no client, not connected, no current Database, counters at
// 0, no stop request, message texts not loaded), and each OpenConnection gets a new
// RecordingDbClient.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "automation/automation_error.h"
#include "automation/ref.h"
#include "fake_db_client.h"
#include "error_of.h"

namespace talmo::testing {

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The client the next OpenConnection receives; script it before connecting.
  RecordingDbClient& NextClient();
  // The client made by the latest OpenConnection, or null.
  RecordingDbClient* LastClient();
  // How many clients OpenConnection made in this test.
  int CreatedClients();
  // Installs a fresh recording client as the connected client, without the connection calls,
  // for tests of the members that only need one.
  RecordingDbClient& InstallConnectedClient();
};

}  // namespace talmo::testing
