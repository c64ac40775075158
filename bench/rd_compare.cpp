// Rate-distortion of the art encoder against libjpeg-turbo (its library,
// baseline JPEG with 4:2:0 chroma and optimised Huffman tables) on pictures
// given on the command line:
//
//   rd_compare OUT.mvg PICTURE[:1|:4] ...
//
// For each picture: JPEG at a range of qualities, and the art at the same
// byte counts (arttool's --size search with --method rd, the pieces as
// given or, by default, chosen). Prints a Markdown table (bytes,
// bits a pixel, PSNR over all channels, SSIM of the luma) and writes the
// curves, PSNR against bits a pixel, for ImageMagick to draw.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "jpeg_peer.h"

#include "codec/art_encoder.h"
#include "codec/codec.h"
#include "image_io.h"

namespace {

struct Point {
  double bytes;
  double psnr;
  double ssim;
  int pieces = 0;  // the art's layout
  bool halved = false;
};

double Psnr(const Picture& a, const uint8_t* b) {
  double sum = 0;
  for (size_t i = 0; i < a.bgr.size(); ++i) {
    const double d = static_cast<double>(a.bgr[i]) - b[i];
    sum += d * d;
  }
  const double mse = sum / static_cast<double>(a.bgr.size());
  return mse <= 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::vector<double> Luma(const uint8_t* bgr, int width, int height) {
  std::vector<double> y(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < y.size(); ++i) {
    y[i] = 0.114 * bgr[3 * i] + 0.587 * bgr[3 * i + 1] + 0.299 * bgr[3 * i + 2];
  }
  return y;
}

// Mean SSIM of the luma over 8 x 8 windows stepped by 4 (plain windows, the
// usual constants for 8-bit values).
double Ssim(const Picture& a, const uint8_t* b) {
  const std::vector<double> x = Luma(a.bgr.data(), a.width, a.height);
  const std::vector<double> y = Luma(b, a.width, a.height);
  const double c1 = (0.01 * 255) * (0.01 * 255);
  const double c2 = (0.03 * 255) * (0.03 * 255);
  double total = 0;
  int windows = 0;
  for (int top = 0; top + 8 <= a.height; top += 4) {
    for (int left = 0; left + 8 <= a.width; left += 4) {
      double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
      for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
          const size_t i = static_cast<size_t>(top + r) * a.width + left + c;
          sx += x[i];
          sy += y[i];
          sxx += x[i] * x[i];
          syy += y[i] * y[i];
          sxy += x[i] * y[i];
        }
      }
      const double n = 64;
      const double mx = sx / n, my = sy / n;
      const double vx = sxx / n - mx * mx, vy = syy / n - my * my, cxy = sxy / n - mx * my;
      total += ((2 * mx * my + c1) * (2 * cxy + c2)) / ((mx * mx + my * my + c1) * (vx + vy + c2));
      ++windows;
    }
  }
  return windows ? total / windows : 1;
}

bool Jpeg(const Picture& p, int quality, Point* point) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(p, quality, true);
  std::vector<uint8_t> decoded(p.bgr.size());
  if (!DecodeJpeg(jpeg, &decoded)) return false;
  point->bytes = static_cast<double>(jpeg.size());
  point->psnr = Psnr(p, decoded.data());
  point->ssim = Ssim(p, decoded.data());
  return true;
}

bool Art(const Picture& p, int pieces, size_t budget, Point* point) {
  BgrImage image = {p.bgr.data(), p.width, p.height, p.stride()};
  EncodeOptions options;
  options.pieces = pieces;
  options.method = EncodeMethod::kRateDistortion;
  options.chroma = ChromaLayout::kChoose;
  ByteBuffer file;
  EncodeStats stats;
  CodecError error;
  if (EncodeWaveletToSize(image, options, budget, &file, &stats, nullptr, &error) !=
      CodecStatus::kOk) {
    return false;
  }
  point->pieces = stats.pieces;
  point->halved = stats.chromaHalved;
  CodecContext* ctx = new CodecContext;
  InitCodecContext(ctx);
  WaveletPtr art;
  bool ok =
      ReadWaveletFromMemory(ctx, file.data(), file.size, "rd.art", true, &art) == CodecStatus::kOk;
  if (ok) {
    point->bytes = static_cast<double>(file.size);
    point->psnr = Psnr(p, art->pixels.data());
    point->ssim = Ssim(p, art->pixels.data());
  }
  art.reset();
  delete ctx;
  return ok;
}

struct Series {
  std::string name;
  double pixels;
  std::vector<Point> jpeg;
  std::vector<Point> art;
};

