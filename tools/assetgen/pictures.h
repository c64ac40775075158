// The small pictures of the package: the switcher's icons, the desktop icons
// and the mouse pointers of each colour.
#pragma once

#include <string>
#include <vector>

#include "colours.h"
#include "iconfile.h"
#include "shapes.h"

// The switcher's colour emblem and its program icon, size x size.
Layer EmblemIcon(Colour colour, int size);
Layer BallsIcon(int size);
// The screen saver's icon, size x size.
Layer SaverIcon(int size);

// Desktop objects of a colour's theme, size x size.
enum class DesktopObject { kComputer, kNetwork, kRecycleFull, kRecycleEmpty };
constexpr int kDesktopObjectCount = 4;
constexpr DesktopObject kDesktopObjects[kDesktopObjectCount] = {
    DesktopObject::kComputer, DesktopObject::kNetwork, DesktopObject::kRecycleFull,
    DesktopObject::kRecycleEmpty};
// "Computer", "Network", "Recycle Full", "Recycle Empty".
const char* DesktopObjectName(DesktopObject object);
Layer DesktopIcon(Colour colour, DesktopObject object, int size);

// The 14 pointers in the order the theme file lists them.
struct PointerKind {
  const char* themeKey;  // "Arrow", "Help", ...
  const char* fileName;  // "Arrow", "Help", "Working", ...
};
constexpr int kPointerCount = 14;
extern const PointerKind kPointers[kPointerCount];

// A 32 x 32 pointer and its hotspot.
Layer PointerPicture(Colour colour, int index, Hotspot* hotspot);

// The file bytes of an icon (32 and 16 pixels at 8 and 4 bits) and of a
// pointer (8-bit colour and a 1-bit picture for monochrome displays).
std::vector<uint8_t> IconFileFor(const Layer& large, const Layer& small);
std::vector<uint8_t> PointerFileFor(const Layer& picture, Hotspot hotspot);
