// What the classes of the test component library share.
#pragma once

#include "automation/registry.h"

// Counts the library's live objects, for DllCanUnloadNow.
automation::LibraryUsage& TestComponentUsage();

// The class factory of "Talmo.TestEcho" (test_echo.cpp), owned by the caller.
automation::ClassFactory* NewEchoFactory();
