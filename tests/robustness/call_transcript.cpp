// talmo-call-transcript: runs a fixed set of scenarios through the component, as a client
// does, and prints every result and every error it meets, one line each.
//
//   talmo-call-transcript INI
//
// The scenarios: the demo's sample orders and item ledger steps, the record rules with
// values they accept and refuse, key look-ups found and missing, filtered scans with and
// without calculated fields, field reads and writes of every type (refused values
// included), and writes that fail. Two runs on copies of one database print the same
// transcript exactly when the component behaves the same, whatever path it takes to the
// client. Its last line says how often the client's last-error member (45) was called,
// which tells the paths apart. Exit code 0; 2 for a usage error; an error outside the
// scenarios' own steps ends the run with 1.
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "automation/registry.h"
#include "automation/text.h"
#include "late_object.h"
#include "scenarios.h"
#include "util/cls_ini_file.h"

namespace {

using automation::Variant;
using talmo_demo::LateObject;

std::string Text(const Variant& value) {
  try {
    return automation::ToUtf8(automation::TypeName(value)) + " " +
           automation::ToUtf8(value.ToString());
  } catch (const automation::AutomationError&) {
    return automation::ToUtf8(automation::TypeName(value));
  }
}

// Line breaks inside a message as "|", so every step stays one line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = '|';
  }
  return text;
}

// Runs one step and prints its result or its error.
void Step(const std::string& name, const std::function<Variant()>& step) {
  std::string outcome;
  try {
    outcome = " = " + Text(step());
  } catch (const automation::AutomationError& error) {
    outcome = " ! " + std::to_string(error.number()) + " " +
              automation::ToUtf8(error.source()) + ": " +
              automation::ToUtf8(error.description());
  }
  std::cout << name << OneLine(outcome) << "\n";
}

class Transcript {
 public:
  Transcript(LateObject database, const talmo::clsIniFile& demoIni)
      : db_(std::move(database)), scenarios_(db_, demoIni, [] {}) {}

  void Run() {
    Orders();
    Rules();
    LookUps();
    Scans();
    Fields();
    FailingWrites();
    ItemLedger();
  }

 private:
  LateObject Table(int32_t tableNo) { return talmo_demo::AsObject(db_.Call(u"AllocTable", tableNo)); }

  void Orders() {
    db_.Call(u"BWT");
    for (int i = 0; i < 3; ++i) {
      Step("order", [&] { return Variant(scenarios_.CreateSampleOrder()); });
    }
    db_.Call(u"EWT");
  }

  // An order line through the record rules: the values each rule takes and some it refuses.
  void Rules() {
    db_.Call(u"BWT");
    LateObject line = Table(37);
    line.Call(u"Init");
    line.Put(u"Field", 1, int16_t{1});
    line.Put(u"Field", 3, u"OBJ00001");
    line.Put(u"Field", 4, int32_t{90000});
    const std::vector<std::pair<int32_t, Variant>> rules = {
        {5, Variant(int16_t{2})},      {6, Variant(u"NOPE")},        {6, Variant(u"70000")},
        {15, Variant(u"abc")},         {15, Variant(3.5)},           {5407, Variant(u"XX")},
        {5407, Variant(u"KS")},        {22, Variant(-1.0)},          {22, Variant(99.99)},
        {27, Variant(150.0)},          {27, Variant(12.5)},          {15, Variant(int32_t{-2})},
        {29, Variant(10.0)},           {6, Variant(u"70001")},       {5, Variant(int16_t{0})}};
    for (const auto& [field, value] : rules) {
      Step("validate " + std::to_string(field) + " " + Text(value), [&] {
        line.Call(u"Validate", field, value);
        return line.Call(u"Field", field);
      });
    }
    for (int32_t field : {6, 11, 15, 22, 25, 27, 28, 29, 30, 5407, 5404, 5415}) {
      Step("line field " + std::to_string(field), [&] { return line.Call(u"Field", field); });
    }
    Step("line insert", [&] { return line.Call(u"Insert", true); });
    Step("line insert again", [&] { return line.Call(u"Insert", true); });
    db_.Call(u"EWT");
  }

  // Items found and missing, by GetRec (which raises) and GetRecT (which answers).
  void LookUps() {
    LateObject items = Table(27);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> number(69950, 70100);
    for (int i = 0; i < 60; ++i) {
      const std::u16string key = automation::FromUtf8(std::to_string(number(random)));
      const std::string name = automation::ToUtf8(key);
      Step("getrect " + name, [&] { return items.Call(u"GetRecT", key); });
      Step("getrec " + name, [&] {
        items.Call(u"GetRec", key);
        return Variant(items.Call(u"Field", 3).ToString() + u" " +
                       items.Call(u"Field", 18).ToString());
      });
    }
    Step("getrec too many values", [&] { return items.Call(u"GetRec", u"70000", u"X"); });
    Step("getrec too long", [&] { return items.Call(u"GetRecT", std::u16string(40, u'9')); });

    // A key of two fields, given whole and in part.
    LateObject headers = Table(36);
    Step("getrec header", [&] {
      headers.Call(u"GetRec", int16_t{1}, u"OBJ00002");
      return headers.Call(u"Field", 2);
    });
    Step("getrect header by type only", [&] { return headers.Call(u"GetRecT", int16_t{1}); });
    Step("getrec header missing", [&] { return headers.Call(u"GetRec", int16_t{1}, u"NONE"); });
    Step("getrec header bad type", [&] { return headers.Call(u"GetRec", u"x", u"OBJ00001"); });

    // After the company is opened again, the table allocated before still looks up.
    db_.Call(u"OpenCompany", db_.Get(u"CompanyName"));
    Step("getrec after reopening", [&] {
      items.Call(u"GetRec", u"70000");
      return items.Call(u"Field", 3);
    });
    Step("init after reopening", [&] {
      headers.Call(u"Init");
      return headers.Call(u"Field", 3);
    });
  }

