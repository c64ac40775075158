#include "codec/art_encoder_rd.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "codec/art_encoder_parts.h"
#include "codec/art_entropy.h"
#include "codec/art_format.h"
#include "codec/art_quantise.h"

namespace {

// Squared error of the blue, green and red bytes (summed) per unit of error
// in Y', U' and V', from the decoder's colour conversion:
//   blue = (Y' + 2U') / 4, red = (Y' + 1.6V') / 4,
//   green = 0.4258 (Y' - 0.1133 B4 - 0.2988 R4),
// all stretched by 255 / 248 in the clamp table.
constexpr double kStretch = (255.0 / 248) * (255.0 / 248);
constexpr double kGreenGain = 1744.0 / 4096;
constexpr double kGreenLuma = kGreenGain * (1 - 116.0 / 1024 - 306.0 / 1024);
constexpr double kLumaWeight = kStretch * (0.0625 + 0.0625 + kGreenLuma * kGreenLuma);
constexpr double kUGreen = 2 * 116.0 / 1024 * kGreenGain;
constexpr double kUWeight = kStretch * (0.25 + kUGreen * kUGreen);
constexpr double kVGreen = 1638.0 / 1024 * 306.0 / 1024 * kGreenGain;
constexpr double kVWeight = kStretch * ((1638.0 / 4096) * (1638.0 / 4096) + kVGreen * kVGreen);
// A half-size chroma sample is seen by two rows of three pixels (the middle
// one whole, the outer two at half): 2 x (1 + 1/4 + 1/4) = 3 for a lone
// sample, 4 for smooth changes. Between the two fitted best on the
// product's paintings.
constexpr double kHalvedSpread = 3.5;

// Rounds of choosing coefficients under the last stream's prices; a fourth
// gained under 0.1 % on the test pictures.
constexpr int kRounds = 3;

// The price of a bit as a share of the nominal step's square (in the luma
// plane's error units), fitted on the test pictures.
constexpr double kLambdaPerStep2 = 0.1155;

// The lambda scales the size search tries, each with its own search of the
// steps. The best of them gained up to half a dB over the quality's own
// (1) at the test pictures' budgets.
constexpr double kSizeLambdaScales[] = {1, 0.74, 0.52, 1.39};

// Qualities halve the nominal step every 13 down from 100.
constexpr double kQualitiesPerOctave = 13;

// Steps from this size up are whole multiples of 16, whose values take one
// run-length code byte.
constexpr double kSixteensFrom = 12;

// One plane of one piece in the coefficient stream.
struct PlaneSlot {
  size_t start = 0;  // first coefficient in the stream
  int side = 0;
  int visibleRows = 0;  // rows of the plane the decoder shows
  int piece = 0;
  int plane = 0;  // 0 Y', 1 U', 2 V'
  double weight = 0;
  int32_t base = 0;  // the visible mean, taken out before the transform
  std::vector<QuantBand> bands;
};

// The bands of a side x side plane in storage order (starts counted from the
// plane's first value): the coarsest low band, then three detail bands a
// level from baseSize up.
void LayOutBands(PlaneSlot* slot, int baseSize) {
  slot->bands.clear();
  QuantBand low;
  low.start = 0;
  low.count = static_cast<size_t>(baseSize) * baseSize;
  slot->bands.push_back(low);
  size_t at = low.count;
  for (int s = baseSize; s < slot->side; s *= 2) {
    for (int k = 0; k < 3; ++k) {
      QuantBand band;
      band.start = at;
      band.count = static_cast<size_t>(s) * s;
      slot->bands.push_back(band);
      at += band.count;
    }
  }
}

// Share of a coefficient's reach that the decoder shows: a coefficient of
// band row k, at `scale` plane rows a band row, reaches rows
// k * scale .. k * scale + 3 * scale - 1 (wrapping); the visible rows are
// 0 .. visible - 1.
double VisibleShare(int side, int visible, int scale, int k) {
  if (visible >= side) return 1;
  if (visible <= 0) return 0;
  const int reach = std::min(3 * scale, side);
  int seen = 0;
  for (int j = 0; j < reach; ++j) seen += (k * scale + j) % side < visible;
  return static_cast<double>(seen) / reach;
}

// Everything of the picture that does not depend on the quality: the
// transformed planes of every piece and what an error in each coefficient
// costs.
struct Prepared {
  int32_t side = 0;
  int32_t chromaSide = 0;
  int32_t baseSize = 0;
  int levels = 0;
  bool halved = false;
  size_t total = 0;  // coefficients of all pieces
  std::unique_ptr<double[]> coefficients;
  std::unique_ptr<double[]> spatial;  // each plane before the transform, less its base
  std::unique_ptr<float[]> weight;
  std::vector<PlaneSlot> planes;
};

// Takes out the visible mean of one plane, transforms it and weighs its
// coefficients by how much of their reach the decoder shows.
bool PreparePlane(const double* plane, int32_t baseSize, PlaneSlot* slot, double* spatial,
                  double* coefficients, float* weight) {
  const size_t count = static_cast<size_t>(slot->side) * slot->side;
  double mean = 0;
  const size_t visibleCount = static_cast<size_t>(slot->visibleRows) * slot->side;
  for (size_t k = 0; k < visibleCount; ++k) mean += plane[k];
  mean /= static_cast<double>(visibleCount);
  slot->base = static_cast<int32_t>(std::floor(mean + 0.5));
  for (size_t k = 0; k < count; ++k) spatial[k] = plane[k] - slot->base;
  std::memcpy(coefficients, spatial, sizeof(double) * count);
  if (!ForwardTransformPlane(coefficients, slot->side, baseSize)) return false;
  for (const QuantBand& band : slot->bands) {
    const int bandSide = static_cast<int>(std::sqrt(static_cast<double>(band.count)) + 0.5);
    const int scale = slot->side / bandSide;
    for (int r = 0; r < bandSide; ++r) {
      const float w =
          static_cast<float>(slot->weight * VisibleShare(slot->side, slot->visibleRows, scale, r));
      float* row = weight + band.start + static_cast<size_t>(r) * bandSide;
      std::fill(row, row + bandSide, w);
    }
  }
  return true;
}

CodecStatus Prepare(const BgrImage& image, const EncodeOptions& options, Prepared* out,
                    CodecError* error) {
  const int32_t side = out->side;
  const bool halved = out->halved;
  const int perSide = options.pieces == 4 ? 2 : 1;
  const int32_t chromaSide = out->chromaSide;
  const size_t lumaCount = static_cast<size_t>(side) * side;
  const size_t chromaCount = static_cast<size_t>(chromaSide) * chromaSide;
  const size_t pieceValues = lumaCount + 2 * chromaCount;
  out->total = pieceValues * static_cast<size_t>(options.pieces);

  const size_t pixels = static_cast<size_t>(image.width) * image.height;
  std::unique_ptr<double[]> planeMemory;
  std::unique_ptr<double[]> work;
  if (!AllocateArray(&planeMemory, pixels * 6) ||
      !AllocateArray(&work, 6 * lumaCount + 2 * chromaCount) ||
      !AllocateArray(&out->coefficients, out->total) || !AllocateArray(&out->spatial, out->total) ||
      !AllocateArray(&out->weight, out->total)) {
    return OutOfMemoryError(error, kArtModule, __LINE__);
  }
  double* m = planeMemory.get();
  ColourPlanes colours = {
      m, m + pixels, m + 2 * pixels, m + 3 * pixels, m + 4 * pixels, m + 5 * pixels};
  ToDecoderColours(image, colours);

  double* tiles[6];
  for (int k = 0; k < 6; ++k) tiles[k] = work.get() + k * lumaCount;
  double* halves[2] = {work.get() + 6 * lumaCount, work.get() + 6 * lumaCount + chromaCount};
  const double weights[3] = {kLumaWeight, kUWeight * (halved ? kHalvedSpread : 1),
                             kVWeight * (halved ? kHalvedSpread : 1)};
  out->planes.clear();
  for (int i = 0; i < options.pieces; ++i) {
    PieceLayout at;
    at.row0 = (i / perSide) * side;
    at.col0 = (i % perSide) * side;
    at.visibleRows = std::max(0, std::min<int32_t>(side, image.height - at.row0));
    const size_t pieceStart = pieceValues * static_cast<size_t>(i);
    if (at.visibleRows > 0) {
      MakePieceTiles(colours, image.width, at, side, halved, HiddenRows::kBlendToFirst, tiles,
                     halves);
    }
    for (int p = 0; p < 3; ++p) {
      PlaneSlot slot;
      slot.piece = i;
      slot.plane = p;
      slot.side = p == 0 ? side : chromaSide;
      slot.start = pieceStart + (p == 0 ? 0 : lumaCount + (p - 1) * chromaCount);
      slot.visibleRows = p > 0 && halved ? (at.visibleRows + 1) / 2 : at.visibleRows;
      slot.weight = weights[p];
      LayOutBands(&slot, out->baseSize);
      const size_t count = static_cast<size_t>(slot.side) * slot.side;
      double* coefficients = out->coefficients.get() + slot.start;
      double* spatial = out->spatial.get() + slot.start;
      float* weight = out->weight.get() + slot.start;
      if (at.visibleRows <= 0) {
        // A piece that shows nothing: all zero, and no error counts.
        std::fill(coefficients, coefficients + count, 0.0);
        std::fill(spatial, spatial + count, 0.0);
        std::fill(weight, weight + count, 0.0f);
      } else {
        const double* plane = p > 0 && halved ? halves[p - 1] : tiles[p];
        if (!PreparePlane(plane, out->baseSize, &slot, spatial, coefficients, weight)) {
          return OutOfMemoryError(error, kArtModule, __LINE__);
        }
      }
      out->planes.push_back(slot);
    }
  }
  return CodecStatus::kOk;
}

// The quality's nominal luma step (in Y' units, a quarter of a colour
// level): 1 at 100, doubling every kQualitiesPerOctave down.
double NominalStep(int quality) {
  return std::pow(2.0, (100 - quality) / kQualitiesPerOctave);
}

// A plane's step for a nominal luma step: equal slopes (the same error per
// bit in every plane) make the steps go as 1 / sqrt(weight).
int PlaneStep(double nominal, double weight) {
  double step = nominal * std::sqrt(kLumaWeight / weight);
  if (step < 1) return 1;
  if (step >= kSixteensFrom) return 16 * std::max(1, static_cast<int>(step / 16 + 0.5));
  return static_cast<int>(step + 0.5);
}

// The price of a bit, in squared error summed over the picture's bytes.
double LambdaFor(double nominal) {
  return kLambdaPerStep2 * kLumaWeight * nominal * nominal;
}

QuantPlane PlaneOf(const Prepared& prep, const PlaneSlot& slot) {
  QuantPlane plane;
  plane.coefficients = prep.coefficients.get() + slot.start;
  plane.weight = prep.weight.get() + slot.start;
  plane.count = static_cast<size_t>(slot.side) * slot.side;
  plane.bands = slot.bands.data();
  plane.bandCount = static_cast<int>(slot.bands.size());
  return plane;
}

// lambdaScale: the price of a bit against the step's own (1 but in the
// size search).
CodecStatus EncodeOnce(const BgrImage& image, const EncodeOptions& options, Prepared& prep,
                       double nominal, double lambdaScale, ByteBuffer* file, EncodeStats* stats,
                       bool* wraps, CodecError* error) {
  const int perSide = options.pieces == 4 ? 2 : 1;
  const size_t total = prep.total;
  const size_t coefficientBytes = total * 4;
  for (PlaneSlot& slot : prep.planes) {
    const int step = PlaneStep(nominal, slot.weight);
    for (QuantBand& band : slot.bands) band.step = step;
  }
  const double lambda = LambdaFor(nominal) * lambdaScale;

  IntBuffer quantised, written;
  ByteBuffer coefficients, stream;
  QuantWork work;
  std::unique_ptr<RateModel> model(new (std::nothrow) RateModel);
  size_t largestPlane = 0;
  for (const PlaneSlot& slot : prep.planes) {
    largestPlane = std::max(largestPlane, static_cast<size_t>(slot.side) * slot.side);
  }
  if (!model || !AllocateInts(&quantised, total, false) || !AllocateInts(&written, total, false) ||
      !AllocateBytes(&coefficients, coefficientBytes, false) ||
      !AllocateBytes(&stream, ParsedRunLengthBound(coefficientBytes), false) ||
      !work.Allocate(largestPlane)) {
    return OutOfMemoryError(error, kArtModule, __LINE__);
  }
  for (const PlaneSlot& slot : prep.planes) {
    QuantiseDeadZone(PlaneOf(prep, slot), quantised.data() + slot.start);
  }
  SymbolCosts costs;
  FlatSymbolCosts(&costs);
  uint64_t frequency[256];
  size_t streamBytes = 0;
  // Round 0 codes the dead-zone choice to learn the first prices.
  for (int round = 0; round <= kRounds; ++round) {
    if (!model->Build(costs)) return OutOfMemoryError(error, kArtModule, __LINE__);
    for (const PlaneSlot& slot : prep.planes) {
      const QuantPlane plane = PlaneOf(prep, slot);
      if (round > 0) {
        ChooseCoefficients(plane, *model, lambda, quantised.data() + slot.start, &work);
      }
      FillGaps(plane, *model, lambda, quantised.data() + slot.start, written.data() + slot.start,
               &work);
    }
    AppendLe32(written.data(), total, coefficients.data());
    streamBytes = ParseRunLength(coefficients.data(), coefficientBytes, *model, stream.data());
    if (streamBytes == 0 && coefficientBytes > 0) {
      return OutOfMemoryError(error, kArtModule, __LINE__);
    }
    CountSymbols(stream.data(), streamBytes, frequency);
    CostsFromFrequencies(frequency, &costs);
  }
  // Once more under the prices of what was finally chosen.
  if (!model->Build(costs)) return OutOfMemoryError(error, kArtModule, __LINE__);
  streamBytes = ParseRunLength(coefficients.data(), coefficientBytes, *model, stream.data());
  if (streamBytes == 0 && coefficientBytes > 0) {
    return OutOfMemoryError(error, kArtModule, __LINE__);
  }
  std::unique_ptr<int64_t[]> synthesis;
  if (!AllocateArray(&synthesis, 2 * largestPlane)) {
    return OutOfMemoryError(error, kArtModule, __LINE__);
  }
  ArtHeader header;
  std::memset(&header, 0, sizeof header);
  header.chromaHalved = prep.halved ? 1 : 0;
  header.width = image.width / perSide;
  header.height = image.height / perSide;
  header.baseSize = prep.baseSize;
  header.pieces = options.pieces;
  header.imageSize = image.width * image.height * 3;
  int32_t* offsets[3] = {header.yOffset, header.uOffset, header.vOffset};
  for (const PlaneSlot& slot : prep.planes) {
    if (!SynthesisFits(written.data() + slot.start, slot.side, prep.baseSize, synthesis.get())) {
      *wraps = true;
      return CodecStatus::kOk;
    }
    // Each plane's offset is its base, corrected by what the synthesis does
    // to the visible mean.
    int32_t offset = slot.base;
    if (slot.visibleRows > 0) {
      offset += SynthesisDrift(prep.spatial.get() + slot.start, synthesis.get(),
                               static_cast<size_t>(slot.visibleRows) * slot.side);
    }
    offsets[slot.plane][slot.piece] = offset;
  }
  CodecStatus status = WriteArtFile(header, stream.data(), streamBytes, file, error);
  if (status != CodecStatus::kOk) return status;
  if (stats) {
    stats->pieces = options.pieces;
    stats->baseSize = prep.baseSize;
    stats->levels = prep.levels;
    stats->chromaHalved = prep.halved;
    stats->lumaStep = PlaneStep(nominal, kLumaWeight);
    stats->chromaStep = PlaneStep(nominal, prep.planes[1].weight);
    stats->streamBytes = streamBytes;
    stats->fileBytes = file->size;
  }
  return CodecStatus::kOk;
}

// The layouts options allow: half-size chroma needs a level to halve.
int Layouts(const EncodeOptions& options, int levels, bool halved[2]) {
  int count = 0;
  if (options.chroma != ChromaLayout::kFull && levels >= 1) halved[count++] = true;
  if (options.chroma != ChromaLayout::kHalved || levels < 1) halved[count++] = false;
  return count;
}

CodecStatus PrepareLayout(const BgrImage& image, const EncodeOptions& options, int32_t side,
                          int levels, bool halved, Prepared* prep, CodecError* error) {
  prep->side = side;
  prep->levels = levels;
  prep->halved = halved;
  prep->baseSize = side >> levels;
  prep->chromaSide = halved ? side / 2 : side;
  return Prepare(image, options, prep, error);
}

// One encode of a prepared layout at a nominal step, checked by decoding;
// while the decode finds ringing the step is halved, and while the
// synthesis would wrap the layout takes a level less.
CodecStatus EncodeChecked(const BgrImage& image, const EncodeOptions& options, Prepared* prep,
                          double nominal, double lambdaScale, ByteBuffer* file, EncodeStats* stats,
                          double* squaredError, CodecError* error) {
  for (double step = nominal;;) {
    bool wraps = false;
    CodecStatus status =
        EncodeOnce(image, options, *prep, step, lambdaScale, file, stats, &wraps, error);
    if (status != CodecStatus::kOk) return status;
    if (wraps) {
      // Half-size chroma keeps the level it is halved by.
      if (prep->levels <= (prep->halved ? 1 : 0)) {
        return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                             "The picture's values are too large for the decoder's sums");
      }
      status =
          PrepareLayout(image, options, prep->side, prep->levels - 1, prep->halved, prep, error);
      if (status != CodecStatus::kOk) return status;
      continue;
    }
    status = DecodeToCheck(*file, image, squaredError, error);
    if (status == CodecStatus::kOk) {
      stats->psnr = PsnrOf(*squaredError, image);
      return status;
    }
    // Only ringing is worth a finer step; any other failure is the answer.
    if (status != CodecStatus::kBadData || step <= 1) return status;
    step = std::max(1.0, step / 2);
  }
}

