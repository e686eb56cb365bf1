// A small table model behind the recording client, for the tests of Table: member 47 hands
// out table handles (written into its first argument), 15 record handles, and the metadata,
// field and key members answer from the model of the handle's table. Every call is still
// recorded by the RecordingDbClient, so tests check call orders and arguments.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"
#include "fake_db_client.h"
#include "records/table.h"
#include "session_fixture.h"

namespace talmo::testing {

struct FieldModel {
  std::u16string name;
  int16_t type = ftText;
  int16_t fieldClass = 0;
  automation::Variant value;  // what member 55 answers
};

struct TableModel {
  std::u16string name;
  std::vector<int32_t> primaryKey{1};
  std::map<int32_t, FieldModel> fields;
  int32_t findResult = -1;  // member 19: -1 found, 0 not found
};

class TableClientTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    client_ = &InstallConnectedClient();
    tables_[18] = TableModel{u"Customer",
                             {1},
                             {{1, {u"No.", ftCode, 0, automation::Variant(u"10000")}},
                              {2, {u"Name", ftText, 0, automation::Variant(u"Firma")}},
                              {5, {u"Amount", ftDecimal, 1, automation::Variant()}}}};
    Script();
  }

  // A table bound to `tableNo` (Alloc's calls are forgotten).
  automation::Ref<Table> Allocated(int32_t tableNo = 18) {
    automation::Ref<Table> table = automation::MakeRef<Table>();
    table->Alloc(tableNo);
    client_->ClearCalls();
    return table;
  }

  // The table number that a table handle was opened on, or 0.
  int32_t TableOfHandle(int32_t handle) const {
    auto it = handleTables_.find(handle);
    return it == handleTables_.end() ? 0 : it->second;
  }

  // Every recorded call whose first argument is `handle` (property puts left out).
  std::vector<automation::DispId> CallsOnHandle(int32_t handle) const {
    std::vector<automation::DispId> members;
    for (const RecordedCall& call : client_->calls()) {
      if (call.kind == automation::InvokeKind::kMethod && !call.args.empty() &&
          call.args[0].IsNumeric() && call.args[0].ToLong() == handle) {
        members.push_back(call.member);
      }
    }
    return members;
  }

  RecordingDbClient* client_ = nullptr;
  std::map<int32_t, TableModel> tables_;
  std::map<int32_t, int32_t> handleTables_;  // table handle -> table number
  int32_t nextTableHandle_ = 100;
  int32_t nextRecordHandle_ = 500;
  double decimalValue_ = 0;  // what member 88 answers

 private:
  FieldModel& FieldOf(std::span<automation::Variant> args) {
    return tables_[TableOfHandle(args[0].ToLong())].fields[args[1].ToLong()];
  }
  // For the members that take (table, record, field, ...).
  FieldModel& RecordFieldOf(std::span<automation::Variant> args) {
    return tables_[TableOfHandle(args[0].ToLong())].fields[args[2].ToLong()];
  }

  void Script() {
    using automation::Variant;
    using Args = std::span<Variant>;
    client_->On(47, [this](Args args) {
      const int32_t handle = ++nextTableHandle_;
      handleTables_[handle] = args[1].ToLong();
      args[0].Assign(Variant(handle));
      return Variant();
    });
    client_->On(15, [this](Args) { return Variant(++nextRecordHandle_); });
    client_->On(
        14, [this](Args args) { return Variant(tables_[TableOfHandle(args[0].ToLong())].name); });
    client_->On(29, [this](Args args) { return Variant(FieldOf(args).type); });
    client_->On(32, [this](Args args) { return Variant(FieldOf(args).name); });
    client_->On(34, [this](Args args) { return Variant(FieldOf(args).fieldClass); });
    client_->On(67, [](Args) { return Variant(int16_t{20}); });
    client_->On(33, [](Args) { return Variant(u"A,B"); });
    client_->On(55, [this](Args args) { return RecordFieldOf(args).value; });
    client_->On(51, [this](Args args) {
      std::vector<Variant> key;
      for (int32_t field : tables_[TableOfHandle(args[0].ToLong())].primaryKey) {
        key.emplace_back(field);
      }
      return Variant(automation::VariantArray(std::move(key), 0));
    });
    client_->On(19, [this](Args args) {
      return Variant(tables_[TableOfHandle(args[0].ToLong())].findResult);
    });
    client_->Returns(21, Variant(int32_t{-1}));
    client_->Returns(22, Variant(int32_t{-1}));
    client_->Returns(23, Variant(int32_t{-1}));
    client_->Returns(53, Variant(int32_t{-1}));
    client_->Returns(24, Variant(int32_t{42}));
    client_->Returns(80, Variant(int32_t{7}));
    client_->On(88, [this](Args) { return Variant(decimalValue_); });
    client_->Returns(20, Variant(int16_t{1}));
  }
};

}  // namespace talmo::testing
