#include "layout/switcher_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// "Window Colors" 86 x 16 and "Cancel" 40 x 16 in the UI font, 32 x 32 icons.
LayoutMetrics TypicalMetrics() {
  return ComputeLayoutMetrics({86, 16}, {40, 16}, 32, 32);
}

TEST(SwitcherLayout, MetricsFromTextAndIcons) {
  struct Case {
    TextExtent windowColors, cancel;
    int icon;
    LayoutMetrics expected;
  } cases[] = {
      {{86, 16}, {40, 16}, 32, {116, 16, 60, 28, 48, 48}},
      {{87, 13}, {41, 13}, 48, {117, 13, 61, 22, 72, 72}},  // 13 * 7 / 4 = 22
      {{0, 0}, {0, 0}, 1, {30, 0, 20, 0, 1, 1}},            // 1 * 3 / 2 = 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.icon);
    LayoutMetrics m = ComputeLayoutMetrics(c.windowColors, c.cancel, c.icon, c.icon);
    EXPECT_EQ(m.checkWidth, c.expected.checkWidth);
    EXPECT_EQ(m.lineHeight, c.expected.lineHeight);
    EXPECT_EQ(m.buttonWidth, c.expected.buttonWidth);
    EXPECT_EQ(m.buttonHeight, c.expected.buttonHeight);
    EXPECT_EQ(m.iconCellWidth, c.expected.iconCellWidth);
    EXPECT_EQ(m.iconCellHeight, c.expected.iconCellHeight);
  }
}

TEST(SwitcherLayout, ClientSizeTakesTheTallerColumn) {
  ClientSize size = MainClientSize(TypicalMetrics(), 18);
  EXPECT_EQ(size.width, 3 * 48 + 75 + 60 + 116);
  EXPECT_EQ(size.height, 7 * 24 + 20 + 18 + 10);  // check boxes are taller than 3 x 48
  ClientSize big = MainClientSize(ComputeLayoutMetrics({86, 16}, {40, 16}, 64, 64), 18);
  EXPECT_EQ(big.height, 3 * 96 + 18 + 10);
}

TEST(SwitcherLayout, GoldenPlacesWhenTheCheckBoxesAreTaller) {
  MainLayout layout = ComputeMainLayout(TypicalMetrics());
  // The colour area moves down by (183 - 154 + 10) / 2 = 19.
  const LayoutRect colours[] = {
      {58, 29, 106, 77},    // WHITE at the top
      {106, 72, 154, 120},  // BLUE
      {90, 125, 138, 173},  // BLACK
      {26, 125, 74, 173},   // RED
      {10, 72, 58, 120},    // GREEN
  };
  for (int i = 0; i < kColourButtonCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(layout.colourButtons[i], colours[i]);
  }
  EXPECT_EQ(layout.groupBox, (LayoutRect{174, 0, 305, 183}));
  EXPECT_EQ(layout.checkBoxes[0], (LayoutRect{182, 15, 298, 31}));
  EXPECT_EQ(layout.checkBoxes[6], (LayoutRect{182, 159, 298, 175}));
  const int tops[] = {10, 46, 82, 118, 154};
  for (int i = 0; i < kPushButtonCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(layout.pushButtons[i], (LayoutRect{325, tops[i], 385, tops[i] + 28}));
  }
}

TEST(SwitcherLayout, GoldenPlacesWhenTheColourWheelIsTaller) {
  MainLayout layout = ComputeMainLayout(ComputeLayoutMetrics({86, 16}, {40, 16}, 64, 64));
  // The group box moves down by (298 - 183 - 10) / 2 = 52; the buttons stay.
  EXPECT_EQ(layout.groupBox, (LayoutRect{318, 52, 449, 235}));
  EXPECT_EQ(layout.checkBoxes[0], (LayoutRect{326, 67, 442, 83}));
  EXPECT_EQ(layout.colourButtons[0], (LayoutRect{106, 10, 202, 106}));
  EXPECT_EQ(layout.colourButtons[2], (LayoutRect{170, 202, 266, 298}));
  EXPECT_EQ(layout.pushButtons[0], (LayoutRect{469, 10, 529, 38}));
}

TEST(StatusScroll, DriftsRightThenBack) {
  struct Case {
    std::string text;
    int counter;
    std::string expected;
    int next;
  } cases[] = {
      {"Setting", 0, " Setting", 1},
      {"Setting", 19, " Setting", 20},
      {"  Setting", 20, " Setting", 21},
      {" Setting", 39, "Setting", 0},
      {"", 25, "", 26},
      {"", 3, " ", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + "@" + std::to_string(c.counter));
    char out[kStatusScrollBuffer];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(ScrollStatusText(c.text.c_str(), c.counter, 40, out, sizeof out), c.next);
    EXPECT_EQ(std::string(out), c.expected);
  }
}

TEST(StatusScroll, OneCycleReturnsTheTextAndLongTextsAreCut) {
  std::string text = "Creating the wallpaper...";
  int counter = 0;
  for (int tick = 0; tick < 40; ++tick) {
    char out[kStatusScrollBuffer];
    counter = ScrollStatusText(text.c_str(), counter, 40, out, sizeof out);
    text = out;
    if (tick == 19) {
      EXPECT_EQ(text, std::string(20, ' ') + "Creating the wallpaper...");
    }
  }
  EXPECT_EQ(counter, 0);
  EXPECT_EQ(text, "Creating the wallpaper...");

  std::string longText(250, 'x');
  char out[kStatusScrollBuffer];
  ScrollStatusText(longText.c_str(), 0, 40, out, sizeof out);
  EXPECT_EQ(std::string(out), " " + std::string(199, 'x'));
  ScrollStatusText(longText.c_str(), 30, 40, out, sizeof out);
  EXPECT_EQ(std::string(out), std::string(198, 'x'));
}

}  // namespace
