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
  return OutOfMemoryError(&ctx->error, module, line, ctx->options.outOfMemoryFormat);
}
