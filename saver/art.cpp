// The saver's bridge to the art codec (module art): the codec's set-up for
// the window's size, one art into the picture (colour table, decode, scale,
// backdrop, colour reduction, caption), and the picture onto the screen.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "assert_report.h"
#include "codec/palette.h"
#include "codec/scale.h"
#include "codec/spot.h"
#include "codec/wavelet.h"
#include "codec_presets.h"
#include "gdi_owners.h"
#include "saver.h"
#include "saver/captions.h"
#include "saver/pixel_section.h"
#include "saver/saver_settings.h"
#include "spot_file.h"

namespace {

[[noreturn]] void ReportCodecFailure(const CodecError& error) {
  Assert(0, error.module, error.line, "%s", error.message);
  ExitProcess(1);  // not reached: the reporter ends the process
}

void DebugOutput(const char* text) {
  OutputDebugStringA(text);
}

bool ArtPath(char* out, size_t size, const char* directory, const char* name, const char* ext) {
  const int n = std::snprintf(out, size, "%s%s%s", directory, name, ext);
  return n >= 0 && static_cast<size_t>(n) < size;
}

bool Stopped(const std::atomic<bool>* stop) {
  return stop && stop->load(std::memory_order_relaxed);
}

// rows rows of rowBytes bytes from src (srcStride apart) into the picture's
// rows, their pad bytes zeroed. The two may not overlap.
void CopyRows(SaverImage* picture, const uint8_t* src, size_t srcStride) {
  const size_t stride = RowStride(picture->width);
  const size_t rowBytes = static_cast<size_t>(picture->width) * 3;
  for (int y = 0; y < picture->height; ++y) {
    uint8_t* row = picture->bits + stride * static_cast<size_t>(y);
    std::memcpy(row, src + srcStride * static_cast<size_t>(y), rowBytes);
    std::memset(row + rowBytes, 0, stride - rowBytes);
  }
}

// A codec call's outcome: on with the work, or stopped by the window's
// close (false). Any other failure ends the program.
bool Continue(const CodecContext& codec, CodecStatus status) {
  if (status == CodecStatus::kStopped) return false;
  if (status != CodecStatus::kOk) ReportCodecFailure(codec.error);
  return true;
}

// The picture's size is the art's own: the scaler hands back the decoded art
// as it is, so its backdrop and colour reduction are done here, as they are
// for every other size (the backdrop is later put back from "spot.sav").
bool FinishUnscaled(CodecContext* codec, SaverImage* picture, int corner) {
  const int w = picture->width, h = picture->height;
  if (corner != -1 && !Continue(*codec, SaveSpot(codec, picture->bits, w, h, corner))) {
    return false;
  }
  return Continue(*codec, ReduceColours(codec, picture->bits, h - 1, h, w));
}

// At full screen the art is decoded into the end of the picture's own memory
// and scaled in place; the preview (and an art too large for that) scales
// into a buffer of its own, which is copied in whole. False when stopped.
bool ScaleIntoPicture(SaverApp* app, SaverImage* picture, WaveletImage* art, int corner) {
  CodecContext* codec = &app->codec;
  const int w = picture->width, h = picture->height;
  const int32_t artWidth = art->header.width, artHeight = art->header.height;
  const bool unscaled = w == artWidth && h == artHeight;
  // An unscaled art comes back at the end of the target with rows of exactly
  // width x 3 bytes; one move puts it in place when the picture's rows are
  // no longer.
  const bool inPlace = !app->previewMode && ArtFitsPicture(false, w, h, artWidth, artHeight) &&
                       (!unscaled || RowStride(w) == static_cast<size_t>(w) * 3);
  ScaledImage scaled;
  const CodecStatus status =
      inPlace ? FilterScaleImage(codec, picture->bits, static_cast<size_t>(picture->sectionSize),
                                 art, w, h, corner, &scaled)
              : FilterScaleImage(codec, nullptr, 0, art, w, h, corner, &scaled);
  if (!Continue(*codec, status)) return false;
  if (inPlace) {
    if (scaled.pixels != picture->bits) {
      std::memmove(picture->bits, scaled.pixels, RowStride(w) * static_cast<size_t>(h));
    }
  } else {
    CopyRows(picture, scaled.pixels, scaled.stride);
  }
  return !unscaled || FinishUnscaled(codec, picture, corner);
}

}  // namespace

