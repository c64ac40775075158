// arttool scale FILE.art W H OUT [--tr T] [--depth 8|16|24]
//
// What the wallpaper maker does before writing its bitmap: FilterScaleImage
// of the switcher with no spot, then the colour reduction of the depth with
// the switcher's dither kernel 2 (8 bits: to the colour table, which --tr
// must name; 16 bits: to five bits a channel; 24 bits: none). The result is
// written as a 24-bit picture.
#include <memory>

#include "args.h"
#include "codec/codec.h"
#include "codec_presets.h"
#include "image_io.h"
#include "verbs.h"

int RunScale(int argc, char** argv) {
  VerbArgs args;
  std::string problem;
  const std::vector<OptionRule> rules = {{"--tr", true}, {"--depth", true}};
  if (!ParseVerbArgs(argc, argv, rules, &args, &problem)) return UsageFor("scale", problem);
  if (args.positional.size() != 4) {
    return UsageFor("scale", "expected an art file, a width, a height and a picture");
  }
  int width = 0;
  int height = 0;
  if (!ParseInt(args.positional[1], 1, 32767, &width) ||
      !ParseInt(args.positional[2], 1, 32767, &height)) {
    return UsageFor("scale", "width and height must be 1 to 32767");
  }
  int depth = 24;
  if (!GetIntOption(args, "--depth", 24, 8, 24, &depth, &problem)) {
    return UsageFor("scale", problem);
  }
  if (depth != 8 && depth != 16 && depth != 24) return UsageFor("scale", "--depth is 8, 16 or 24");
  if (depth == 8 && !args.Has("--tr")) return UsageFor("scale", "--depth 8 needs --tr");
  const std::string& out = args.positional[3];
  if (PictureFormatFromPath(out) == PictureFormat::kUnknown) {
    return UsageFor("scale", "the picture must end in .png, .bmp or .ppm");
  }

  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), SwitcherCodecOptions());
  ctx->displayBitsPerPixel = depth;
  ctx->ditherKernel = 2;
  if (args.Has("--tr") &&
      ReadColourTable(&ctx->palette, args.Get("--tr", "").c_str()) != CodecStatus::kOk) {
    return FailCodec(ctx->palette.error);
  }
  WaveletPtr art;
  if (ReadWavelet(ctx.get(), args.positional[0].c_str(), false, &art) != CodecStatus::kOk) {
    return FailCodec(ctx->error);
  }
  ScaledImage result;
  if (FilterScaleImage(ctx.get(), nullptr, 0, art.get(), width, height, -1, &result) !=
      CodecStatus::kOk) {
    return FailCodec(ctx->error);
  }
  std::string error;
  if (!WritePicture(out, result.pixels, result.width, result.height, result.stride, &error)) {
    return Fail(error);
  }
  return kExitOk;
}