// The size search's best art so far: the least error among the tries that
// fit.
struct SizeSearch {
  size_t maxBytes = 0;
  bool found = false;
  double error = 0;
  double log2Step = 0;
  ByteBuffer file;
  EncodeStats stats;
};

// Encodes at a step and lambda scale; *fits says whether the file fits the
// budget, and a file that fits competes for the best.
CodecStatus TryForSize(const BgrImage& image, const EncodeOptions& options, Prepared* prep,
                       double log2Step, double lambdaScale, SizeSearch* search, bool* fits,
                       CodecError* error) {
  ByteBuffer candidate;
  EncodeStats candidateStats;
  double squaredError = 0;
  CodecStatus status = EncodeChecked(image, options, prep, std::exp2(log2Step), lambdaScale,
                                     &candidate, &candidateStats, &squaredError, error);
  if (status != CodecStatus::kOk) return status;
  *fits = candidate.size <= search->maxBytes;
  // Error does not always fall with the step near the budget's edge: every
  // try that fits competes.
  if (*fits && (!search->found || squaredError < search->error)) {
    search->found = true;
    search->error = squaredError;
    search->log2Step = log2Step;
    search->file = std::move(candidate);
    search->stats = candidateStats;
  }
  return CodecStatus::kOk;
}

// One layout at one lambda scale. Bytes fall as the step grows, so the
// finest step that fits is found by halving a range of log2(step): the
// whole range the first time, then a quarter octave either side of where
// the last scale ended (widened when that misses). The steps move in
// sixteens, though, so the budget often falls in the jump between two;
// then the coarser step with a cheaper bit (fewer values left at zero)
// fills it. *around: where the last search ended, negative for none.
CodecStatus SearchSteps(const BgrImage& image, const EncodeOptions& options, Prepared* prep,
                        double lambdaScale, double* around, SizeSearch* search, CodecError* error) {
  const double coarsest = std::log2(NominalStep(1));
  auto tryAt = [&](double log2Step, double scale, bool* fits) {
    return TryForSize(image, options, prep, log2Step, scale, search, fits, error);
  };
  bool fits = false;
  double fitting = coarsest;  // log2 of the finest step known to fit ...
  double tooFine = 0;         // ... and of the coarsest known not to
  bool overflowed = false;
  int halvings = 9;
  if (*around >= 0) {
    const double coarse = std::min(coarsest, *around + 0.25);
    const double fine = std::max(0.0, *around - 0.25);
    CodecStatus status = tryAt(coarse, lambdaScale, &fits);
    if (status != CodecStatus::kOk) return status;
    if (fits) {
      fitting = coarse;
      status = tryAt(fine, lambdaScale, &fits);
      if (status != CodecStatus::kOk) return status;
      if (fits) {
        fitting = fine;  // finer still may fit: the rest of the range
      } else {
        tooFine = fine;
        overflowed = true;
        halvings = 5;
      }
    } else {
      tooFine = coarse;
      overflowed = true;
    }
  }
  if (fitting == coarsest) {
    // The coarsest step: when even that does not fit, nothing does.
    CodecStatus status = tryAt(coarsest, lambdaScale, &fits);
    if (status != CodecStatus::kOk || !fits) return status;
  }
  for (int k = 0; k < halvings; ++k) {
    const double at = (fitting + tooFine) / 2;
    CodecStatus status = tryAt(at, lambdaScale, &fits);
    if (status != CodecStatus::kOk) return status;
    if (fits) {
      fitting = at;
    } else {
      tooFine = at;
      overflowed = true;
    }
  }
  *around = fitting;
  if (!overflowed) return CodecStatus::kOk;
  double cheap = lambdaScale / 8;  // the cheapest bit tried ...
  double dear = lambdaScale;       // ... and the cheapest known to fit
  for (int k = 0; k < 5; ++k) {
    const double scale = std::sqrt(cheap * dear);
    CodecStatus status = tryAt(fitting, scale, &fits);
    if (status != CodecStatus::kOk) return status;
    (fits ? dear : cheap) = scale;
  }
  return CodecStatus::kOk;
}

}  // namespace

