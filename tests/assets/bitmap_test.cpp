// The About picture: an 8-bit bottom-up DIB with a full 256-entry colour
// table taken from PALALL9.TR, pixels right after the table.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "asset_files.h"
#include "codec/codec.h"

namespace {

class AboutBitmap : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = ReadBytes(AssetsOut() + "/switcher/AboutBox.bmp");
    ASSERT_GE(bytes_.size(), 1078u);
  }
  std::vector<uint8_t> bytes_;
};

TEST_F(AboutBitmap, HeadersAreThoseTheDialogExpects) {
  struct Field {
    const char* name;
    size_t offset;
    int size;
    uint32_t value;
  } fields[] = {
      {"type", 0, 2, 0x4D42},        {"file size", 2, 4, 1078 + 500 * 412},
      {"pixel offset", 10, 4, 1078}, {"header size", 14, 4, 40},
      {"width", 18, 4, 500},         {"height (bottom-up)", 22, 4, 412},
      {"planes", 26, 2, 1},          {"bits a pixel", 28, 2, 8},
      {"compression", 30, 4, 0},     {"image bytes", 34, 4, 500 * 412},
      {"colours used", 46, 4, 256},
  };
  for (const Field& f : fields) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(f.size == 2 ? U16At(bytes_, f.offset) : U32At(bytes_, f.offset), f.value);
  }
  EXPECT_EQ(bytes_.size(), 1078u + 500u * 412u);
}

TEST_F(AboutBitmap, ColourTableIsTheArtPalette) {
  std::unique_ptr<PaletteContext> ctx(new PaletteContext);
  InitPaletteContext(ctx.get());
  const LogicalPalette* palette = nullptr;
  const std::string path = AssetsOut() + "/windows/TAVOL/PALALL9.TR";
  ASSERT_EQ(ReadColourTable(ctx.get(), path.c_str(), &palette), CodecStatus::kOk);
  ASSERT_LE(palette->entryCount, 234);
  for (int i = 0; i < 256; ++i) {
    SCOPED_TRACE(i);
    const uint8_t* entry = &bytes_[54 + 4 * i];
    if (i < palette->entryCount) {
      EXPECT_EQ(entry[2], palette->entries[i].red);
      EXPECT_EQ(entry[1], palette->entries[i].green);
      EXPECT_EQ(entry[0], palette->entries[i].blue);
    } else {
      EXPECT_EQ(entry[0] | entry[1] | entry[2], 0);
    }
    EXPECT_EQ(entry[3], 0);
  }
  // Every pixel names a palette colour.
  for (size_t i = 1078; i < bytes_.size(); ++i) {
    ASSERT_LT(bytes_[i], palette->entryCount) << "pixel byte " << i;
  }
}

TEST_F(AboutBitmap, CornerUnderTheOkButtonIsCalm) {
  // The dialog puts its OK button 10 pixels in from the bottom-right corner.
  // Rows are bottom-up: the first stored rows are the bottom of the picture.
  double sum = 0, squares = 0;
  int n = 0;
  for (int row = 0; row < 40; ++row) {
    for (int x = 500 - 80; x < 500; ++x) {
      const uint8_t index = bytes_[1078 + row * 500 + x];
      const uint8_t* c = &bytes_[54 + 4 * index];
      const double luma = 0.114 * c[0] + 0.587 * c[1] + 0.299 * c[2];
      sum += luma;
      squares += luma * luma;
      ++n;
    }
  }
  const double mean = sum / n;
  EXPECT_LT(std::sqrt(squares / n - mean * mean), 12.0);
}

}  // namespace
