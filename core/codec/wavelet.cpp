#include "codec/wavelet.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "codec/bit_reader.h"
#include "codec/codec_context.h"
#include "codec/run_length.h"

namespace {

// Coefficients are little-endian in the stream; the run-length layer writes
// them straight into the int32 planes, which only needs fixing on a
// big-endian host.
void FixCoefficientOrder(int32_t* values, size_t count) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  for (size_t i = 0; i < count; ++i) {
    uint32_t v = static_cast<uint32_t>(values[i]);
    values[i] =
        static_cast<int32_t>((v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24));
  }
#else
  (void)values;
  (void)count;
#endif
}

// Averages, channel by channel, the neighbours of column x into it, in every
// row.
void SmoothSeam(uint8_t* image, int width, int height, int x) {
  if (x < 1 || x + 1 >= width) return;
  size_t stride = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    uint8_t* p = image + stride * static_cast<size_t>(y) + 3 * static_cast<size_t>(x);
    for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((p[c - 3] + p[c + 3]) / 2);
  }
}

// A file whose header and streams have been checked: its geometry and its
// whole run-length stream.
struct CheckedArt {
  ArtGeometry g;
  ByteBuffer stream;
  size_t streamBytes = 0;
};

CodecStatus StreamEndsEarly(CodecError* err, int line, const char* name, uint64_t made,
                            uint64_t needed) {
  return SetCodecError(err, CodecStatus::kBadData, kArtModule, line,
                       "Art file %s: its coefficient stream ends after %u of %u bytes", name,
                       static_cast<unsigned>(made), static_cast<unsigned>(needed));
}

// Checks the header, undoes the Huffman layer and measures the run-length
// stream against the coefficients of every piece. Nothing larger than the
// stream (at most 8 bytes a payload byte) is allocated here, so a truncated
// or inconsistent file is refused before anything of the picture's size
// exists, whatever its header claims.
CodecStatus CheckArt(CodecContext* ctx, const WaveletImage& art, CheckedArt* checked) {
  CodecError* err = &ctx->error;
  const char* name = art.fileName;
  ArtGeometry& g = checked->g;
  CodecStatus status = DeriveArtGeometry(art.header, art.payload.size, name, &g, err);
  if (status != CodecStatus::kOk) return status;
  if (StopRequested(ctx->cancel)) return StoppedError(err, kArtModule, __LINE__);

  // Huffman layer: the whole run-length stream (only packedSize bytes of it
  // are ever needed).
  const size_t packedSize = static_cast<size_t>(art.header.packedSize);
  if (!AllocateBytes(&checked->stream, packedSize, false, &ctx->memory)) {
    return OutOfMemory(ctx, kArtModule, __LINE__);
  }
  ArtDecoder& dec = ctx->decoder;
  BitReader bits;
  InitBitReader(&bits, art.payload.data(), art.payload.size);
  status = ReadHuffmanTree(&dec.huffman, &bits, name, err);
  if (status != CodecStatus::kOk) return status;
  checked->streamBytes =
      DecodeHuffmanSymbols(dec.huffman, &bits, checked->stream.data(), packedSize, &dec.halves);

  const uint64_t needed = static_cast<uint64_t>(g.pieceBytes) * static_cast<uint64_t>(g.pieces);
  uint64_t made = 0;
  if (!MeasureRunLength(checked->stream.data(), checked->streamBytes, needed, &made)) {
    return StreamEndsEarly(err, __LINE__, name, made, needed);
  }
  return CodecStatus::kOk;
}

// count 32-bit values from the front of room, 64-byte aligned; null when
// they do not fit.
int32_t* TakeInts(DecodeRoom* room, size_t count) {
  if (!room->bytes) return nullptr;
  const size_t skip = (64 - reinterpret_cast<uintptr_t>(room->bytes) % 64) % 64;
  if (room->size < skip || (room->size - skip) / sizeof(int32_t) < count) return nullptr;
  int32_t* values = reinterpret_cast<int32_t*>(room->bytes + skip);
  room->bytes += skip + count * sizeof(int32_t);
  room->size -= skip + count * sizeof(int32_t);
  return values;
}

