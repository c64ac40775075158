// The five colours of the game, in the order the switcher shows them
// (white at the top of its pentagon, the others clockwise).
#pragma once

#include "canvas.h"

enum class Colour { kWhite, kBlue, kBlack, kRed, kGreen };
constexpr int kColourKindCount = 5;
constexpr Colour kColours[kColourKindCount] = {Colour::kWhite, Colour::kBlue, Colour::kBlack,
                                               Colour::kRed, Colour::kGreen};

// One of five per-colour values, chosen by the colour.
template <typename T>
const T& ByColour(Colour colour, const T& white, const T& blue, const T& black, const T& red,
                  const T& green) {
  switch (colour) {
    case Colour::kBlue:
      return blue;
    case Colour::kBlack:
      return black;
    case Colour::kRed:
      return red;
    case Colour::kGreen:
      return green;
    case Colour::kWhite:
      break;
  }
  return white;
}

// "WHITE": resource names, art names, theme file names.
const char* ColourWord(Colour colour);
// "White": file names inside the theme folder, scheme names.
const char* ColourTitle(Colour colour);

// A colour's signature tones, shared by icons, cursors and the About picture.
struct ColourTones {
  Rgb base;        // the emblem disc
  Rgb light;       // its highlight
  Rgb deep;        // its rim
  Rgb outline;     // the dark line around things
  Rgb symbol;      // the emblem's figure
  Rgb symbolLit;   // the figure's lit side
  Rgb symbolLine;  // the figure's outline
};
const ColourTones& TonesOf(Colour colour);
