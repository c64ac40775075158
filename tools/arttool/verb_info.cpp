// arttool info FILE.art
#include <cstdio>
#include <memory>

#include "args.h"
#include "codec/codec.h"
#include "verbs.h"

namespace {

int Levels(int32_t side, int32_t base) {
  int levels = 0;
  while (base > 0 && side > base) {
    side /= 2;
    ++levels;
  }
  return levels;
}

void PrintOffsets(const char* label, const int32_t* offsets, int pieces) {
  std::printf(" %s", label);
  for (int i = 0; i < pieces; ++i) std::printf(" %d", offsets[i]);
}

}  // namespace

int RunInfo(int argc, char** argv) {
  VerbArgs args;
  std::string problem;
  if (!ParseVerbArgs(argc, argv, {}, &args, &problem)) return UsageFor("info", problem);
  if (args.positional.size() != 1) return UsageFor("info", "expected one art file");
  const std::string& path = args.positional[0];
  std::unique_ptr<CodecContext> ctx(new CodecContext);
  InitCodecContext(ctx.get());
  WaveletPtr art;
  if (ReadWavelet(ctx.get(), path.c_str(), false, &art) != CodecStatus::kOk) {
    return FailCodec(ctx->error);
  }
  const ArtHeader& h = art->header;
  // ReadWavelet has checked the header; the geometry comes out the same here.
  ArtGeometry g;
  if (DeriveArtGeometry(h, art->payload.size, path.c_str(), &g, &ctx->error) != CodecStatus::kOk) {
    return FailCodec(ctx->error);
  }
  std::printf("file          %s\n", path.c_str());
  std::printf("file size     %d bytes (header 108, payload %d)\n", art->payloadSize + 108,
              art->payloadSize);
  std::printf("pieces        %d\n", h.pieces);
  std::printf("size          %d x %d", h.width, h.height);
  if (h.pieces == 4) std::printf(" (stored %d x %d)", h.width / 2, h.height / 2);
  std::printf("\n");
  std::printf("piece side    %d luma, %d chroma (%s)\n", g.pieceSide, g.chromaSide,
              h.chromaHalved ? "halved" : "full");
  std::printf("base size     %d (%d luma levels, %d chroma levels)\n", h.baseSize,
              Levels(g.pieceSide, h.baseSize), Levels(g.chromaSide, h.baseSize));
  std::printf("offsets      ");
  PrintOffsets("Y", h.yOffset, h.pieces);
  PrintOffsets(" U", h.uOffset, h.pieces);
  PrintOffsets(" V", h.vOffset, h.pieces);
  std::printf("\n");
  std::printf("packed size   %d bytes of run-length stream\n", h.packedSize);
  std::printf("image size    %d bytes\n", h.imageSize);
  ByteBuffer pixels;
  if (DecodeWavelet(ctx.get(), *art, &pixels) != CodecStatus::kOk) return FailCodec(ctx->error);
  std::printf("decodes       yes\n");
  return kExitOk;
}
