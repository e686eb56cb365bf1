// The window's load and resize rules on twip numbers, without a window.
#include "form_layout.h"

#include <gtest/gtest.h>

namespace talmo_demo {
namespace {

using form_design::kClientHeight;
using form_design::kClientWidth;

FormLayout LoadedLayout() {
  FormLayout layout;
  layout.Load(kClientWidth, kClientHeight, form_design::kLogBox, form_design::kTestButton);
  return layout;
}

struct ResizeRow {
  const char* name;
  int32_t formWidth;
  int32_t formHeight;
  bool logVisible;
  int32_t logWidth;  // when visible
  int32_t logHeight;
  TwipRect testButton;
};

void PrintTo(const ResizeRow& row, std::ostream* os) { *os << row.name; }

class FormResizeTest : public ::testing::TestWithParam<ResizeRow> {};

TEST_P(FormResizeTest, LaysOutLogBoxAndMovesTestButton) {
  const ResizeRow& row = GetParam();
  FormLayout layout = LoadedLayout();
  const ResizeLayout result = layout.Resize(row.formWidth, row.formHeight);
  EXPECT_EQ(result.logVisible, row.logVisible);
  if (row.logVisible) {
    EXPECT_EQ(result.logWidth, row.logWidth);
    EXPECT_EQ(result.logHeight, row.logHeight);
  }
  EXPECT_EQ(result.testButton, row.testButton);
}

// The log box is 45 twips wider than the form and 540 lower: those are the margins.
INSTANTIATE_TEST_SUITE_P(
    Sizes, FormResizeTest,
    ::testing::Values(
        ResizeRow{"DesignSize", 5250, 2715, true, 5295, 2175, {4200, 2280, 975, 375}},
        ResizeRow{"Larger", 7500, 4500, true, 7545, 3960, {6450, 4065, 975, 375}},
        ResizeRow{"Narrower", 3000, 2715, true, 3045, 2175, {1950, 2280, 975, 375}},
        // The negative width margin keeps the box visible at any width.
        ResizeRow{"ZeroWidth", 0, 2715, true, 45, 2175, {-1050, 2280, 975, 375}},
        ResizeRow{"HeightOneAboveMargin", 5250, 541, true, 5295, 1, {4200, 106, 975, 375}},
        ResizeRow{"HeightAtMargin", 5250, 540, false, 0, 0, {4200, 105, 975, 375}},
        ResizeRow{"HeightBelowMargin", 5250, 300, false, 0, 0, {4200, -135, 975, 375}},
        // 2600 x 1100 pixels: beyond the range of 16-bit twips.
        ResizeRow{"WiderThan16Bits", 39000, 16500, true, 39045, 15960, {37950, 16065, 975, 375}}),
    [](const ::testing::TestParamInfo<ResizeRow>& info) { return info.param.name; });

TEST(FormLayoutTest, EachResizeMovesTheTestButtonByTheChangeSinceTheLastOne) {
  FormLayout layout = LoadedLayout();
  layout.Resize(7500, 4500);
  const ResizeLayout second = layout.Resize(6000, 3000);
  EXPECT_EQ(second.testButton, (TwipRect{4950, 2565, 975, 375}));
  EXPECT_EQ(second.logWidth, 6045);
  EXPECT_EQ(second.logHeight, 2460);
}

TEST(FormLayoutTest, ResizingBackRestoresTheDesign) {
  FormLayout layout = LoadedLayout();
  layout.Resize(9000, 6000);
  layout.Resize(5250, 300);  // the log box hides on the way
  const ResizeLayout back = layout.Resize(kClientWidth, kClientHeight);
  EXPECT_TRUE(back.logVisible);
  EXPECT_EQ(back.logWidth, form_design::kLogBox.width);
  EXPECT_EQ(back.logHeight, form_design::kLogBox.height);
  EXPECT_EQ(back.testButton, form_design::kTestButton);
}

TEST(FormLayoutTest, MarginsComeFromTheSizesAtLoad) {
  FormLayout layout;
  layout.Load(6000, 4000, TwipRect{0, 0, 5000, 3000}, TwipRect{100, 200, 300, 400});
  const ResizeLayout result = layout.Resize(6500, 3900);
  EXPECT_EQ(result.logWidth, 5500);
  EXPECT_EQ(result.logHeight, 2900);
  EXPECT_EQ(result.testButton, (TwipRect{600, 100, 300, 400}));
}

}  // namespace
}  // namespace talmo_demo
