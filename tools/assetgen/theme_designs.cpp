#include "theme_designs.h"

#include <cmath>

// Key order: ActiveTitle, Background, Hilight, HilightText, TitleText, Window,
// WindowText, Scrollbar, InactiveTitle, Menu, WindowFrame, MenuText,
// ActiveBorder, InactiveBorder, AppWorkspace, ButtonFace, ButtonShadow,
// GrayText, ButtonText, InactiveTitleText, ButtonHilight, ButtonDkShadow,
// ButtonLight, InfoText, InfoWindow.
namespace {

// Ivory and gilt: parchment faces, bronze captions, warm ink.
const ThemeDesign kWhite = {
    Colour::kWhite,
    {0x76581C, 0xD8D0BC, 0x8A6420, 0xFFFFFF, 0xFFFCF0, 0xFFFDF6, 0x2A2418, 0xEEE8DA, 0xD6CCB4,
     0xF2ECDE, 0x3A3020, 0x2A2418, 0xE6DECA, 0xE6DECA, 0xB8AE98, 0xE6DECA, 0xA49878, 0x8C8064,
     0x221C10, 0x4A4030, 0xFFFFFA, 0x4A4030, 0xF2ECDE, 0x2A2010, 0xFFF6DA},
    {{"Tahoma", 12, 700},
     {"Tahoma", 11, 700},
     {"Tahoma", 11, 400},
     {"Tahoma", 11, 400},
     {"Tahoma", 11, 400},
     {"Tahoma", 11, 400}},
    {1, 16, 20, 20, 14, 16, 19, 19, 75}};

// Sea and sky: deep-water captions over pale spray-blue faces.
const ThemeDesign kBlue = {
    Colour::kBlue,
    {0x134A8C, 0x1A4E84, 0x1E5CA8, 0xFFFFFF, 0xFFFFFF, 0xFAFCFF, 0x0C1A30, 0xE2ECF6, 0xA8BED8,
     0xDCE6F2, 0x0A1A30, 0x0C1A30, 0xCCDAEA, 0xCCDAEA, 0x7894B4, 0xCCDAEA, 0x7C94B2, 0x5E728C,
     0x0A1628, 0x16283E, 0xF6FAFF, 0x1A2A40, 0xE2ECF6, 0x0C1A30, 0xE4F2FF},
    {{"Tahoma", 13, 700},
     {"Tahoma", 11, 700},
     {"Tahoma", 12, 400},
     {"Tahoma", 11, 400},
     {"Tahoma", 12, 400},
     {"Tahoma", 11, 400}},
    {1, 17, 22, 22, 15, 17, 20, 20, 77}};

// Night and obsidian: black-violet captions and silver, pale slate faces.
const ThemeDesign kBlack = {
    Colour::kBlack,
    {0x1A1424, 0x0C0A12, 0x3A2A5C, 0xFFFFFF, 0xE8E2F4, 0xF0EEF4, 0x0A080E, 0xCCC8D6, 0x6A6478,
     0xC4C0CE, 0x000000, 0x0A080E, 0xB4B0C0, 0xB4B0C0, 0x4A4658, 0xB4B0C0, 0x6E6A7C, 0x5C5868,
     0x08060C, 0xF4F0FF, 0xE6E2EE, 0x16141C, 0xCCC8D6, 0xEEEAF6, 0x2A2436},
    {{"MS Sans Serif", 11, 700},
     {"MS Sans Serif", 11, 700},
     {"MS Sans Serif", 11, 400},
     {"MS Sans Serif", 11, 400},
     {"MS Sans Serif", 11, 400},
     {"MS Sans Serif", 11, 400}},
    {2, 16, 18, 18, 13, 16, 18, 18, 75}};

// Fire and ash: ember captions, ash-rose faces, charcoal text.
const ThemeDesign kRed = {
    Colour::kRed,
    {0x8E1A0C, 0x5A1008, 0xA4240E, 0xFFFFFF, 0xFFF0D8, 0xFFFAF4, 0x2A0A02, 0xEEDCD2, 0xD0A898,
     0xEADAD0, 0x2A0602, 0x260800, 0xDCC6BA, 0xDCC6BA, 0x9A5A48, 0xDCC6BA, 0xA4806E, 0x84604E,
     0x200600, 0x3A1006, 0xFFF6EE, 0x3A1006, 0xEADAD0, 0x2A0A00, 0xFFEAC8},
    {{"Tahoma", 12, 700},
     {"Tahoma", 11, 700},
     {"Tahoma", 11, 400},
     {"Tahoma", 11, 400},
     {"Tahoma", 12, 400},
     {"Tahoma", 11, 400}},
    {1, 16, 20, 20, 14, 16, 19, 19, 75}};

// Forest: moss captions, lichen faces, bark-dark text.
const ThemeDesign kGreen = {
    Colour::kGreen,
    {0x1E5A28, 0x183C1C, 0x2A7034, 0xFFFFFF, 0xFBFFF0, 0xFCFFF6, 0x122008, 0xE2ECD8, 0xAEC4A0,
     0xDDE8D2, 0x0E2008, 0x102006, 0xCEDCC2, 0xCEDCC2, 0x6E8A60, 0xCEDCC2, 0x84A070, 0x5E7650,
     0x0E1C06, 0x1C3014, 0xF6FCF0, 0x1E3016, 0xE2ECD8, 0x122008, 0xEEF8DC},
    {{"Tahoma", 12, 700},
     {"Tahoma", 11, 700},
     {"Tahoma", 12, 400},
     {"Tahoma", 11, 400},
     {"Tahoma", 12, 400},
     {"Tahoma", 12, 400}},
    {1, 16, 20, 20, 14, 16, 20, 20, 77}};

double Channel(uint32_t c) {
  const double v = c / 255.0;
  return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Luminance(uint32_t rgb) {
  return 0.2126 * Channel((rgb >> 16) & 255) + 0.7152 * Channel((rgb >> 8) & 255) +
         0.0722 * Channel(rgb & 255);
}

}  // namespace

const ContrastPair kContrastPairs[kContrastPairCount] = {
    {"WindowText", "Window"},
    {"TitleText", "ActiveTitle"},
    {"InactiveTitleText", "InactiveTitle"},
    {"MenuText", "Menu"},
    {"HilightText", "Hilight"},
    {"ButtonText", "ButtonFace"},
    {"InfoText", "InfoWindow"},
};

const ThemeDesign& DesignOf(Colour colour) {
  return ByColour(colour, kWhite, kBlue, kBlack, kRed, kGreen);
}

double ContrastRatio(uint32_t a, uint32_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
