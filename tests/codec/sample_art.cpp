#include "sample_art.h"

#include <gtest/gtest.h>

#include "codec/art_encoder.h"
#include "sample_picture.h"

std::vector<uint8_t> EncodeSampleArt(int width, int height, int pieces, int quality) {
  Picture picture = MakeSamplePicture(width, height);
  BgrImage image = {picture.bgr.data(), picture.width, picture.height, picture.stride()};
  EncodeOptions options;
  options.pieces = pieces;
  options.quality = quality;
  ByteBuffer file;
  CodecError error;
  EXPECT_EQ(CodecStatus::kOk, EncodeWavelet(image, options, &file, nullptr, &error))
      << error.message;
  return std::vector<uint8_t>(file.data(), file.data() + file.size);
}
