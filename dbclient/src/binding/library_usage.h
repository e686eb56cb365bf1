// The count of live objects and factories of the client library, for DllCanUnloadNow.
#pragma once

#include "automation/registry.h"

namespace dbclient::binding {

automation::LibraryUsage& LibraryObjects() noexcept;

}  // namespace dbclient::binding
