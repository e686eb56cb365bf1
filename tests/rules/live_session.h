// The record-rule tests run the component's own objects in this process against the real
// database client: one connection for the whole test program, to a temporary copy of the
// sample database (company "Talmo Sample") on the program's backend (ProgramBackend), with
// the client library registered in a registry file of the test's own.
//
// Every RulesTest runs inside a write transaction that is aborted afterwards, so each test
// starts from the sample data and sees none of the other tests' records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "automation/automation_error.h"
#include "automation/ref.h"
#include "automation/variant.h"
#include "records/table.h"
#include "session/database.h"
#include "error_of.h"

namespace talmo::testing {

// The connected Database of the test program.
Database& LiveDatabase();

// A field number and the value to store in it.
using FieldValue = std::pair<int32_t, automation::Variant>;

class RulesTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A table from the connected Database's AllocTable (rule object attached for 18, 36, 37).
  static automation::Ref<Table> Alloc(int32_t tableNo);
  // Inserts a record with `fields` set (the rest at their initial values) and returns the
  // table holding it in its buffer.
  static automation::Ref<Table> InsertRecord(int32_t tableNo,
                                             std::initializer_list<FieldValue> fields);
  // Reads the record with primary key `key` into a new table; fails the test when missing.
  static automation::Ref<Table> ReadRecord(int32_t tableNo,
                                           std::initializer_list<automation::Variant> key);
  // Plain field access, no rules: the Variant the Table gives, as a double or a string.
  static double Number(Table& table, int32_t field);
  static std::u16string Text(Table& table, int32_t field);
  static void Put(Table& table, int32_t field, const automation::Variant& value);
};

}  // namespace talmo::testing
