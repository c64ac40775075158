// Icons (.ico) and pointers (.cur): directory, picture headers, colour
// tables, and transparency masks that really cut the shapes out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "asset_files.h"

namespace {

struct Picture {
  int width = 0, height = 0, bits = 0;
  int hotspotX = 0, hotspotY = 0;  // cursors
  std::vector<bool> shown;         // from the AND mask, top row first
};

// Parses a whole .ico or .cur (type 1 or 2); false with a reason otherwise.
bool ParseIconFile(const std::vector<uint8_t>& b, int type, std::vector<Picture>* pictures,
                   std::string* why) {
  if (b.size() < 6 || U16At(b, 0) != 0 || U16At(b, 2) != static_cast<uint32_t>(type)) {
    *why = "bad directory header";
    return false;
  }
  const uint32_t count = U16At(b, 4);
  if (count == 0 || b.size() < 6 + 16 * count) {
    *why = "bad picture count";
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    const size_t e = 6 + 16 * i;
    Picture p;
    p.width = b[e] == 0 ? 256 : b[e];
    p.height = b[e + 1] == 0 ? 256 : b[e + 1];
    const uint32_t bytes = U32At(b, e + 8);
    const uint32_t offset = U32At(b, e + 12);
    if (offset + bytes > b.size() || bytes < 40) {
      *why = "picture outside the file";
      return false;
    }
    const size_t h = offset;
    p.bits = static_cast<int>(U16At(b, h + 14));
    if (type == 1) {
      if (U16At(b, e + 4) != 1 || U16At(b, e + 6) != static_cast<uint32_t>(p.bits)) {
        *why = "entry planes or bit count disagree with the picture";
        return false;
      }
    } else {
      p.hotspotX = static_cast<int>(U16At(b, e + 4));
      p.hotspotY = static_cast<int>(U16At(b, e + 6));
    }
    const uint32_t colourCount = b[e + 2];
    if ((p.bits < 8 && colourCount != (1u << p.bits)) || (p.bits >= 8 && colourCount != 0)) {
      *why = "entry colour count";
      return false;
    }
    if (U32At(b, h) != 40 || static_cast<int>(U32At(b, h + 4)) != p.width ||
        static_cast<int>(U32At(b, h + 8)) != 2 * p.height || U16At(b, h + 12) != 1 ||
        U32At(b, h + 16) != 0) {
      *why = "BITMAPINFOHEADER";
      return false;
    }
    if (p.bits != 1 && p.bits != 4 && p.bits != 8) {
      *why = "bit count";
      return false;
    }
    const size_t table = 4u << p.bits;
    const size_t xorRow = ((static_cast<size_t>(p.width) * p.bits + 31) / 32) * 4;
    const size_t andRow = ((static_cast<size_t>(p.width) + 31) / 32) * 4;
    if (bytes != 40 + table + (xorRow + andRow) * p.height) {
      *why = "picture size";
      return false;
    }
    const size_t mask = h + 40 + table + xorRow * p.height;
    p.shown.resize(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y) {
      const size_t row = mask + andRow * (p.height - 1 - y);  // bottom-up
      for (int x = 0; x < p.width; ++x) {
        p.shown[static_cast<size_t>(y) * p.width + x] = !(b[row + x / 8] & (0x80 >> (x % 8)));
      }
    }
    pictures->push_back(p);
  }
  return true;
}

int Shown(const Picture& p) {
  int n = 0;
  for (bool s : p.shown) n += s;
  return n;
}

std::vector<std::string> IconPaths() {
  std::vector<std::string> paths;
  for (const char* w : kColourWords) paths.push_back(AssetsOut() + "/switcher/" + w + ".ico");
  paths.push_back(AssetsOut() + "/switcher/Balls.ico");
  paths.push_back(AssetsOut() + "/saver/Tavol.ico");
  for (const char* t : kColourTitles) {
    for (const char* object : {"Computer", "Network", "Recycle Full", "Recycle Empty"}) {
      paths.push_back(AssetsOut() + "/themes/Tavol/" + t + " " + object + ".ico");
    }
  }
  return paths;
}

TEST(IconFiles, EveryIconHas32And16PixelPicturesWithMasks) {
  for (const std::string& path : IconPaths()) {
    SCOPED_TRACE(path);
    std::vector<Picture> pictures;
    std::string why;
    ASSERT_TRUE(ParseIconFile(ReadBytes(path), 1, &pictures, &why)) << why;
    bool has32 = false, has16 = false;
    for (const Picture& p : pictures) {
      SCOPED_TRACE(std::to_string(p.width) + " px, " + std::to_string(p.bits) + " bits");
      EXPECT_EQ(p.width, p.height);
      has32 |= p.width == 32;
      has16 |= p.width == 16;
      // Shaped, not square: the desktop shows through at the corners.
      const int last = p.width - 1;
      const int clearCorners =
          !p.shown[0] + !p.shown[last] + !p.shown[last * p.width] + !p.shown[last * p.width + last];
      EXPECT_GE(clearCorners, 2);
      const int area = p.width * p.height;
      EXPECT_GT(Shown(p), area / 5);
      EXPECT_LT(Shown(p), area);
    }
    EXPECT_TRUE(has32);
    EXPECT_TRUE(has16);
  }
}

TEST(IconFiles, SwitcherResourcesAreTheSixNames) {
  const std::vector<std::string> names = ListFolder(AssetsOut() + "/switcher");
  std::vector<std::string> icons;
  for (const std::string& n : names) {
    if (EndsWith(n, ".ico")) icons.push_back(n);
  }
  EXPECT_EQ(icons, (std::vector<std::string>{"BLACK.ico", "BLUE.ico", "Balls.ico", "GREEN.ico",
                                             "RED.ico", "WHITE.ico"}));
}

TEST(IconFiles, TheFiveEmblemsDiffer) {
  for (int i = 0; i < 5; ++i) {
    for (int j = i + 1; j < 5; ++j) {
      SCOPED_TRACE(std::string(kColourWords[i]) + " and " + kColourWords[j]);
      EXPECT_NE(ReadBytes(AssetsOut() + "/switcher/" + kColourWords[i] + ".ico"),
                ReadBytes(AssetsOut() + "/switcher/" + kColourWords[j] + ".ico"));
    }
  }
}

TEST(PointerFiles, EveryPointerIs32PixelsWithItsHotspotOnTheShape) {
  const char* const kNames[] = {"Arrow",       "Help",        "Working", "Precision", "Text",
                                "Unavailable", "Handwriting", "Move",    "Size NESW", "Size NS",
                                "Size WE",     "Size NWSE",   "Up",      "Busy"};
  for (const char* title : kColourTitles) {
    for (const char* name : kNames) {
      const std::string path = AssetsOut() + "/themes/Tavol/" + title + " " + name + ".cur";
      SCOPED_TRACE(path);
      std::vector<Picture> pictures;
      std::string why;
      ASSERT_TRUE(ParseIconFile(ReadBytes(path), 2, &pictures, &why)) << why;
      for (const Picture& p : pictures) {
        EXPECT_EQ(p.width, 32);
        EXPECT_EQ(p.height, 32);
        ASSERT_GE(p.hotspotX, 0);
        ASSERT_LT(p.hotspotX, 32);
        ASSERT_GE(p.hotspotY, 0);
        ASSERT_LT(p.hotspotY, 32);
        // The hotspot is on the drawn shape or (crosshair, I-beam) within a
        // few pixels of it.
        int nearest = 99;
        for (int y = 0; y < 32; ++y) {
          for (int x = 0; x < 32; ++x) {
            if (!p.shown[y * 32 + x]) continue;
            nearest =
                std::min(nearest, std::max(std::abs(x - p.hotspotX), std::abs(y - p.hotspotY)));
          }
        }
        EXPECT_LE(nearest, 3);
        EXPECT_GT(Shown(p), 20);
        EXPECT_LT(Shown(p), 32 * 32 / 2);
      }
    }
  }
}

}  // namespace