// The curves as ImageMagick drawing primitives (MVG): `convert -size
// 900x560 xc:white -draw @OUT.mvg OUT.png` renders them.
void WriteMvg(const char* path, const std::vector<Series>& all) {
  const double w = 900, h = 560, left = 70, right = 250, top = 30, bottom = 60;
  double maxBpp = 0, minDb = 99, maxDb = 0;
  for (const Series& s : all) {
    for (const auto* list : {&s.jpeg, &s.art}) {
      for (const Point& p : *list) {
        maxBpp = std::fmax(maxBpp, 8 * p.bytes / s.pixels);
        minDb = std::fmin(minDb, p.psnr);
        maxDb = std::fmax(maxDb, p.psnr);
      }
    }
  }
  maxBpp = std::ceil(maxBpp);
  minDb = std::floor(minDb / 4) * 4;
  maxDb = std::ceil(maxDb / 4) * 4;
  auto px = [&](double bpp) { return left + (w - left - right) * bpp / maxBpp; };
  auto py = [&](double db) {
    return h - bottom - (h - top - bottom) * (db - minDb) / (maxDb - minDb);
  };
  std::FILE* f = std::fopen(path, "w");
  if (!f) return;
  std::fprintf(f, "font-size 13\nstroke-width 1\n");
  for (double b = 0; b <= maxBpp + 1e-9; b += 1) {
    std::fprintf(f,
                 "stroke '#dddddd' fill none line %.1f,%.1f %.1f,%.1f\n"
                 "stroke none fill black text %.1f,%.1f '%.0f'\n",
                 px(b), py(minDb), px(b), py(maxDb), px(b) - 4, h - bottom + 18, b);
  }
  for (double d = minDb; d <= maxDb + 1e-9; d += 4) {
    std::fprintf(f,
                 "stroke '#dddddd' fill none line %.1f,%.1f %.1f,%.1f\n"
                 "stroke none fill black text %.1f,%.1f '%.0f'\n",
                 px(0), py(d), px(maxBpp), py(d), left - 28, py(d) + 4, d);
  }
  std::fprintf(f,
               "stroke none fill black text %.1f,%.1f 'bits a pixel'\n"
               "text 8,%.1f 'dB'\ntext %.1f,18 'PSNR against bits a pixel: art (solid), "
               "libjpeg-turbo (dashed)'\n",
               (left + w - right) / 2 - 30, h - 15, top + 10, left);
  const char* colours[] = {"#c0392b", "#2471a3", "#1e8449", "#7d3c98"};
  std::fprintf(f, "stroke-width 2\n");
  for (size_t i = 0; i < all.size(); ++i) {
    const Series& s = all[i];
    const char* colour = colours[i % 4];
    for (int kind = 0; kind < 2; ++kind) {
      const std::vector<Point>& list = kind == 0 ? s.art : s.jpeg;
      if (list.size() < 2) continue;
      std::fprintf(f, "stroke-dasharray %s\nstroke '%s' fill none polyline",
                   kind == 0 ? "none" : "6 4", colour);
      for (const Point& p : list) {
        std::fprintf(f, " %.1f,%.1f", px(8 * p.bytes / s.pixels), py(p.psnr));
      }
      std::fprintf(f, "\n");
    }
    const double ly = top + 20 + 44 * static_cast<double>(i);
    std::fprintf(f,
                 "stroke-dasharray none\nstroke '%s' line %.1f,%.1f %.1f,%.1f\n"
                 "stroke none fill black text %.1f,%.1f '%s art'\n"
                 "stroke-dasharray 6 4\nstroke '%s' fill none line %.1f,%.1f %.1f,%.1f\n"
                 "stroke-dasharray none\nstroke none fill black text %.1f,%.1f '%s JPEG'\n",
                 colour, w - right + 20, ly, w - right + 50, ly, w - right + 56, ly + 4,
                 s.name.c_str(), colour, w - right + 20, ly + 18, w - right + 50, ly + 18,
                 w - right + 56, ly + 22, s.name.c_str());
  }
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: rd_compare OUT.mvg PICTURE[:1|:4] ...\n");
    return 2;
  }
  std::vector<Series> all;
  std::printf(
      "| picture | JPEG q | JPEG bytes | bpp | JPEG PSNR | JPEG SSIM | art bytes | art PSNR "
      "| art SSIM | art pieces, chroma |\n|---|---|---|---|---|---|---|---|---|---|\n");
  for (int a = 2; a < argc; ++a) {
    std::string arg = argv[a];
    int pieces = 0;
    size_t colon = arg.rfind(':');
    if (colon != std::string::npos && colon + 2 == arg.size()) {
      pieces = std::atoi(arg.c_str() + colon + 1);
      arg = arg.substr(0, colon);
    }
    Picture picture;
    std::string error;
    if (!ReadPicture(arg, &picture, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    Series s;
    s.name = arg.substr(arg.find_last_of('/') + 1);
    s.pixels = static_cast<double>(picture.width) * picture.height;
    for (int q : {30, 50, 70, 80, 90, 95}) {
      Point j, r;
      if (!Jpeg(picture, q, &j)) continue;
      s.jpeg.push_back(j);
      bool haveArt = Art(picture, pieces, static_cast<size_t>(j.bytes), &r);
      if (haveArt) s.art.push_back(r);
      std::printf("| %s | %d | %.0f | %.2f | %.2f | %.4f | ", s.name.c_str(), q, j.bytes,
                  8 * j.bytes / s.pixels, j.psnr, j.ssim);
      if (haveArt) {
        std::printf("%.0f | %.2f | %.4f | %d, %s |\n", r.bytes, r.psnr, r.ssim, r.pieces,
                    r.halved ? "half" : "full");
      } else {
        std::printf("does not fit | | | |\n");
      }
    }
    all.push_back(s);
  }
  WriteMvg(argv[1], all);
  return 0;
}