CodecStatus DecodeChecked(CodecContext* ctx, const WaveletImage& art, const CheckedArt& checked,
                          uint8_t* out, DecodeRoom room) {
  CodecError* err = &ctx->error;
  const char* name = art.fileName;
  const ArtGeometry& g = checked.g;
  ArtDecoder& dec = ctx->decoder;
  if (!dec.clampBuilt) {
    BuildArtClampTable(&dec.clamp);
    dec.clampBuilt = true;
  }
  const uint8_t* stream = checked.stream.data();
  const size_t streamBytes = checked.streamBytes;
  const uint64_t needed = static_cast<uint64_t>(g.pieceBytes) * static_cast<uint64_t>(g.pieces);

  IntBuffer coefficients;
  int32_t* luma = TakeInts(&room, g.pieceBytes / 4);
  if (!luma) {
    if (!AllocateInts(&coefficients, g.pieceBytes / 4, false, &ctx->memory)) {
      return OutOfMemory(ctx, kArtModule, __LINE__);
    }
    luma = coefficients.data();
  }
  // Chroma planes are never larger than luma: one pair of synthesis rows
  // serves all three.
  const size_t synthesisCount = SynthesisScratchCount(g.pieceSide);
  int32_t* lentLow = TakeInts(&room, synthesisCount);
  int32_t* lentHigh = lentLow ? TakeInts(&room, synthesisCount) : nullptr;
  const size_t lumaCount = static_cast<size_t>(g.pieceSide) * g.pieceSide;
  const size_t chromaCount = static_cast<size_t>(g.chromaSide) * g.chromaSide;
  int32_t* u = luma + lumaCount;
  int32_t* v = u + chromaCount;
  RunLengthReader runs;
  InitRunLengthReader(&runs, stream, streamBytes);
  const size_t imageStride = static_cast<size_t>(g.width) * 3;

  for (int i = 0; i < g.pieces; ++i) {
    if (StopRequested(ctx->cancel)) return StoppedError(err, kArtModule, __LINE__);
    if (!DecodeRunLength(&runs, reinterpret_cast<uint8_t*>(luma), g.pieceBytes)) {
      // CheckArt measured the stream; this only guards the two walks
      // disagreeing.
      uint64_t made = 0;
      MeasureRunLength(stream, streamBytes, needed, &made);
      return StreamEndsEarly(err, __LINE__, name, made, needed);
    }
    int rows = g.rowsOfPiece[i];
    if (rows == 0) continue;  // a piece that shows nothing needs no transform
    FixCoefficientOrder(luma, g.pieceBytes / 4);
    // Each plane's transform is a stretch of work of its own: the stop is
    // looked at between them. Only the rows the piece shows are made.
    const int chromaRows = ChromaRowsRead(rows, art.header.chromaHalved != 0);
    for (int32_t* plane : {luma, u, v}) {
      if (StopRequested(ctx->cancel)) return StoppedError(err, kArtModule, __LINE__);
      const int32_t side = plane == luma ? g.pieceSide : g.chromaSide;
      const int rowsNeeded = plane == luma ? rows : chromaRows;
      if (lentHigh) {
        InverseTransformPlane(lentLow, lentHigh, plane, side, g.baseSize, rowsNeeded);
      } else if (!InverseTransformPlane(&dec.scratch, plane, side, g.baseSize, rowsNeeded)) {
        return OutOfMemory(ctx, kArtModule, __LINE__);
      }
    }
    if (StopRequested(ctx->cancel)) return StoppedError(err, kArtModule, __LINE__);
    PiecePlanes planes;
    planes.luma = luma;
    planes.u = u;
    planes.v = v;
    planes.side = g.pieceSide;
    planes.chromaSide = g.chromaSide;
    planes.chromaHalved = art.header.chromaHalved != 0;
    planes.yOffset = art.header.yOffset[i];
    planes.uOffset = art.header.uOffset[i];
    planes.vOffset = art.header.vOffset[i];
    size_t origin = (static_cast<size_t>(i / g.perSide) * g.pieceSide * imageStride) +
                    static_cast<size_t>(i % g.perSide) * g.pieceSide * 3;
    ConvertPieceRows(dec.clamp, planes, rows, out + origin, imageStride);
  }

  if (g.pieces == 4) {
    // A column asked for by the options must have both neighbours in the
    // row; otherwise the true seam is smoothed.
    const int32_t asked = ctx->options.seamColumn;
    SmoothSeam(out, g.width, g.height, asked > 0 && asked + 1 < g.width ? asked : g.width / 2);
  }
  return CodecStatus::kOk;
}

