// The Theme Switcher's layout arithmetic: metrics from measured text and the
// system icon size, the main window's wanted client size, and where every
// control goes. Every "/" truncates toward zero, as the window was designed.
#pragma once

#include <cstddef>

struct TextExtent {
  int cx = 0;
  int cy = 0;
};

struct LayoutMetrics {
  int checkWidth = 0;      // width of "Window Colors" + 30
  int lineHeight = 0;      // height of "Window Colors"
  int buttonWidth = 0;     // width of "Cancel" + 20
  int buttonHeight = 0;    // height of "Cancel" x 7 / 4
  int iconCellWidth = 0;   // SM_CXICON x 3 / 2
  int iconCellHeight = 0;  // SM_CYICON x 3 / 2
};

LayoutMetrics ComputeLayoutMetrics(TextExtent windowColors, TextExtent cancel, int iconWidth,
                                   int iconHeight);

struct LayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const LayoutRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// The client area the main window is sized for (before AdjustWindowRect).
struct ClientSize {
  int width = 0;
  int height = 0;
};
ClientSize MainClientSize(const LayoutMetrics& metrics, int captionHeight);

// Colour buttons in creation order: WHITE, BLUE, BLACK, RED, GREEN.
constexpr int kColourButtonCount = 5;
constexpr int kCheckBoxCount = 7;    // 105..111 from the top
constexpr int kPushButtonCount = 5;  // OK, Cancel, Apply, Revert, About

struct MainLayout {
  LayoutRect colourButtons[kColourButtonCount];
  LayoutRect groupBox;
  LayoutRect checkBoxes[kCheckBoxCount];
  LayoutRect pushButtons[kPushButtonCount];
};
MainLayout ComputeMainLayout(const LayoutMetrics& metrics);

// One tick of the status text's drift: while counter < period / 2 the text
// gains a leading blank, afterwards it loses its first character. text is
// what the status line shows (at most 199 characters are taken); the result
// goes to out (at least 201 bytes). Returns the next counter.
constexpr size_t kStatusScrollBuffer = 201;
int ScrollStatusText(const char* text, int counter, int period, char* out, size_t outSize);
