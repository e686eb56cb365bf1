// talmo-consumer INI_FILE: connects as the INI file says and prints the company, the
// descriptions of the items K0*, and the client's message for a table that does not exist.
#include <iostream>

#include "automation/dispatch.h"
#include "automation/registry.h"
#include "automation/text.h"

int main(int argc, char** argv) {
  using namespace automation;
  if (argc != 2) {
    std::cerr << "usage: talmo-consumer INI_FILE\n";
    return 2;
  }
  try {
    Ref<Dispatch> db = CreateObject(u"Talmo.Database");
    CallMethod(db.get(), GetDispId(db.get(), u"AutoConnect"), FromUtf8(argv[1]));
    std::cout << ToUtf8(CallMethod(db.get(), GetDispId(db.get(), u"CompanyName")).ToString())
              << '\n';
    Ref<Dispatch> items = CallMethod(db.get(), GetDispId(db.get(), u"AllocTable"), 27).ToObject();
    CallMethod(items.get(), GetDispId(items.get(), u"SetFilter"), 1, u"K0*");
    while (CallMethod(items.get(), GetDispId(items.get(), u"Find"), u">").ToBoolean()) {
      std::cout << ToUtf8(GetProperty(items.get(), kDispIdValue, 3).ToString()) << '\n';
    }
    try {
      CallMethod(db.get(), GetDispId(db.get(), u"AllocTable"), u"Neznámá");
    } catch (const AutomationError& e) {
      std::cout << ToUtf8(e.description()) << '\n';
    }
    CallMethod(db.get(), GetDispId(db.get(), u"Disconnect"), 1);
  } catch (const AutomationError& e) {
    std::cerr << "talmo-consumer: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