// Checks the header bytes of a file of fileSize bytes and makes the record
// with a payload buffer of the right size (not yet filled).
CodecStatus MakeRecord(CodecContext* ctx, const uint8_t* headerBytes, uint64_t fileSize,
                       const char* name, WaveletPtr* art) {
  CodecError* err = &ctx->error;
  if (fileSize < kArtHeaderSize) {
    return SetCodecError(err, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s is too short for its header (%u bytes)", name,
                         static_cast<unsigned>(fileSize));
  }
  uint64_t payloadSize = fileSize - kArtHeaderSize;
  if (fileSize > kMaxArtFileSize) {
    return SetCodecError(err, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s is too large (more than %u bytes)", name,
                         static_cast<unsigned>(kMaxArtFileSize));
  }
  ArtHeader header;
  ParseArtHeader(headerBytes, &header);
  // Doubled where that cannot overflow; the geometry check refuses any size
  // beyond the limits, doubled or not.
  constexpr int32_t kHalfRange = INT32_MAX / 2;
  if (header.pieces == 4 && header.width <= kHalfRange && header.width >= -kHalfRange &&
      header.height <= kHalfRange && header.height >= -kHalfRange) {
    header.width *= 2;
    header.height *= 2;
  }
  ArtGeometry geometry;
  CodecStatus status =
      DeriveArtGeometry(header, static_cast<size_t>(payloadSize), name, &geometry, err);
  if (status != CodecStatus::kOk) return status;
  WaveletPtr record(new (std::nothrow) WaveletImage);
  if (!record) return OutOfMemory(ctx, kArtModule, __LINE__);
  record->header = header;
  std::snprintf(record->fileName, sizeof record->fileName, "%s", name);
  if (!AllocateBytes(&record->payload, static_cast<size_t>(payloadSize), false, &ctx->memory)) {
    return OutOfMemory(ctx, kArtModule, __LINE__);
  }
  record->payloadSize = static_cast<int32_t>(payloadSize);
  *art = std::move(record);
  return CodecStatus::kOk;
}

CodecStatus FinishRecord(CodecContext* ctx, bool decodeNow, WaveletPtr* art) {
  if (!decodeNow) return CodecStatus::kOk;
  CodecStatus status = DecodeWavelet(ctx, **art, &(*art)->pixels);
  if (status != CodecStatus::kOk) {
    art->reset();
    return status;
  }
  (*art)->decoded = 1;
  return CodecStatus::kOk;
}

}  // namespace

void WaveletDeleter::operator()(WaveletImage* art) const {
  ReleaseWavelet(art);
}

int ReleaseWavelet(WaveletImage* art) {
  delete art;
  return 0;
}

