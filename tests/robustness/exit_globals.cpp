// talmo-exit-globals: keeps a database client object, a Talmo Database and a Table in globals
// of the program and leaves them to the exit handlers, as a careless client program would.
// The test that runs it checks that the process ends cleanly (under AddressSanitizer: without
// touching freed memory) and that its committed work is in the database file.
//
//   talmo-exit-globals INI DATABASE
//
// The Database connects with the INI file, disconnects (stopNow) and connects again, then
// writes one customer "EXIT1" in a write transaction; the client object opens DATABASE on its
// own. Exit code 0; 1 with the error on standard error.
#include <iostream>
#include <string>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "automation/registry.h"
#include "automation/text.h"

namespace {

using automation::CallMethod;
using automation::GetDispId;
using automation::Ref;
using automation::Variant;

Ref<automation::Dispatch> client;
Ref<automation::Dispatch> database;
Ref<automation::Dispatch> customers;

Variant Call(automation::Dispatch* object, std::u16string_view name, Variant argument = {}) {
  const automation::DispId id = GetDispId(object, name);
  return argument.IsEmpty() ? CallMethod(object, id) : CallMethod(object, id, argument);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: talmo-exit-globals INI DATABASE\n";
    return 2;
  }
  try {
    const Variant ini(automation::FromUtf8(argv[1]));
    database = automation::CreateObject(u"Talmo.Database");
    Call(database.get(), u"AutoConnect", ini);
    Call(database.get(), u"Disconnect", Variant(int32_t{1}));
    Call(database.get(), u"AutoConnect", ini);
    Call(database.get(), u"BWT");
    customers = Call(database.get(), u"AllocTable", Variant(int32_t{18})).ToObject();
    automation::PutProperty(customers.get(), GetDispId(customers.get(), u"Field"), int32_t{1},
                            u"EXIT1");
    Call(customers.get(), u"Insert", Variant(true));
    Call(database.get(), u"EWT");

    // A client object of the program's own with a database open: members 5 and 42.
    client = automation::CreateObject(u"DbClient.Application");
    CallMethod(client.get(), 5, automation::FromUtf8(argv[2]));
    CallMethod(client.get(), 42, u"", u"");
    if (const int32_t code = CallMethod(client.get(), 45).ToLong()) {
      std::cerr << "talmo-exit-globals: the client object cannot open the database: " << code
                << "\n";
      return 1;
    }
  } catch (const automation::AutomationError& error) {
    std::cerr << "talmo-exit-globals: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
