#include "colours.h"

const char* ColourWord(Colour colour) {
  switch (colour) {
    case Colour::kWhite:
      return "WHITE";
    case Colour::kBlue:
      return "BLUE";
    case Colour::kBlack:
      return "BLACK";
    case Colour::kRed:
      return "RED";
    case Colour::kGreen:
      return "GREEN";
  }
  return "";
}

const char* ColourTitle(Colour colour) {
  switch (colour) {
    case Colour::kWhite:
      return "White";
    case Colour::kBlue:
      return "Blue";
    case Colour::kBlack:
      return "Black";
    case Colour::kRed:
      return "Red";
    case Colour::kGreen:
      return "Green";
  }
  return "";
}

const ColourTones& TonesOf(Colour colour) {
  static const ColourTones kWhite = {Hex(0xE8DFC8), Hex(0xFFFFF8), Hex(0xB4A27A), Hex(0x4E4028),
                                     Hex(0xC8962E), Hex(0xFFE08A), Hex(0x6E4E12)};
  static const ColourTones kBlue = {Hex(0x2A6CC4), Hex(0x9CCBFF), Hex(0x123C7A), Hex(0x0A1E44),
                                    Hex(0xDCEEFF), Hex(0xFFFFFF), Hex(0x0A2A5C)};
  static const ColourTones kBlack = {Hex(0x35303F), Hex(0x8C8498), Hex(0x0E0C12), Hex(0x000000),
                                     Hex(0xC9C2DA), Hex(0xF4F0FF), Hex(0x1A1622)};
  static const ColourTones kRed = {Hex(0xCC2E1E), Hex(0xFF9A72), Hex(0x700E08), Hex(0x3A0400),
                                   Hex(0xFFA82E), Hex(0xFFF0A0), Hex(0x5A1000)};
  static const ColourTones kGreen = {Hex(0x2F8C3A), Hex(0x9EDC8E), Hex(0x144A1A), Hex(0x08280C),
                                     Hex(0xE2F4C4), Hex(0xFFFFF0), Hex(0x0E3A12)};
  return ByColour(colour, kWhite, kBlue, kBlack, kRed, kGreen);
}
