// The About picture ("AboutBox.bmp", 500 x 412, 8 bits a pixel) and the art
// palette it is shown through ("PALALL9.TR"): the palette is built from the
// picture and small copies of every art, so that one table serves them all.
#include <cmath>
#include <memory>

#include "bmpfile.h"
#include "codec/codec.h"
#include "codec/palette_builder.h"
#include "emblems.h"
#include "iconfile.h"
#include "scene_kit.h"
#include "verbs.h"

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 412;

const char* const kArtNames[] = {"WHITE", "BLUE", "BLACK", "RED",  "GREEN", "w-logo",
                                 "0340",  "0893", "0930",  "0793", "0731"};

// The five wallpapers side by side, each fading into the next.
void PaintPanorama(Canvas* about, const std::vector<Canvas>& papers, int bandHeight) {
  // Which part of each wallpaper to show (top of the slice, 0..1).
  const float sliceTop[] = {0.3f, 0.45f, 0.12f, 0.2f, 0.35f};
  std::vector<Canvas> scaled;
  for (const Canvas& p : papers) scaled.push_back(ResizeBox(p, kWidth, kWidth * 3 / 4));
  const float slice = kWidth / 5.0f;
  for (int y = 0; y < bandHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      Rgb sum;
      float total = 0;
      for (int i = 0; i < 5; ++i) {
        const float centre = (i + 0.5f) * slice;
        const float w = std::exp(-std::pow((x + 0.5f - centre) / (slice * 0.45f), 4.0f));
        const Canvas& s = scaled[i];
        const int sy = std::min(s.height - 1, static_cast<int>(sliceTop[i] * s.height) + y);
        sum = sum + s.At(x, sy) * w;
        total += w;
      }
      about->At(x, y) = sum * (1.0f / total);
    }
  }
}

bool LoadText(const Options& options, const std::string& name, Mask* mask, std::string* error) {
  return LoadMask(options.at("text") + "/" + name + ".ppm", mask, error);
}

void Gild(Canvas* canvas, const Mask& mask, int left, int top) {
  const Mask shadow = BlurMask(mask, 3);
  DrawMask(canvas, shadow, left - 9 + 2, top - 9 + 3, Hex(0x000000), 0.85f);
  DrawMask(canvas, BlurMask(mask, 1), left - 3, top - 3, Hex(0x2A1804), 0.8f);
  const float h = static_cast<float>(mask.height);
  DrawMask(canvas, mask, left, top, [&](int, int y) {
    return Gradient({{0.0f, Hex(0xFFF6CC)},
                     {0.48f, Hex(0xF2CA66)},
                     {0.56f, Hex(0xC48A30)},
                     {1.0f, Hex(0xF8DA90)}},
                    (y - top) / h);
  });
}

}  // namespace

