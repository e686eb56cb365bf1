#include "session_fixture.h"

#include "errors/fin_errors.h"
#include "session/db_client.h"
#include "session/global.h"

namespace talmo::testing {
namespace {

struct Clients {
  automation::Ref<RecordingDbClient> next;
  automation::Ref<RecordingDbClient> last;
  int created = 0;
};

Clients& TheClients() {
  static Clients clients;
  return clients;
}

automation::Ref<automation::Dispatch> HandOutNext() {
  Clients& clients = TheClients();
  if (!clients.next) clients.next = automation::MakeRef<RecordingDbClient>();
  clients.last = std::move(clients.next);
  ++clients.created;
  return clients.last;
}

void ResetSessionState() {
  // Stop request first, so that dropping CurrentDatabase runs no connection close.
  global::SetDisconnectMode(nfDisconnect::None);
  global::SetCurrentDatabase(nullptr);
  SetDbClient(nullptr);
  SetIsConnected(false);
  SetViewErrors(false);
  global::SetDisconnectMode(nfDisconnect::None);
  global::SetSessionCounter(0);
  global::SetSessionCount(0);
  ForgetErrorTexts();
}

}  // namespace

void SessionTest::SetUp() {
  ResetSessionState();
  TheClients() = Clients{};
  SetDbClientCreator(&HandOutNext);
}

void SessionTest::TearDown() {
  ResetSessionState();
  SetDbClientCreator(nullptr);
  TheClients() = Clients{};
}

RecordingDbClient& SessionTest::NextClient() {
  Clients& clients = TheClients();
  if (!clients.next) clients.next = automation::MakeRef<RecordingDbClient>();
  return *clients.next;
}

RecordingDbClient* SessionTest::LastClient() { return TheClients().last.get(); }

int SessionTest::CreatedClients() { return TheClients().created; }

RecordingDbClient& SessionTest::InstallConnectedClient() {
  auto client = automation::MakeRef<RecordingDbClient>();
  TheClients().last = client;
  SetDbClient(client);
  SetIsConnected(true);
  return *client;
}

}  // namespace talmo::testing
