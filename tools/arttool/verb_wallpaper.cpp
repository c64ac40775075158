// arttool wallpaper FILE.art FILE.tr WIDTH HEIGHT DEPTH OUT.bmp [--ppm X Y]
//
// The bitmap file the switcher's wallpaper maker writes for this art, colour
// table, screen size and display depth (and pixels a metre), byte for byte.
#include <cstdio>
#include <memory>

#include "args.h"
#include "codec_presets.h"
#include "verbs.h"
#include "wallpaper/wallpaper_bitmap.h"

int RunWallpaper(int argc, char** argv) {
  VerbArgs args;
  std::string problem;
  // --ppm takes two numbers: the first as its value, the second positional.
  const std::vector<OptionRule> rules = {{"--ppm", true}};
  if (!ParseVerbArgs(argc, argv, rules, &args, &problem)) return UsageFor("wallpaper", problem);
  const size_t expected = args.Has("--ppm") ? 7 : 6;
  if (args.positional.size() != expected) {
    return UsageFor("wallpaper",
                    "expected an art file, a colour table, a width, a height, a depth and a "
                    "bitmap file");
  }
  WallpaperScreen screen;
  if (!ParseInt(args.positional[2], 2, 32768, &screen.width) ||
      !ParseInt(args.positional[3], 2, 32768, &screen.height)) {
    return UsageFor("wallpaper", "width and height must be 2 to 32768");
  }
  if (!ParseInt(args.positional[4], 1, 64, &screen.depth)) {
    return UsageFor("wallpaper", "the depth is the display's bits a pixel, 1 to 64");
  }
  if (args.Has("--ppm")) {
    if (!ParseInt(args.Get("--ppm", ""), 0, 1000000, &screen.xPelsPerMeter) ||
        !ParseInt(args.positional[6], 0, 1000000, &screen.yPelsPerMeter)) {
      return UsageFor("wallpaper", "--ppm takes two numbers, 0 to 1000000");
    }
  }

  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), SwitcherCodecOptions());
  ctx->displayBitsPerPixel = screen.depth;
  ctx->ditherKernel = 2;
  WallpaperBitmap bitmap;
  if (MakeWallpaperBitmap(ctx.get(), args.positional[0].c_str(), args.positional[1].c_str(), screen,
                          &bitmap) != CodecStatus::kOk) {
    return FailCodec(ctx->error);
  }
  const std::string& out = args.positional[5];
  std::FILE* file = std::fopen(out.c_str(), "wb");
  if (!file) return Fail("cannot create " + out);
  bool ok = std::fwrite(bitmap.headers, 1, kWallpaperHeaderBytes, file) == kWallpaperHeaderBytes &&
            std::fwrite(bitmap.pixels.data(), 1, bitmap.imageBytes, file) == bitmap.imageBytes;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    std::remove(out.c_str());
    return Fail("cannot write " + out);
  }
  return kExitOk;
}
