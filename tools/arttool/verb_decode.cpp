// arttool decode FILE.art OUT
#include <memory>

#include "args.h"
#include "codec/codec.h"
#include "codec_presets.h"
#include "image_io.h"
#include "verbs.h"

int RunDecode(int argc, char** argv) {
  VerbArgs args;
  std::string problem;
  if (!ParseVerbArgs(argc, argv, {}, &args, &problem)) return UsageFor("decode", problem);
  if (args.positional.size() != 2) return UsageFor("decode", "expected an art file and a picture");
  const std::string& out = args.positional[1];
  if (PictureFormatFromPath(out) == PictureFormat::kUnknown) {
    return UsageFor("decode", "the picture must end in .png, .bmp or .ppm");
  }
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get(), SwitcherCodecOptions());
  WaveletPtr art;
  if (ReadWavelet(ctx.get(), args.positional[0].c_str(), true, &art) != CodecStatus::kOk) {
    return FailCodec(ctx->error);
  }
  std::string error;
  const int32_t width = art->header.width;
  if (!WritePicture(out, art->pixels.data(), width, art->header.height,
                    static_cast<size_t>(width) * 3, &error)) {
    return Fail(error);
  }
  return kExitOk;
}