CodecStatus EncodeRateDistortion(const BgrImage& image, const EncodeOptions& options, int32_t side,
                                 int levels, ByteBuffer* file, EncodeStats* stats, double* cost,
                                 CodecError* error) {
  const double nominal = NominalStep(options.quality);
  bool halved[2];
  const int layouts = Layouts(options, levels, halved);
  double bestCost = 0;
  for (int t = 0; t < layouts; ++t) {
    Prepared prep;
    CodecStatus status = PrepareLayout(image, options, side, levels, halved[t], &prep, error);
    if (status != CodecStatus::kOk) return status;
    ByteBuffer candidate;
    EncodeStats candidateStats;
    double squaredError = 0;
    status = EncodeChecked(image, options, &prep, nominal, 1, &candidate, &candidateStats,
                           &squaredError, error);
    if (status != CodecStatus::kOk) return status;
    // Both layouts are judged by the trade-off the quality sets.
    const double cost = squaredError + LambdaFor(nominal) * 8 * static_cast<double>(candidate.size);
    if (t == 0 || cost < bestCost) {
      bestCost = cost;
      *file = std::move(candidate);
      if (stats) *stats = candidateStats;
    }
  }
  if (cost) *cost = bestCost;
  return CodecStatus::kOk;
}

CodecStatus EncodeRateDistortionToSize(const BgrImage& image, const EncodeOptions& options,
                                       int32_t side, int levels, size_t maxBytes, ByteBuffer* file,
                                       EncodeStats* stats, int* quality, CodecError* error) {
  bool halved[2];
  const int layouts = Layouts(options, levels, halved);
  SizeSearch search;
  search.maxBytes = maxBytes;
  for (int t = 0; t < layouts; ++t) {
    Prepared prep;
    CodecStatus status = PrepareLayout(image, options, side, levels, halved[t], &prep, error);
    if (status != CodecStatus::kOk) return status;
    // The price of a bit against the step that serves a quality best is not
    // the one that serves every budget best: a few are tried.
    double around = -1;
    for (double lambdaScale : kSizeLambdaScales) {
      status = SearchSteps(image, options, &prep, lambdaScale, &around, &search, error);
      if (status != CodecStatus::kOk) return status;
    }
  }
  if (!search.found) {
    return SetCodecError(error, CodecStatus::kBadArgument, kArtModule, __LINE__,
                         "No art of this picture fits in %u bytes",
                         static_cast<unsigned>(maxBytes));
  }
  *file = std::move(search.file);
  if (stats) *stats = search.stats;
  if (quality) {
    const double q = 100 - kQualitiesPerOctave * search.log2Step;
    *quality = std::max(1, std::min(100, static_cast<int>(std::floor(q + 0.5))));
  }
  return CodecStatus::kOk;
}
