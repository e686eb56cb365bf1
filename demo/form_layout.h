// The geometry of the main window in twips (15 twips to a pixel) and its load and resize
// rules: the log box follows the window size, only the "Test" button follows its corner.
#pragma once

#include <cstdint>

namespace talmo_demo {

inline constexpr int32_t kTwipsPerPixel = 15;

struct TwipRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

// The designed layout.
namespace form_design {
inline constexpr int32_t kClientWidth = 5250;
inline constexpr int32_t kClientHeight = 2715;
inline constexpr TwipRect kLogBox{0, 0, 5295, 2175};
inline constexpr TwipRect kConnectButton{120, 2280, 975, 375};
inline constexpr TwipRect kDisconnectButton{1200, 2280, 1215, 375};
inline constexpr TwipRect kPokusButton{2760, 2280, 975, 375};
inline constexpr TwipRect kTestButton{4200, 2280, 975, 375};
}  // namespace form_design

// What a resize asks of the controls.
struct ResizeLayout {
  bool logVisible = false;
  int32_t logWidth = 0;   // valid when logVisible
  int32_t logHeight = 0;  // valid when logVisible
  TwipRect testButton;    // where the "Test" button goes
};

// Sizes are kept in 32 bits: a window wider than 32767 twips (about 2200 pixels) is an
// ordinary screen today and must not overflow.
class FormLayout {
 public:
  // Form_Load: the margins between the form and the log box, and the size the next resize
  // is measured from.
  void Load(int32_t formWidth, int32_t formHeight, const TwipRect& logBox,
            const TwipRect& testButton);
  // Form_Resize: the log box gets the form size less the margins, or is hidden when either
  // would not be positive; the "Test" button moves by the change of the form size.
  ResizeLayout Resize(int32_t formWidth, int32_t formHeight);

 private:
  int32_t widthMargin_ = 0;
  int32_t heightMargin_ = 0;
  int32_t lastWidth_ = 0;
  int32_t lastHeight_ = 0;
  TwipRect testButton_;
};

}  // namespace talmo_demo
