// The module `global`: session state shared by every object of the component in one process.
// Not guarded: the component runs on its caller's one thread.
#pragma once

#include <cstdint>

#include "automation/ref.h"
#include "session/database.h"

namespace talmo::global {

// Start-up of the component in a process: creates the hidden Database that serves as
// CurrentDatabase until a client creates its own, then zeroes the session counters so the
// hidden object is not counted. The library runs it once, before it hands out its first
// object.
void Main();

// The most recently created Database (kept alive by this reference), or null after the
// connection was closed.
automation::Ref<Database> CurrentDatabase() noexcept;
// Replaces CurrentDatabase; the previous object's release steps run here when this was its
// last reference.
void SetCurrentDatabase(automation::Ref<Database> database) noexcept;

nfDisconnect DisconnectMode() noexcept;
void SetDisconnectMode(nfDisconnect mode) noexcept;

// Database objects created since the last reset, and the live ones.
int32_t SessionCounter() noexcept;
int16_t SessionCount() noexcept;
void SetSessionCounter(int32_t value) noexcept;
void SetSessionCount(int16_t value) noexcept;

}  // namespace talmo::global