void InitSaverCodec(SaverApp* app, int width, int height) {
  CodecContext* codec = &app->codec;
  CodecOptions options = ScreenSaverCodecOptions(DebugOutput);
  options.openSpotFile = OpenOwnSpotFile;
  InitCodecContext(codec, options);
  codec->ditherKernel = 2;
  {
    WindowDC desktop(GetDesktopWindow());
    int bits = GetDeviceCaps(desktop.get(), BITSPIXEL) * GetDeviceCaps(desktop.get(), PLANES);
    if (bits == 15) bits = 16;
    app->displayBitsPerPixel = bits;
    codec->displayBitsPerPixel = bits;
  }
  SetArtDirectory(codec, app->artDir);
  SetProgramDirectory(codec, app->programDir);
  char maskPath[kPathSize];
  if (!ArtPath(maskPath, sizeof maskPath, app->programDir, "/tavol/spot", ".art")) {
    Assert(0, "art", __LINE__, "The spot mask's path is too long");
  }
  if (LoadSpotMask(codec, maskPath, width, height) != CodecStatus::kOk) {
    ReportCodecFailure(codec->error);
  }
}

void SetSaverCodecArt(SaverApp* app, int row, const std::atomic<bool>* stop) {
  app->codec.logoKind = row >= 0 ? artTable[row].logoKind : -1;
  app->codec.cancel = stop;
}

int LoadArt(SaverApp* app, HDC memoryDC, SaverImage* picture, const char* directory,
            const char* name, int row, HPALETTE* palette, const std::atomic<bool>* stop) {
  if (!picture || !directory || !name) return kArtMissing;
  CodecContext* codec = &app->codec;
  char path[kPathSize];
  if (app->paletteDevice) {
    const LogicalPalette* logical = nullptr;
    if (ArtPath(path, sizeof path, directory, name, ".tr") &&
        ReadColourTable(&codec->palette, path, &logical) != CodecStatus::kOk) {
      ReportCodecFailure(codec->palette.error);
    }
    Assert(logical != nullptr, "art", 79, "LoadArt palette creation failed\n");
    HPALETTE created = CreatePalette(reinterpret_cast<const LOGPALETTE*>(logical));
    Assert(created != nullptr, "art", 80, "LoadArt hpal creation failed\n");
    if (palette) {
      *palette = created;
    } else {
      DeleteObject(created);
    }
  }
  if (Stopped(stop)) return kArtStopped;

  WaveletPtr art;
  if (ArtPath(path, sizeof path, directory, name, ".art") &&
      ReadWavelet(codec, path, false, &art) != CodecStatus::kOk) {
    ReportCodecFailure(codec->error);
  }
  Assert(art != nullptr, "art", 119, "LoadArt failed to bring in next art");
  if (Stopped(stop)) return kArtStopped;

  const ArtRow& entry = artTable[row];
  SetSaverCodecArt(app, row, stop);
  const bool made = ScaleIntoPicture(app, picture, art.get(), entry.spotCorner);
  SetSaverCodecArt(app, -1, nullptr);
  art.reset();
  if (!made || Stopped(stop)) return kArtStopped;

  SelectGuard selected(memoryDC, picture->bitmap);
  DrawCaption(memoryDC, *picture, entry.spotCorner, entry.caption);
  GdiFlush();  // the caption is in the pixels before anyone copies them
  return kArtLoaded;
}

void DrawCaption(HDC dc, const SaverImage& picture, int corner, const char* text) {
  const CaptionBox box = ComputeCaptionBox(picture.width, picture.height, corner);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(kCaptionRed, kCaptionGreen, kCaptionBlue));

  char face[100] = "";
  RegKey key;
  if (key.Open(HKEY_CURRENT_USER, kSaverSettingsKey, KEY_QUERY_VALUE)) {
    key.GetString("PaperSpotFont", face, sizeof face);
  }
  GdiObject<HFONT> font(CreateFontA(box.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
  SelectGuard selected(dc, font.get());
  RECT measured = {box.left, box.top, box.right(), box.bottom()};
  DrawTextA(dc, text, -1, &measured, DT_CALCRECT | DT_CENTER);
  const CaptionTextRect r = CenterCaptionText(box, measured.bottom - measured.top);
  RECT textRect = {r.left, r.top, r.right, r.bottom};
  DrawTextA(dc, text, -1, &textRect, DT_CENTER);
}

int PaintArt(HDC dc, SaverWindow* w) {
  const SaverImage& picture = w->picture;
  if (!picture.bits) return 0;
  // Straight from the pixels: the bitmap itself may be selected into the
  // picture thread's DC for a reveal.
  Locked lock(&w->share.paletteLock);
  PaletteSelection palette(dc, w->app->paletteDevice ? w->share.currentPalette : nullptr);
  SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height),
                    0, 0, 0, static_cast<UINT>(picture.height), picture.bits, &picture.header,
                    DIB_RGB_COLORS);
  return 1;
}
