#include "layout/switcher_layout.h"

#include <algorithm>
#include <cstring>

namespace {

LayoutRect Place(int x, int y, int width, int height) {
  return LayoutRect{x, y, x + width, y + height};
}

}  // namespace

LayoutMetrics ComputeLayoutMetrics(TextExtent windowColors, TextExtent cancel, int iconWidth,
                                   int iconHeight) {
  LayoutMetrics m;
  m.checkWidth = windowColors.cx + 30;
  m.lineHeight = windowColors.cy;
  m.buttonWidth = cancel.cx + 20;
  m.buttonHeight = cancel.cy * 7 / 4;
  m.iconCellWidth = iconWidth * 3 / 2;
  m.iconCellHeight = iconHeight * 3 / 2;
  return m;
}

ClientSize MainClientSize(const LayoutMetrics& m, int captionHeight) {
  ClientSize size;
  size.width = 3 * m.iconCellWidth + 75 + m.buttonWidth + m.checkWidth;
  size.height =
      std::max(7 * (m.lineHeight * 3 / 2) + 20, 3 * m.iconCellHeight) + captionHeight + 10;
  return size;
}

MainLayout ComputeMainLayout(const LayoutMetrics& m) {
  const int icw = m.iconCellWidth;
  const int ich = m.iconCellHeight;
  const int bh = m.buttonHeight;

  LayoutRect a{10, 10, 3 * icw + 10, 3 * ich + 10};
  LayoutRect b;
  b.left = a.right + 20;
  b.top = 0;
  b.right = b.left + m.checkWidth + 15;
  b.bottom = 7 * (m.lineHeight * 3 / 2) + 15;
  const int buttonX = b.right + 20;

  // Balance the colour wheel and the group box vertically.
  if (a.bottom - 10 >= b.bottom) {
    int dy = (a.bottom - b.bottom - 10) / 2;
    b.top += dy;
    b.bottom += dy;
  } else {
    int dy = (b.bottom - a.bottom + 10) / 2;
    a.top += dy;
    a.bottom += dy;
  }

  MainLayout layout;
  const int side = a.top + 3 * (a.bottom - a.top) / 10;
  layout.colourButtons[0] = Place(a.left + (a.right - icw - a.left) / 2, a.top, icw, ich);  // WHITE
  layout.colourButtons[1] = Place(a.right - icw, side, icw, ich);                           // BLUE
  layout.colourButtons[2] = Place(a.right - icw - icw / 3, a.bottom - ich, icw, ich);       // BLACK
  layout.colourButtons[3] = Place(a.left + icw / 3, a.bottom - ich, icw, ich);              // RED
  layout.colourButtons[4] = Place(a.left, side, icw, ich);                                  // GREEN

  layout.groupBox = b;
  for (int i = 0; i < kCheckBoxCount; ++i) {
    layout.checkBoxes[i] =
        Place(b.left + 8, b.top + 15 + i * (m.lineHeight * 3 / 2), m.checkWidth, m.lineHeight);
  }
  for (int i = 0; i < kPushButtonCount; ++i) {
    layout.pushButtons[i] = Place(buttonX, 10 + i * (bh + 8), m.buttonWidth, bh);
  }
  return layout;
}

int ScrollStatusText(const char* text, int counter, int period, char* out, size_t outSize) {
  if (outSize == 0) return period > 0 ? (counter + 1) % period : 0;
  const size_t maxTaken = 199;
  size_t length = std::min(std::strlen(text), maxTaken);
  size_t written = 0;
  if (period / 2 > counter) {
    if (outSize > 1) out[written++] = ' ';
    size_t room = outSize - 1 - written;
    size_t take = std::min(length, room);
    std::memcpy(out + written, text, take);
    written += take;
  } else {
    size_t take = length > 0 ? std::min(length - 1, outSize - 1) : 0;
    if (length > 0) std::memcpy(out, text + 1, take);
    written = take;
  }
  out[written] = '\0';
  return period > 0 ? (counter + 1) % period : 0;
}