int RunAbout(const std::string& outDir, const Options& options) {
  if (!options.count("pictures") || !options.count("text")) {
    return Fail("about needs --pictures DIR and --text DIR");
  }
  const std::string pictures = options.at("pictures");
  std::string error;
  std::vector<Canvas> arts;
  for (const char* name : kArtNames) {
    Canvas c;
    if (!LoadCanvas(pictures + "/" + name + ".png", &c, &error)) return Fail(error);
    arts.push_back(c);
  }
  Mask title, game, version, copyright;
  if (!LoadText(options, "about-title", &title, &error) ||
      !LoadText(options, "about-game", &game, &error) ||
      !LoadText(options, "about-version", &version, &error) ||
      !LoadText(options, "about-copyright", &copyright, &error)) {
    return Fail(error);
  }

  // The picture in full colour.
  Canvas about(kWidth, kHeight);
  const int band = 168;
  about.Paint([](int px, int py, float u, float v) {
    Rgb c = Gradient({{0.0f, Hex(0x241C38)}, {0.55f, Hex(0x16122A)}, {1.0f, Hex(0x0A0814)}}, v);
    c = Screen(c, Hex(0x3A3060), Smoothstep(0.0f, 0.7f, Fbm(u * 3, v * 2, 4, 601)) * 0.4f);
    return Brush(c, static_cast<float>(px), static_cast<float>(py), 0.03f, 0.2f, 602);
  });
  Canvas panorama = about;
  PaintPanorama(&panorama, std::vector<Canvas>(arts.begin(), arts.begin() + 5), band + 40);
  for (int y = 0; y < band + 40; ++y) {
    const float keep = Smoothstep(band + 40.0f, band - 30.0f, static_cast<float>(y));
    for (int x = 0; x < kWidth; ++x) about.At(x, y) = Mix(about.At(x, y), panorama.At(x, y), keep);
  }
  // A gold rule under the panorama.
  for (int x = 0; x < kWidth; ++x) {
    const float fade = Smoothstep(0.0f, 120.0f, std::min<float>(x, kWidth - 1 - x));
    for (int y = band; y < band + 2; ++y) {
      about.At(x, y) = Mix(about.At(x, y), y == band ? Hex(0xF6D890) : Hex(0x8A6020), fade);
    }
  }
  Gild(&about, title, (kWidth - title.width) / 2, band + 14);
  const int gameTop = band + 14 + title.height + 6;
  DrawMask(&about, BlurMask(game, 2), (kWidth - game.width) / 2 - 6 + 1, gameTop - 6 + 2,
           Hex(0x000000), 0.7f);
  DrawMask(&about, game, (kWidth - game.width) / 2, gameTop, Hex(0xF0E6D0));
  // The five emblems in a row.
  Layer emblems(kWidth, kHeight);
  const float emblemY = static_cast<float>(gameTop + game.height + 34);
  for (int i = 0; i < kColourKindCount; ++i) {
    const float x = kWidth / 2.0f + (i - 2) * 62.0f;
    DrawEmblem(&emblems, kColours[i], {x, emblemY}, 22.0f);
  }
  DrawLayer(&about, emblems, 0, 0);
  // Version and copyright at the lower left; the lower right stays calm for
  // the dialog's OK button.
  const int textLeft = 22;
  DrawMask(&about, version, textLeft, kHeight - 22 - copyright.height - 4 - version.height,
           Hex(0xE8DEC8));
  DrawMask(&about, copyright, textLeft, kHeight - 22 - copyright.height, Hex(0xB8AEA0));

  // The palette from the picture and small copies of every art.
  const int thumbW = 96, thumbH = 72;
  Canvas mix(kWidth, kHeight + thumbH * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) mix.At(x, y) = about.At(x, y);
  }
  for (size_t i = 0; i < arts.size(); ++i) {
    const Canvas t = ResizeBox(arts[i], thumbW, thumbH);
    const int left = static_cast<int>(i % 5) * thumbW;
    const int top = kHeight + static_cast<int>(i / 5) * thumbH;
    for (int y = 0; y < thumbH; ++y) {
      for (int x = 0; x < thumbW; ++x) mix.At(left + x, top + y) = t.At(x, y);
    }
  }
  const std::vector<uint8_t> mixBgr = ToBgr(mix);
  BgrImage image;
  image.pixels = mixBgr.data();
  image.width = mix.width;
  image.height = mix.height;
  image.stride = static_cast<size_t>(mix.width) * 3;
  std::unique_ptr<BuiltPalette> palette(new BuiltPalette);
  CodecError codecError;
  if (BuildPalette(image, kWallpaperColours, palette.get(), &codecError) != CodecStatus::kOk) {
    return Fail(codecError.message);
  }
  std::unique_ptr<char[]> text(new char[kMaxColourTableText]);
  const size_t length = FormatColourTable(*palette, text.get(), kMaxColourTableText);
  const std::string tablePath = outDir + "/windows/TAVOL/PALALL9.TR";
  if (!MakeDirectories(outDir + "/windows/TAVOL") || !MakeDirectories(outDir + "/switcher") ||
      !WriteFileBytes(tablePath, std::vector<uint8_t>(text.get(), text.get() + length), &error)) {
    return Fail("cannot write " + tablePath);
  }

  // Dither the picture to the table as the programs would, then index it.
  std::unique_ptr<PaletteContext> ctx(new PaletteContext);
  InitPaletteContext(ctx.get());
  if (ReadColourTable(ctx.get(), tablePath.c_str()) != CodecStatus::kOk) {
    return Fail(ctx->error.message);
  }
  std::vector<uint8_t> bgr = ToBgr(about);  // 500 x 3 is a multiple of 4: no row padding
  if (DitherImage8(ctx.get(), 2, false, bgr.data(), kHeight, kWidth, 0) != CodecStatus::kOk) {
    return Fail(ctx->error.message);
  }
  std::vector<uint8_t> indexes(static_cast<size_t>(kWidth) * kHeight);
  for (size_t i = 0; i < indexes.size(); ++i) {
    const uint32_t colour = (static_cast<uint32_t>(bgr[i * 3 + 2]) << 16) |
                            (static_cast<uint32_t>(bgr[i * 3 + 1]) << 8) | bgr[i * 3];
    indexes[i] = static_cast<uint8_t>(NearestColourIndex(ctx.get(), colour));
  }
  std::vector<std::array<uint8_t, 3>> colours;
  for (int i = 0; i < palette->count; ++i) {
    colours.push_back({{palette->rgb[i][0], palette->rgb[i][1], palette->rgb[i][2]}});
  }
  if (!WriteFileBytes(outDir + "/switcher/AboutBox.bmp",
                      EncodeBitmap8(indexes, kWidth, kHeight, colours), &error)) {
    return Fail(error);
  }
  auto preview = options.find("preview");
  if (preview != options.end() && !SaveCanvas(about, preview->second, &error)) return Fail(error);
  return WriteList(outDir, options, "about.list",
                   {"windows/TAVOL/PALALL9.TR", "switcher/AboutBox.bmp"})
             ? 0
             : Fail("cannot write about.list");
}
