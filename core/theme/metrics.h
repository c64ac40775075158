// Window metrics as theme files carry them.
//
// These mirror the platform's LOGFONTA, ICONMETRICSA and NONCLIENTMETRICSA
// field for field and byte for byte (NONCLIENTMETRICSA in its 340-byte form,
// without the later iPaddedBorderWidth), so theme values can be parsed and
// formatted without <windows.h>. The Windows side checks the layouts match.
#pragma once

#include <cstddef>
#include <cstdint>

struct ThemeLogFont {
  int32_t lfHeight;
  int32_t lfWidth;
  int32_t lfEscapement;
  int32_t lfOrientation;
  int32_t lfWeight;
  uint8_t lfItalic;
  uint8_t lfUnderline;
  uint8_t lfStrikeOut;
  uint8_t lfCharSet;
  uint8_t lfOutPrecision;
  uint8_t lfClipPrecision;
  uint8_t lfQuality;
  uint8_t lfPitchAndFamily;
  char lfFaceName[32];  // all 32 bytes travel, terminator and what follows it
};

struct ThemeIconMetrics {
  uint32_t cbSize;
  int32_t iHorzSpacing;
  int32_t iVertSpacing;
  int32_t iTitleWrap;
  ThemeLogFont lfFont;
};

struct ThemeNonclientMetrics {
  uint32_t cbSize;
  int32_t iBorderWidth;
  int32_t iScrollWidth;
  int32_t iScrollHeight;
  int32_t iCaptionWidth;
  int32_t iCaptionHeight;
  ThemeLogFont lfCaptionFont;
  int32_t iSmCaptionWidth;
  int32_t iSmCaptionHeight;
  ThemeLogFont lfSmCaptionFont;
  int32_t iMenuWidth;
  int32_t iMenuHeight;
  ThemeLogFont lfMenuFont;
  ThemeLogFont lfStatusFont;
  ThemeLogFont lfMessageFont;
};

constexpr uint32_t kLogFontBytes = 60;
constexpr uint32_t kIconMetricsBytes = 76;
constexpr uint32_t kNonclientMetricsBytes = 340;

static_assert(sizeof(ThemeLogFont) == kLogFontBytes, "LOGFONTA is 60 bytes");
static_assert(sizeof(ThemeIconMetrics) == kIconMetricsBytes, "ICONMETRICSA is 76 bytes");
static_assert(sizeof(ThemeNonclientMetrics) == kNonclientMetricsBytes,
              "NONCLIENTMETRICSA without iPaddedBorderWidth is 340 bytes");
static_assert(offsetof(ThemeNonclientMetrics, lfMessageFont) == 280, "field order");
