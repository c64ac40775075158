// One painted picture, written as a PNG for the art encoder.
#include "scenes.h"
#include "verbs.h"

bool PaintScene(const std::string& name, const SceneInputs& inputs, Canvas* canvas,
                std::string* error) {
  if (PaintWallpaper(name, canvas) || PaintCard(name, canvas)) return true;
  if (PaintMark(name, inputs, canvas, error)) return true;
  if (error->empty()) *error = "no picture called " + name;
  return false;
}

int RunPaint(const std::string& name, const std::string& out, const Options& options) {
  SceneInputs inputs;
  auto text = options.find("text");
  if (text != options.end()) inputs.textDir = text->second;
  Canvas canvas;
  std::string error;
  if (!PaintScene(name, inputs, &canvas, &error)) return Fail(error);
  if (!SaveCanvas(canvas, out, &error)) return Fail(error);
  return 0;
}
