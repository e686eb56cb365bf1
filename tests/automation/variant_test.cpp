// Variant storage: types, references, deep copies, arrays, VarType and TypeName.
#include <string>
#include <vector>

#include "test_support.h"

namespace automation_test {
namespace {

using automation::Currency;
using automation::VariantArray;

TEST(Variant, ConstructorsGiveTheirTypes) {
  EXPECT_EQ(Variant().type(), VarType::kEmpty);
  EXPECT_EQ(Variant::Null().type(), VarType::kNull);
  EXPECT_EQ(Variant(int16_t{1}).type(), VarType::kInteger);
  EXPECT_EQ(Variant(1).type(), VarType::kLong);
  EXPECT_EQ(Variant(1.0f).type(), VarType::kSingle);
  EXPECT_EQ(Variant(1.0).type(), VarType::kDouble);
  EXPECT_EQ(Variant(Currency{1}).type(), VarType::kCurrency);
  EXPECT_EQ(Variant::Date(1).type(), VarType::kDate);
  EXPECT_EQ(Variant(u"x").type(), VarType::kString);
  EXPECT_EQ(Variant(std::u16string_view(u"x")).type(), VarType::kString);
  EXPECT_EQ(Variant::Nothing().type(), VarType::kObject);
  EXPECT_EQ(Variant::Missing().type(), VarType::kError);
  EXPECT_EQ(Variant(true).type(), VarType::kBoolean);
  EXPECT_EQ(Variant(uint8_t{1}).type(), VarType::kByte);
  EXPECT_EQ(Variant(VariantArray()).type(), VarType::kArray);
}

TEST(Variant, MissingIsAnErrorValueWithTheParameterNotFoundCode) {
  EXPECT_TRUE(Variant::Missing().IsMissing());
  EXPECT_EQ(static_cast<uint32_t>(Variant::Missing().ErrorScode()), 0x80020004u);
  EXPECT_FALSE(Variant::ErrorCode(5).IsMissing());
  EXPECT_FALSE(Variant().IsMissing());
}

TEST(Variant, IsNumericCoversNumbersDatesAndBooleans) {
  EXPECT_TRUE(Variant(true).IsNumeric());
  EXPECT_TRUE(Variant::Date(0).IsNumeric());
  EXPECT_TRUE(Variant(Currency{}).IsNumeric());
  EXPECT_FALSE(Variant(u"1").IsNumeric());
  EXPECT_FALSE(Variant().IsNumeric());
  EXPECT_FALSE(Variant::Null().IsNumeric());
}

TEST(Variant, ByRefReadsAndWritesTheCallersValue) {
  Variant target(int32_t{5});
  Variant ref = Variant::ByRef(&target);
  EXPECT_TRUE(ref.IsByRef());
  EXPECT_FALSE(target.IsByRef());
  EXPECT_EQ(ref.type(), VarType::kLong);
  EXPECT_EQ(&ref.Deref(), &target);
  ref.Assign(Variant(u"new"));
  EXPECT_EQ(target.ToString(), u"new");
  EXPECT_TRUE(ref.IsByRef());
  // A copy of a reference refers to the same value.
  Variant copy = ref;
  copy.Assign(Variant(2.5));
  EXPECT_EQ(target.ToDouble(), 2.5);
}

TEST(Variant, ReferenceToAReferencePointsAtTheValue) {
  Variant target(int32_t{1});
  Variant first = Variant::ByRef(&target);
  Variant second = Variant::ByRef(&first);
  EXPECT_EQ(&second.Deref(), &target);
  EXPECT_EQ(Variant::ByRef(nullptr).type(), VarType::kEmpty);
}

TEST(Variant, InvariantHoldsForEveryKindOfValue) {
  Variant target(1);
  for (const Variant& v : {Variant(), Variant(u"x"), Variant(automation::VariantArray()),
                           Variant::ByRef(&target), Variant::Nothing(), Variant::Missing()}) {
    EXPECT_TRUE(v.CheckInvariant()) << ::testing::PrintToString(v);
  }
  Variant moved(automation::VariantArray({Variant(1)}));
  Variant taken = std::move(moved);
  EXPECT_TRUE(moved.CheckInvariant());
  EXPECT_TRUE(moved.IsEmpty());
}

TEST(Variant, AssigningAReferenceStoresItsValue) {
  Variant source(int32_t{7});
  Variant destination;
  destination.Assign(Variant::ByRef(&source));
  EXPECT_FALSE(destination.IsByRef());
  source = Variant(int32_t{8});
  EXPECT_EQ(destination.ToLong(), 7);
}

TEST(Variant, CopiesOfStringsAndArraysAreIndependent) {
  Variant text(u"abc");
  Variant textCopy = text;
  text = Variant(u"xyz");
  EXPECT_EQ(textCopy.ToString(), u"abc");

  Variant array(VariantArray({Variant(1), Variant(u"two")}, 1));
  Variant arrayCopy = array;
  array.ToArray().at(1) = Variant(u"changed");
  EXPECT_EQ(arrayCopy.ToArray().at(1).ToLong(), 1);
  EXPECT_EQ(arrayCopy.ToArray().LBound(), 1);
  Variant moved = std::move(arrayCopy);
  EXPECT_TRUE(arrayCopy.IsEmpty());
  EXPECT_EQ(moved.ToArray().at(2).ToString(), u"two");
}

TEST(Variant, MovingATextIntoAnyKindLeavesTheSourceEmpty) {
  for (Variant target : {Variant(), Variant(2.5), Variant(u"an old text, too long to be short"),
                         Variant(VariantArray({Variant(1)}))}) {
    Variant source(u"a new text, too long to be short");
    target = std::move(source);
    EXPECT_EQ(target.ToString(), u"a new text, too long to be short");
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_TRUE(source.CheckInvariant() && target.CheckInvariant());
  }
  // A text handed over empties its Variant; one read through a reference stays where it is.
  Variant text(u"a text handed over, too long to be short");
  EXPECT_EQ(std::move(text).ToString(), u"a text handed over, too long to be short");
  EXPECT_TRUE(text.IsEmpty() && text.CheckInvariant());
  Variant referenced(u"a text read through a reference");
  EXPECT_EQ(Variant::ByRef(&referenced).ToString(), u"a text read through a reference");
  EXPECT_EQ(referenced.ToString(), u"a text read through a reference");
  EXPECT_EQ(Variant(42).ToString(), u"42");
}

TEST(Variant, AssigningFromAnElementOfItsOwnArrayIsSafe) {
  Variant nested(VariantArray({Variant(VariantArray({Variant(u"inner")}))}));
  Variant v(VariantArray({Variant(u"element"), Variant(3)}));
  v = v.ToArray().at(0);
  EXPECT_EQ(v.ToString(), u"element");
  nested = std::move(nested.ToArray().at(0));
  EXPECT_EQ(nested.ToArray().at(0).ToString(), u"inner");
}

TEST(VariantArray, BoundsAndIndexChecks) {
  VariantArray empty;
  EXPECT_EQ(empty.LBound(), 0);
  EXPECT_EQ(empty.UBound(), -1);
  EXPECT_EQ(ErrorOf([&] { empty.at(0); }), 9);

  VariantArray a({Variant(10), Variant(20), Variant(30)}, -1);
  EXPECT_EQ(a.UBound(), 1);
  EXPECT_EQ(a.at(-1).ToLong(), 10);
  EXPECT_EQ(a.at(1).ToLong(), 30);
  EXPECT_EQ(ErrorOf([&] { a.at(-2); }), 9);
  EXPECT_EQ(ErrorOf([&] { a.at(2); }), 9);
  EXPECT_EQ(ErrorOf([&] { a.at(INT32_MIN); }), 9);

  a.ResizePreserve(3);
  EXPECT_EQ(a.size(), 5u);
  EXPECT_EQ(a.at(0).ToLong(), 20);
  EXPECT_TRUE(a.at(3).IsEmpty());
  a.ResizePreserve(-2);
  EXPECT_EQ(a.size(), 0u);
  EXPECT_EQ(ErrorOf([&] { a.ResizePreserve(-3); }), 9);
}

TEST(Variant, ObjectAndArrayAccessRaiseOnOtherTypes) {
  EXPECT_EQ(ErrorOf([] { Variant(1).ToObject(); }), 424);
  EXPECT_FALSE(Variant::Nothing().ToObject());
  EXPECT_EQ(ErrorOf([] { Variant(1).ToArray(); }), 13);
  const Variant constText(u"x");
  EXPECT_EQ(ErrorOf([&] { constText.ToArray(); }), 13);
}

struct TypeRow {
  std::string name;
  Variant value;
  uint16_t varType;
  std::u16string typeName;
};

class TypeNames : public ::testing::TestWithParam<TypeRow> {};

TEST_P(TypeNames, VarTypeAndTypeName) {
  EXPECT_EQ(automation::VarTypeOf(GetParam().value), GetParam().varType);
  EXPECT_EQ(Utf8(automation::TypeName(GetParam().value)), Utf8(GetParam().typeName));
}

INSTANTIATE_TEST_SUITE_P(Rules, TypeNames,
                         ::testing::Values(TypeRow{"Empty", Variant(), 0, u"Empty"},
                                           TypeRow{"Null", Variant::Null(), 1, u"Null"},
                                           TypeRow{"Integer", Variant(int16_t{1}), 2, u"Integer"},
                                           TypeRow{"Long", Variant(1), 3, u"Long"},
                                           TypeRow{"Single", Variant(1.0f), 4, u"Single"},
                                           TypeRow{"Double", Variant(1.0), 5, u"Double"},
                                           TypeRow{"Currency", Variant(Currency{}), 6, u"Currency"},
                                           TypeRow{"Date", Variant::Date(0), 7, u"Date"},
                                           TypeRow{"String", Variant(u""), 8, u"String"},
                                           TypeRow{"Nothing", Variant::Nothing(), 9, u"Nothing"},
                                           TypeRow{"Error", Variant::Missing(), 10, u"Error"},
                                           TypeRow{"Boolean", Variant(false), 11, u"Boolean"},
                                           TypeRow{"Byte", Variant(uint8_t{0}), 17, u"Byte"},
                                           TypeRow{"VariantArray", Variant(VariantArray()), 8204,
                                                   u"Variant()"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace automation_test
