#include "session/global.h"

#include <utility>

#include "session/no_destructor.h"

namespace talmo::global {
namespace {

struct SessionState {
  automation::Ref<Database> currentDatabase;
  nfDisconnect disconnectMode = nfDisconnect::None;
  int32_t sessionCounter = 0;
  int16_t sessionCount = 0;
};

SessionState& State() noexcept {
  static NoDestructor<SessionState> state;
  return state.get();
}

}  // namespace

void Main() {
  automation::Ref<Database> hidden = CreateDatabase();
  hidden->ExcludeFromSessionCount();
  SetCurrentDatabase(hidden);
  SetSessionCounter(0);
  SetSessionCount(0);
}

automation::Ref<Database> CurrentDatabase() noexcept { return State().currentDatabase; }

void SetCurrentDatabase(automation::Ref<Database> database) noexcept {
  // The new reference is in place before the old one is dropped: the old object's release
  // steps may close the connection, which empties CurrentDatabase itself.
  automation::Ref<Database> previous = std::exchange(State().currentDatabase, std::move(database));
  previous.reset();
}

nfDisconnect DisconnectMode() noexcept { return State().disconnectMode; }
void SetDisconnectMode(nfDisconnect mode) noexcept { State().disconnectMode = mode; }

int32_t SessionCounter() noexcept { return State().sessionCounter; }
int16_t SessionCount() noexcept { return State().sessionCount; }
void SetSessionCounter(int32_t value) noexcept { State().sessionCounter = value; }
void SetSessionCount(int16_t value) noexcept { State().sessionCount = value; }

}  // namespace talmo::global
