#include "codec/codec_context.h"

#include <cstring>

namespace {

bool CopyPath(char* dest, const char* source) {
  size_t length = std::strlen(source);
  if (length >= kPathSize) return false;
  std::memcpy(dest, source, length + 1);
  return true;
}

}  // namespace

void InitCodecContext(CodecContext* ctx, const CodecOptions& options) {
  ctx->options = options;
  ctx->displayBitsPerPixel = 24;
  ctx->ditherKernel = 2;
  ctx->serpentine = false;
  ctx->logoKind = -1;
  ctx->artDirectory[0] = '\0';
  ctx->programDirectory[0] = '\0';
  ctx->spot.mask.reset();
  ctx->spot.file.reset();
  ctx->spot.path[0] = '\0';
  ctx->memory.limit = kMaxContextMemory;
  ctx->memory.peak = ctx->memory.live;
  ctx->memory.refused = false;
  ctx->decoder.scratch.budget = &ctx->memory;
  ctx->decoder.halves.budget = &ctx->memory;
  InitPaletteContext(&ctx->palette, &ctx->options);
  ClearCodecError(&ctx->error);
}

bool SetArtDirectory(CodecContext* ctx, const char* directory) {
  return CopyPath(ctx->artDirectory, directory);
}

bool SetProgramDirectory(CodecContext* ctx, const char* directory) {
  return CopyPath(ctx->programDirectory, directory);
}

CodecStatus OutOfMemory(CodecContext* ctx, const char* module, int line) {
  if (ctx->memory.refused) {
    ctx->memory.refused = false;
    return SetCodecError(&ctx->error, CodecStatus::kOutOfMemory, module, line,
                         "The picture needs more than %u MiB of memory to decode and scale",
                         static_cast<unsigned>(ctx->memory.limit >> 20));
  }
  return OutOfMemoryError(&ctx->error, module, line, ctx->options.outOfMemoryFormat);
}
