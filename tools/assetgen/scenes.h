// The painted pictures of the package, by art name: the five wallpapers
// ("WHITE" ... "GREEN", 1024 x 768), the screen saver's logo picture and five
// card arts ("w-logo", "0340", "0893", "0930", "0793", "0731", 576 x 432),
// its caption mask ("spot", 320 x 258) and its two corner logos ("logo1",
// "logo3", 128 x 64).
#pragma once

#include <string>

#include "canvas.h"
#include "shapes.h"

struct SceneInputs {
  std::string textDir;  // the rendered text masks (<name>.ppm)
};

bool PaintScene(const std::string& name, const SceneInputs& inputs, Canvas* canvas,
                std::string* error);

// One painter per family, each with the names it knows.
bool PaintWallpaper(const std::string& name, Canvas* canvas);
bool PaintCard(const std::string& name, Canvas* canvas);
bool PaintMark(const std::string& name, const SceneInputs& inputs, Canvas* canvas,
               std::string* error);

// The raven of the game's name, a silhouette in unit coordinates (about 1 x
// 0.9, facing left, perched with its feet at y = 0.86).
float SdRaven(Vec2 q);
