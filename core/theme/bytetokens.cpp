#include "theme/bytetokens.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Reads one decimal token (optional sign, digits) ending at a blank or at the
// end of the value, and moves over the blanks behind it. The number wraps in 32 bits, as the field
// arithmetic does.
const char* ReadToken(const char* pos, uint32_t* number) {
  while (IsBlank(*pos)) ++pos;
  bool negative = false;
  if (*pos == '-' || *pos == '+') negative = (*pos++ == '-');
  if (*pos < '0' || *pos > '9') return nullptr;
  uint32_t value = 0;
  while (*pos >= '0' && *pos <= '9') value = value * 10u + static_cast<uint32_t>(*pos++ - '0');
  if (*pos != '\0' && !IsBlank(*pos)) return nullptr;
  while (IsBlank(*pos)) ++pos;  // stand on the next token
  *number = negative ? 0u - value : value;
  return pos;
}

const char* ParseByte(const char* pos, uint8_t* field) {
  uint32_t token = 0;
  pos = pos ? ReadToken(pos, &token) : nullptr;
  if (pos) *field = static_cast<uint8_t>(token);
  return pos;
}

const char* ParseUnsigned(const char* pos, uint32_t* field) {
  int32_t value = 0;
  pos = pos ? ParseMetricInt(pos, &value) : nullptr;
  if (pos) *field = static_cast<uint32_t>(value);
  return pos;
}

const char* ParseSigned(const char* pos, int32_t* field) {
  return pos ? ParseMetricInt(pos, field) : nullptr;
}

const char* ParseFont(const char* pos, ThemeLogFont* font) {
  return pos ? ParseLogFont(font, pos) : nullptr;
}

void FormatByte(std::string* out, uint8_t value) {
  *out += std::to_string(static_cast<unsigned>(value));
  *out += ' ';
}

}  // namespace

const char* ParseMetricInt(const char* pos, int32_t* field) {
  uint32_t value = 0;
  uint32_t scale = 1;
  for (int i = 0; i < 4; ++i) {
    uint32_t token = 0;
    pos = ReadToken(pos, &token);
    if (!pos) return nullptr;
    value += token * scale;  // wraps: a token above 255 carries upward
    scale <<= 8;
  }
  *field = static_cast<int32_t>(value);
  return pos;
}

const char* ParseLogFont(ThemeLogFont* font, const char* pos) {
  pos = ParseSigned(pos, &font->lfHeight);
  pos = ParseSigned(pos, &font->lfWidth);
  pos = ParseSigned(pos, &font->lfEscapement);
  pos = ParseSigned(pos, &font->lfOrientation);
  pos = ParseSigned(pos, &font->lfWeight);
  pos = ParseByte(pos, &font->lfItalic);
  pos = ParseByte(pos, &font->lfUnderline);
  pos = ParseByte(pos, &font->lfStrikeOut);
  pos = ParseByte(pos, &font->lfCharSet);
  pos = ParseByte(pos, &font->lfOutPrecision);
  pos = ParseByte(pos, &font->lfClipPrecision);
  pos = ParseByte(pos, &font->lfQuality);
  pos = ParseByte(pos, &font->lfPitchAndFamily);
  for (char& c : font->lfFaceName) {
    uint8_t byte = 0;
    pos = ParseByte(pos, &byte);
    c = static_cast<char>(byte);
  }
  return pos;
}

bool ParseIconMetrics(ThemeIconMetrics* metrics, const char* value) {
  const char* pos = ParseUnsigned(value, &metrics->cbSize);
  pos = ParseSigned(pos, &metrics->iHorzSpacing);
  pos = ParseSigned(pos, &metrics->iVertSpacing);
  pos = ParseSigned(pos, &metrics->iTitleWrap);
  pos = ParseFont(pos, &metrics->lfFont);
  return pos && metrics->cbSize == kIconMetricsBytes;
}

bool ParseNonclientMetrics(ThemeNonclientMetrics* metrics, const char* value) {
  const char* pos = ParseUnsigned(value, &metrics->cbSize);
  pos = ParseSigned(pos, &metrics->iBorderWidth);
  pos = ParseSigned(pos, &metrics->iScrollWidth);
  pos = ParseSigned(pos, &metrics->iScrollHeight);
  pos = ParseSigned(pos, &metrics->iCaptionWidth);
  pos = ParseSigned(pos, &metrics->iCaptionHeight);
  pos = ParseFont(pos, &metrics->lfCaptionFont);
  pos = ParseSigned(pos, &metrics->iSmCaptionWidth);
  pos = ParseSigned(pos, &metrics->iSmCaptionHeight);
  pos = ParseFont(pos, &metrics->lfSmCaptionFont);
  pos = ParseSigned(pos, &metrics->iMenuWidth);
  pos = ParseSigned(pos, &metrics->iMenuHeight);
  pos = ParseFont(pos, &metrics->lfMenuFont);
  pos = ParseFont(pos, &metrics->lfStatusFont);
  pos = ParseFont(pos, &metrics->lfMessageFont);
  return pos && metrics->cbSize == kNonclientMetricsBytes;
}

void FormatMetricInt(std::string* out, uint32_t field) {
  FormatByte(out, static_cast<uint8_t>(field & 255));
  FormatByte(out, static_cast<uint8_t>((field >> 8) & 255));
  FormatByte(out, static_cast<uint8_t>((field >> 16) & 255));
  FormatByte(out, static_cast<uint8_t>(field >> 24));
}

void FormatLogFont(std::string* out, const ThemeLogFont& font) {
  FormatMetricInt(out, static_cast<uint32_t>(font.lfHeight));
  FormatMetricInt(out, static_cast<uint32_t>(font.lfWidth));
  FormatMetricInt(out, static_cast<uint32_t>(font.lfEscapement));
  FormatMetricInt(out, static_cast<uint32_t>(font.lfOrientation));
  FormatMetricInt(out, static_cast<uint32_t>(font.lfWeight));
  FormatByte(out, font.lfItalic);
  FormatByte(out, font.lfUnderline);
  FormatByte(out, font.lfStrikeOut);
  FormatByte(out, font.lfCharSet);
  FormatByte(out, font.lfOutPrecision);
  FormatByte(out, font.lfClipPrecision);
  FormatByte(out, font.lfQuality);
  FormatByte(out, font.lfPitchAndFamily);
  for (char c : font.lfFaceName) FormatByte(out, static_cast<uint8_t>(c));
}

void FormatIconMetrics(std::string* out, const ThemeIconMetrics& metrics) {
  FormatMetricInt(out, metrics.cbSize);
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iHorzSpacing));
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iVertSpacing));
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iTitleWrap));
  FormatLogFont(out, metrics.lfFont);
}

void FormatNonclientMetrics(std::string* out, const ThemeNonclientMetrics& metrics) {
  FormatMetricInt(out, metrics.cbSize);
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iBorderWidth));
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iScrollWidth));
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iScrollHeight));
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iCaptionWidth));
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iCaptionHeight));
  FormatLogFont(out, metrics.lfCaptionFont);
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iSmCaptionWidth));
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iSmCaptionHeight));
  FormatLogFont(out, metrics.lfSmCaptionFont);
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iMenuWidth));
  FormatMetricInt(out, static_cast<uint32_t>(metrics.iMenuHeight));
  FormatLogFont(out, metrics.lfMenuFont);
  FormatLogFont(out, metrics.lfStatusFont);
  FormatLogFont(out, metrics.lfMessageFont);
}