CodecStatus ReadWaveletFromMemory(CodecContext* ctx, const uint8_t* bytes, size_t size,
                                  const char* name, bool decodeNow, WaveletPtr* art) {
  ClearCodecError(&ctx->error);
  art->reset();
  uint8_t header[kArtHeaderSize] = {};
  if (size >= kArtHeaderSize) std::memcpy(header, bytes, kArtHeaderSize);
  CodecStatus status = MakeRecord(ctx, header, size, name, art);
  if (status != CodecStatus::kOk) return status;
  if ((*art)->payload.size) {
    std::memcpy((*art)->payload.data(), bytes + kArtHeaderSize, (*art)->payload.size);
  }
  return FinishRecord(ctx, decodeNow, art);
}

CodecStatus ReadWavelet(CodecContext* ctx, const char* path, bool decodeNow, WaveletPtr* art) {
  ClearCodecError(&ctx->error);
  art->reset();
  StdioFile file(OpenCodecFile(path, "rb"));
  if (!file) {
    return SetCodecError(&ctx->error, CodecStatus::kCannotOpen, kArtModule, __LINE__,
                         "File %s could not be opened: EXITING\r\n", path);
  }
  long length = -1;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) length = std::ftell(file.get());
  if (length < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                         "Art file %s could not be read", path);
  }
  uint8_t header[kArtHeaderSize] = {};
  size_t got = std::fread(header, 1, kArtHeaderSize, file.get());
  if (got < kArtHeaderSize) length = static_cast<long>(got);
  CodecStatus status = MakeRecord(ctx, header, static_cast<uint64_t>(length), path, art);
  if (status != CodecStatus::kOk) return status;
  size_t want = (*art)->payload.size;
  if (want && std::fread((*art)->payload.data(), 1, want, file.get()) != want) {
    art->reset();
    return SetCodecError(&ctx->error, CodecStatus::kIoError, kArtModule, __LINE__,
                         "Art file %s could not be read to its end", path);
  }
  file.reset();
  return FinishRecord(ctx, decodeNow, art);
}

CodecStatus DecodeWavelet(CodecContext* ctx, const WaveletImage& art, uint8_t* target,
                          size_t targetSize, DecodeRoom room) {
  ClearCodecError(&ctx->error);
  if (!target || art.header.imageSize < 0 ||
      targetSize < static_cast<size_t>(static_cast<uint32_t>(art.header.imageSize))) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "DecodeWavelet: target for %s is smaller than its image", art.fileName);
  }
  const uintptr_t imageStart = reinterpret_cast<uintptr_t>(target);
  const uintptr_t imageEnd = imageStart + static_cast<uint32_t>(art.header.imageSize);
  const uintptr_t roomStart = reinterpret_cast<uintptr_t>(room.bytes);
  if (room.bytes && roomStart < imageEnd && imageStart < roomStart + room.size) {
    return SetCodecError(&ctx->error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "DecodeWavelet: the room lent for %s overlaps its image", art.fileName);
  }
  CheckedArt checked;
  CodecStatus status = CheckArt(ctx, art, &checked);
  if (status != CodecStatus::kOk) return status;
  return DecodeChecked(ctx, art, checked, target, room);
}

CodecStatus DecodeWavelet(CodecContext* ctx, const WaveletImage& art, ByteBuffer* image,
                          DecodeRoom room) {
  ClearCodecError(&ctx->error);
  if (art.header.imageSize < 0) {
    return SetCodecError(&ctx->error, CodecStatus::kBadData, kArtModule, __LINE__,
                         "Art file %s: image size %d is negative", art.fileName,
                         art.header.imageSize);
  }
  CheckedArt checked;
  CodecStatus status = CheckArt(ctx, art, &checked);
  if (status != CodecStatus::kOk) return status;
  size_t size = static_cast<size_t>(art.header.imageSize) + kDecodeSlack;
  ByteBuffer buffer;
  if (!AllocateBytes(&buffer, size, true, &ctx->memory)) {
    return OutOfMemory(ctx, kArtModule, __LINE__);
  }
  status = DecodeChecked(ctx, art, checked, buffer.data(), room);
  if (status != CodecStatus::kOk) return status;
  *image = std::move(buffer);
  return CodecStatus::kOk;
}
