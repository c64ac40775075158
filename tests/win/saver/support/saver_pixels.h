// The saver's pictures as the tests see them: the screen read back, the six
// arts made by the codec the way the saver makes them, and which art the
// screen shows, judged from pixels alone.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSaverArtCount = 6;  // the logo and five card arts
extern const char* const kSaverArtNames[kSaverArtCount];

// Pixels as 0x00RRGGBB, rows top down.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// A rectangle of the screen (from the screen's DC).
bool GrabScreen(int left, int top, int width, int height, Pixels* out);
// Saves pixels as a 24-bit bitmap file.
bool SavePixelsAsBitmap(const Pixels& pixels, const std::string& path);

int ScreenBitsPerPixel();

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

// The six arts at a window size for a display depth, as the saver shows
// them: plain (its backdrop put back, or none) and with the darkened
// backdrop (before the caption is drawn on it).
class SaverArts {
 public:
  // artDir holds the product art; workDir receives the codec's "spot.sav".
  bool Make(const std::string& artDir, const std::string& workDir, int width, int height, int depth,
            std::string* why);
  int width() const { return width_; }
  int height() const { return height_; }
  const Pixels& Plain(int row) const { return plain_[row]; }
  const Pixels& Dark(int row) const { return dark_[row]; }
  // The darkened backdrop of the card arts (bottom right).
  const Rect& Backdrop() const { return backdrop_; }
  // How far apart (largest channel difference) a screen pixel and a picture
  // pixel may be on this display: 0 where the screen holds the picture's own
  // bytes (32 bits), a little for 16 bits; on 8 bits Wine shows the pictures
  // through the colours its shared colour map has, so a point is judged by
  // the nearest picture alone.
  int tolerance() const { return tolerance_; }
  bool Same(uint32_t screen, uint32_t picture) const;
  // The share of sampled points that must show an art for it to count as
  // shown whole: all of them, but for the coarse colours of 8 bits.
  double wholeShare() const { return wholeShare_; }
  // Whether a backdrop looks darkened, and whether it has given way to the
  // art's own pixels.
  bool Darkened(const struct BackdropState& b) const;
  bool Restored(const struct BackdropState& b) const;

 private:
  int width_ = 0, height_ = 0, tolerance_ = 0;
  double wholeShare_ = 1.0;
  Pixels plain_[kSaverArtCount];
  Pixels dark_[kSaverArtCount];
  Rect backdrop_;
};

// Which art a picture on screen shows. Points are sampled away from the
// backdrop and the corner logo (the top 40% of the picture).
struct ArtVotes {
  int points = 0;
  int votes[kSaverArtCount] = {};  // a point votes for the nearest arts within the tolerance
  double wholeShare = 1.0;
  // The art most points show when it is more than half of them; -1 else.
  int Majority() const;
  // The art (at least wholeShare of) the points show; -1 else.
  int Complete() const;
};
ArtVotes VoteArts(const SaverArts& arts, const Pixels& screen);
// Reads from the screen (at 0, 0) only the rows VoteArts samples, into a
// picture of the arts' size whose other rows keep what they held: a look in
// milliseconds where a whole 3840 x 2160 screen takes a third of a second,
// longer than the logo may show before the first card art.
bool GrabVotedRows(const SaverArts& arts, Pixels* screen);

// The backdrop area of a card art on screen: how many of its pixels still
// show the darkened backdrop (and not the plain art), and how many show the
// plain art; and the mean brightness of both.
// Only pixels whose plain and darkened values lie more than two tolerances
// apart are told apart: near black, darkening changes a pixel by less than
// a 16-bit screen's rounding, and such a pixel may read as either.
struct BackdropState {
  int pixels = 0;
  int distinct = 0;  // pixels the screen can tell apart
  int dark = 0;      // of those, pixels nearer the darkened art's than the plain art's
  int plain = 0;     // of those, pixels that are the plain art's (or nearer to it)
  double screenLuma = 0;
  double plainLuma = 0;
};
BackdropState LookAtBackdrop(const SaverArts& arts, int row, const Pixels& screen);
