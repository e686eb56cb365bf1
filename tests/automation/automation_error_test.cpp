// The standard error catalogue and AutomationError.
#include <string>

#include "test_support.h"

namespace automation_test {
namespace {

struct StandardRow {
  int32_t number;
  std::u16string text;
};

class StandardErrors : public ::testing::TestWithParam<StandardRow> {};

TEST_P(StandardErrors, CarryTheirUsualText) {
  const AutomationError e = AutomationError::Standard(GetParam().number);
  EXPECT_EQ(e.number(), GetParam().number);
  EXPECT_TRUE(e.source().empty());
  EXPECT_EQ(Utf8(e.description()), Utf8(GetParam().text));
  EXPECT_EQ(std::string(e.what()),
            std::to_string(GetParam().number) + ": " + Utf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, StandardErrors,
    ::testing::Values(StandardRow{5, u"Invalid procedure call or argument"},
                      StandardRow{6, u"Overflow"}, StandardRow{7, u"Out of memory"},
                      StandardRow{9, u"Subscript out of range"},
                      StandardRow{11, u"Division by zero"}, StandardRow{13, u"Type mismatch"},
                      StandardRow{53, u"File not found"},
                      StandardRow{91, u"Object variable or With block variable not set"},
                      StandardRow{94, u"Invalid use of Null"}, StandardRow{424, u"Object required"},
                      StandardRow{429, u"ActiveX component can't create object"},
                      StandardRow{438, u"Object doesn't support this property or method"},
                      StandardRow{448, u"Named argument not found"},
                      StandardRow{449, u"Argument not optional"},
                      StandardRow{450, u"Wrong number of arguments or invalid property assignment"},
                      StandardRow{12345, u"Application-defined or object-defined error"}),
    [](const auto& info) { return std::to_string(info.param.number); });

TEST(AutomationError, KeepsSourceAndDescriptionInUtf16) {
  const AutomationError e(999, u"Talmo.Table", u"Záznam neexistuje");
  EXPECT_EQ(e.number(), 999);
  EXPECT_EQ(e.source(), u"Talmo.Table");
  EXPECT_EQ(e.description(), u"Záznam neexistuje");
  EXPECT_EQ(std::string(e.what()), "999: Záznam neexistuje");
  EXPECT_EQ(ErrorOf([] { automation::RaiseStandard(91); }), 91);
}

}  // namespace
}  // namespace automation_test
