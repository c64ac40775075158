// arttool palette IN OUT.tr [--colours N]
#include <cstdio>
#include <memory>

#include "args.h"
#include "codec/codec.h"
#include "codec/palette_builder.h"
#include "image_io.h"
#include "verbs.h"

int RunPalette(int argc, char** argv) {
  VerbArgs args;
  std::string problem;
  const std::vector<OptionRule> rules = {{"--colours", true}, {"--colors", true}};
  if (!ParseVerbArgs(argc, argv, rules, &args, &problem)) return UsageFor("palette", problem);
  if (args.positional.size() != 2) {
    return UsageFor("palette", "expected a picture and a colour table");
  }
  int colours = kWallpaperColours;
  const char* option = args.Has("--colors") ? "--colors" : "--colours";
  if (!GetIntOption(args, option, colours, 1, 256, &colours, &problem)) {
    return UsageFor("palette", problem);
  }
  Picture picture;
  std::string error;
  if (!ReadPicture(args.positional[0], &picture, &error)) return Fail(error);
  BgrImage image;
  image.pixels = picture.bgr.data();
  image.width = picture.width;
  image.height = picture.height;
  image.stride = picture.stride();
  std::unique_ptr<BuiltPalette> palette(new BuiltPalette);
  CodecError codecError;
  if (BuildPalette(image, colours, palette.get(), &codecError) != CodecStatus::kOk) {
    return FailCodec(codecError);
  }
  std::unique_ptr<char[]> text(new char[kMaxColourTableText]);
  size_t length = FormatColourTable(*palette, text.get(), kMaxColourTableText);
  const std::string& out = args.positional[1];
  std::FILE* f = std::fopen(out.c_str(), "wb");
  bool written = f && std::fwrite(text.get(), 1, length, f) == length;
  if (f && std::fclose(f) != 0) written = false;
  if (!written) return Fail("cannot write " + out);
  // Read it back as the programs will.
  std::unique_ptr<PaletteContext> check(new PaletteContext);
  InitPaletteContext(check.get());
  if (ReadColourTable(check.get(), out.c_str()) != CodecStatus::kOk) return FailCodec(check->error);
  std::printf("%s: %d colours\n", out.c_str(), palette->count);
  return kExitOk;
}
