// arttool encode IN OUT.art [--quality Q | --size BYTES] [--pieces 1|4|auto]
//                           [--method fixed|rd] [--chroma half|full|auto] [--levels N]
#include <cstdio>

#include "args.h"
#include "codec/art_encoder.h"
#include "image_io.h"
#include "verbs.h"

int RunEncode(int argc, char** argv) {
  VerbArgs args;
  std::string problem;
  const std::vector<OptionRule> rules = {{"--quality", true}, {"--size", true},
                                         {"--pieces", true},  {"--method", true},
                                         {"--chroma", true},  {"--levels", true}};
  if (!ParseVerbArgs(argc, argv, rules, &args, &problem)) return UsageFor("encode", problem);
  if (args.positional.size() != 2) return UsageFor("encode", "expected a picture and an art file");
  EncodeOptions options;
  if (!GetIntOption(args, "--quality", options.quality, 1, 100, &options.quality, &problem) ||
      !GetIntOption(args, "--levels", options.maxLevels, 0, 15, &options.maxLevels, &problem)) {
    return UsageFor("encode", problem);
  }
  int size = 0;
  if (!GetIntOption(args, "--size", 0, 1, 1 << 30, &size, &problem)) {
    return UsageFor("encode", problem);
  }
  if (size && args.Has("--quality")) {
    return UsageFor("encode", "--quality and --size do not go together");
  }
  const std::string method = args.Get("--method", "fixed");
  if (method != "fixed" && method != "rd") return UsageFor("encode", "--method is fixed or rd");
  const bool rd = method == "rd";
  options.method = rd ? EncodeMethod::kRateDistortion : EncodeMethod::kFixedSteps;
  const std::string chroma = args.Get("--chroma", rd ? "auto" : "half");
  if (chroma != "half" && chroma != "full" && chroma != "auto") {
    return UsageFor("encode", "--chroma is half, full or auto");
  }
  if (chroma == "auto" && !rd) return UsageFor("encode", "--chroma auto needs --method rd");
  const std::string pieces = args.Get("--pieces", "1");
  if (pieces != "1" && pieces != "4" && pieces != "auto") {
    return UsageFor("encode", "--pieces is 1, 4 or auto");
  }
  if (pieces == "auto" && !rd) return UsageFor("encode", "--pieces auto needs --method rd");
  options.pieces = pieces == "auto" ? 0 : pieces == "4" ? 4 : 1;
  options.chroma = chroma == "half"   ? ChromaLayout::kHalved
                   : chroma == "full" ? ChromaLayout::kFull
                                      : ChromaLayout::kChoose;

  Picture picture;
  std::string error;
  if (!ReadPicture(args.positional[0], &picture, &error)) return Fail(error);
  BgrImage image;
  image.pixels = picture.bgr.data();
  image.width = picture.width;
  image.height = picture.height;
  image.stride = picture.stride();
  ByteBuffer file;
  EncodeStats stats;
  CodecError codecError;
  CodecStatus status = size ? EncodeWaveletToSize(image, options, static_cast<size_t>(size), &file,
                                                  &stats, &options.quality, &codecError)
                            : EncodeWavelet(image, options, &file, &stats, &codecError);
  if (status != CodecStatus::kOk) return FailCodec(codecError);
  const std::string& out = args.positional[1];
  std::FILE* f = std::fopen(out.c_str(), "wb");
  bool written = f && std::fwrite(file.data(), 1, file.size, f) == file.size;
  if (f && std::fclose(f) != 0) written = false;
  if (!written) return Fail("cannot write " + out);
  std::printf(
      "%s: %d x %d, %d piece%s, chroma %s, base %d, %d levels, quality %d, step %d/%d, %u "
      "bytes, PSNR %.2f dB\n",
      out.c_str(), picture.width, picture.height, stats.pieces, stats.pieces == 1 ? "" : "s",
      stats.chromaHalved ? "halved" : "full", stats.baseSize, stats.levels, options.quality,
      stats.lumaStep, stats.chromaStep, static_cast<unsigned>(stats.fileBytes), stats.psnr);
  return kExitOk;
}
