// The record rules of the built component, reached as a client reaches them: Talmo.Database
// from the registry, tables from AllocTable, every call late bound by name.
#include <gtest/gtest.h>

#include "live_fixture.h"

namespace talmo::testing {
namespace {

using automation::Ref;
using automation::Variant;

class RegisteredRulesTest : public LiveTest {
 protected:
  void SetUp() override {
    LiveTest::SetUp();
    Call(database_.get(), u"AutoConnect", {Variant(WriteIni("Talmo.ini", SampleIniBody()))});
    Call(database_.get(), u"BWT");
  }
  void TearDown() override {
    Call(database_.get(), u"AWT");
    LiveTest::TearDown();
  }

  Ref<automation::Dispatch> AllocTable(int32_t tableNo) {
    return Call(database_.get(), u"AllocTable", {Variant(tableNo)}).ToObject();
  }
  static void Validate(automation::Dispatch* table, int32_t field, Variant value) {
    Call(table, u"Validate", {Variant(field), std::move(value)});
  }
  static Variant Field(automation::Dispatch* table, int32_t field) {
    return Get(table, u"Field", {Variant(field)});
  }
};

TEST_F(RegisteredRulesTest, OrderLineOfASampleItemForASampleCustomer) {
  auto header = AllocTable(36);
  Put(header.get(), u"Field", {Variant(1), Variant(int16_t{1})});
  Put(header.get(), u"Field", {Variant(3), Variant(u"T6-REG")});
  Validate(header.get(), 2, Variant(u"10000"));
  EXPECT_EQ(Field(header.get(), 79).ToString(), u"Zahradnictví Pokorný a.s.");
  EXPECT_EQ(Field(header.get(), 116).ToString(), u"NATIONAL");
  ASSERT_TRUE(Call(header.get(), u"Insert", {Variant(true)}).ToBoolean());

  auto line = AllocTable(37);
  Put(line.get(), u"Field", {Variant(1), Variant(int16_t{1})});
  Put(line.get(), u"Field", {Variant(3), Variant(u"T6-REG")});
  Put(line.get(), u"Field", {Variant(4), Variant(10000)});
  Validate(line.get(), 5, Variant(int16_t{2}));
  Validate(line.get(), 6, Variant(u"K00001"));
  Put(line.get(), u"Field", {Variant(22), Variant(10.0)});
  Validate(line.get(), 15, Variant(3.0));
  EXPECT_DOUBLE_EQ(Field(line.get(), 25).ToDouble(), 21);
  EXPECT_DOUBLE_EQ(Field(line.get(), 29).ToDouble(), 30);
  EXPECT_DOUBLE_EQ(Field(line.get(), 30).ToDouble(), 36.3);
  EXPECT_TRUE(Call(line.get(), u"Insert", {Variant(true)}).ToBoolean());

  const auto error = ErrorOf([&] { Validate(line.get(), 18, Variant(4.0)); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"Nemůžete dodat více než 3 jednotek.");
}

}  // namespace
}  // namespace talmo::testing
