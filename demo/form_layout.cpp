#include "form_layout.h"

namespace talmo_demo {

void FormLayout::Load(int32_t formWidth, int32_t formHeight, const TwipRect& logBox,
                      const TwipRect& testButton) {
  widthMargin_ = formWidth - logBox.width;
  heightMargin_ = formHeight - logBox.height;
  lastWidth_ = formWidth;
  lastHeight_ = formHeight;
  testButton_ = testButton;
}

ResizeLayout FormLayout::Resize(int32_t formWidth, int32_t formHeight) {
  ResizeLayout layout;
  const int32_t logWidth = formWidth - widthMargin_;
  const int32_t logHeight = formHeight - heightMargin_;
  layout.logVisible = logWidth > 0 && logHeight > 0;
  if (layout.logVisible) {
    layout.logWidth = logWidth;
    layout.logHeight = logHeight;
  }
  testButton_.left += formWidth - lastWidth_;
  testButton_.top += formHeight - lastHeight_;
  layout.testButton = testButton_;
  lastWidth_ = formWidth;
  lastHeight_ = formHeight;
  return layout;
}

}  // namespace talmo_demo