  void Scans() {
    for (const bool calculate : {false, true}) {
      LateObject items = Table(27);
      items.Put(u"AutoCalcFields", calculate);
      items.Call(u"SetFilter", 1, u"K0*");
      int32_t count = 0;
      std::u16string seen;
      bool found = items.Call(u"Find", u"-").ToBoolean();
      while (found) {
        ++count;
        seen = items.Call(u"Field", 1).ToString() + u" " + items.Call(u"Field", 3).ToString();
        if (calculate) seen += u" " + items.Call(u"Field", 50060).ToString();
        if (count % 97 == 0) std::cout << "scan " << automation::ToUtf8(seen) << "\n";
        found = items.Call(u"NextRec", int16_t{1}).ToInteger() != 0;
      }
      std::cout << "scan count " << count << " last " << automation::ToUtf8(seen) << "\n";
      Step("count", [&] { return items.Call(u"Count"); });
      Step("bad filter", [&] { return items.Call(u"SetFilter", 1, u"((K0*"); });
    }
  }

  // Every field type of a sales line buffer, with values each field takes and refuses.
  void Fields() {
    LateObject line = Table(37);
    const std::vector<std::pair<int32_t, Variant>> puts = {
        {11, Variant(u"A description")},  {11, Variant(std::u16string(60, u'x'))},
        {6, Variant(u" lower code ")},    {4, Variant(int32_t{123456})},
        {4, Variant(3e10)},               {5, Variant(int16_t{2})},
        {5, Variant(int16_t{9})},         {5, Variant(u"Item")},
        {10, Variant::Date(45000.0)},     {10, Variant(u"not a date")},
        {15, Variant(2.125)},             {15, Variant(u"abc")},
        {15, Variant(u"7.5")},            {15, Variant(automation::Currency{12345})},
        {32, Variant(false)},             {32, Variant(u"Yes")},
        {32, Variant(u"maybe")},          {999, Variant(int32_t{1})}};
    for (const auto& [field, value] : puts) {
      Step("put " + std::to_string(field) + " " + Text(value), [&] {
        line.Put(u"Field", field, value);
        return line.Call(u"Field", field);
      });
    }
    Step("field by name", [&] { return line.Call(u"Field", u"Quantity"); });
    Step("field unknown name", [&] { return line.Call(u"Field", u"Nonexistent"); });
    Step("field unknown number", [&] { return line.Call(u"Field", 999); });
    Step("field type of 15", [&] { return line.Call(u"FieldType", 15); });
    Step("field class of 15", [&] { return line.Call(u"FieldClass", 15); });
  }

  void FailingWrites() {
    LateObject customers = Table(18);
    Step("modify missing", [&] {
      customers.Call(u"Init");
      customers.Put(u"Field", 1, u"NOSUCH");
      customers.Call(u"Modify");
      return Variant(u"modified");
    });
    Step("delete missing", [&] {
      customers.Call(u"Delete");
      return Variant(u"deleted");
    });
    db_.Call(u"BWT");
    Step("insert", [&] { return customers.Call(u"Insert", true); });
    Step("insert duplicate", [&] { return customers.Call(u"Insert", true); });
    db_.Call(u"AWT");
    Step("after abort", [&] { return customers.Call(u"GetRecT", u"NOSUCH"); });
    Step("end without begin", [&] { return db_.Call(u"EWT"); });
  }

  void ItemLedger() {
    int32_t steps = 0;
    int32_t entries = 0;
    for (int32_t processed; (processed = scenarios_.ProcessItemLedger(true)) != 0; ++steps) {
      entries += processed;
    }
    std::cout << "ledger steps " << steps << " entries " << entries << "\n";
  }

  LateObject db_;
  talmo_demo::DemoScenarios scenarios_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: talmo-call-transcript INI\n";
    return 2;
  }
  const std::string ini = argv[1];
  try {
    LateObject database(automation::CreateObject(u"Talmo.Database"));
    database.Call(u"AutoConnect", automation::FromUtf8(ini));
    talmo::clsIniFile demoIni(
        automation::FromUtf8(std::filesystem::path(ini).parent_path().string()), u"TalmoDemo");
    demoIni.SetFileName(u"TalmoDemo.ini");
    Transcript(database, demoIni).Run();
    // The client library is loaded already: its diagnostics see every client of the process.
    LateObject client(automation::CreateObject(u"DbClient.Application"));
    std::cout << "member 45 calls: " << client.Call(u"MemberCalls", 45).ToLong() << "\n";
    database.Call(u"Disconnect", int32_t{1});
  } catch (const automation::AutomationError& error) {
    std::cerr << "talmo-call-transcript: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
