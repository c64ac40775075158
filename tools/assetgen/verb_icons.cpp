// The switcher's icons, the desktop icons and the pointers.
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#include "pictures.h"
#include "verbs.h"

bool MakeDirectories(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteList(const std::string& outDir, const Options& options, const std::string& list,
               const std::vector<std::string>& names) {
  auto lists = options.find("lists");
  const std::string dir = lists != options.end() ? lists->second : outDir;
  if (!MakeDirectories(dir)) return false;
  std::string text;
  for (const std::string& n : names) text += n + "\n";
  return WriteFileBytes(dir + "/" + list, std::vector<uint8_t>(text.begin(), text.end()), nullptr);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "assetgen: %s\n", message.c_str());
  return 1;
}

int RunIcons(const std::string& outDir, const Options& options) {
  std::vector<std::string> made;
  std::string error;
  if (!MakeDirectories(outDir + "/switcher") || !MakeDirectories(outDir + "/saver") ||
      !MakeDirectories(outDir + "/themes/Tavol")) {
    return Fail("cannot make the folders under " + outDir);
  }
  auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
    if (!WriteFileBytes(outDir + "/" + name, bytes, &error)) return false;
    made.push_back(name);
    return true;
  };
  for (Colour c : kColours) {
    if (!write(std::string("switcher/") + ColourWord(c) + ".ico",
               IconFileFor(EmblemIcon(c, 32), EmblemIcon(c, 16)))) {
      return Fail(error);
    }
  }
  if (!write("switcher/Balls.ico", IconFileFor(BallsIcon(32), BallsIcon(16)))) return Fail(error);
  if (!write("saver/Tavol.ico", IconFileFor(SaverIcon(32), SaverIcon(16)))) return Fail(error);
  for (Colour c : kColours) {
    for (DesktopObject object : kDesktopObjects) {
      const std::string name =
          std::string("themes/Tavol/") + ColourTitle(c) + " " + DesktopObjectName(object) + ".ico";
      if (!write(name, IconFileFor(DesktopIcon(c, object, 32), DesktopIcon(c, object, 16)))) {
        return Fail(error);
      }
    }
  }
  return WriteList(outDir, options, "icons.list", made) ? 0 : Fail("cannot write icons.list");
}

int RunPointers(const std::string& outDir, const Options& options) {
  std::vector<std::string> made;
  std::string error;
  if (!MakeDirectories(outDir + "/themes/Tavol")) return Fail("cannot make " + outDir);
  for (Colour c : kColours) {
    for (int i = 0; i < kPointerCount; ++i) {
      Hotspot hotspot;
      const Layer picture = PointerPicture(c, i, &hotspot);
      const std::string name =
          std::string("themes/Tavol/") + ColourTitle(c) + " " + kPointers[i].fileName + ".cur";
      if (!WriteFileBytes(outDir + "/" + name, PointerFileFor(picture, hotspot), &error)) {
        return Fail(error);
      }
      made.push_back(name);
    }
  }
  return WriteList(outDir, options, "pointers.list", made) ? 0 : Fail("cannot write pointers.list");
}

// A contact sheet: every small picture at four times its size on a light
// and a dark background, so they can be looked at.
int RunSheet(const std::string& out) {
  const int zoom = 4;
  const int cell = 36 * zoom;
  std::vector<std::vector<Layer>> rows;
  std::vector<Layer> top;
  for (Colour c : kColours) top.push_back(EmblemIcon(c, 32));
  top.push_back(BallsIcon(32));
  top.push_back(SaverIcon(32));
  for (Colour c : kColours) top.push_back(EmblemIcon(c, 16));
  top.push_back(BallsIcon(16));
  top.push_back(SaverIcon(16));
  rows.push_back(top);
  for (Colour c : kColours) {
    std::vector<Layer> row;
    for (DesktopObject object : kDesktopObjects) row.push_back(DesktopIcon(c, object, 32));
    for (DesktopObject object : kDesktopObjects) row.push_back(DesktopIcon(c, object, 16));
    rows.push_back(row);
  }
  for (Colour c : kColours) {
    std::vector<Layer> row;
    for (int i = 0; i < kPointerCount; ++i) {
      Hotspot h;
      row.push_back(PointerPicture(c, i, &h));
    }
    rows.push_back(row);
  }
  size_t columns = 0;
  for (const auto& r : rows) columns = std::max(columns, r.size());
  Canvas sheet(static_cast<int>(columns) * cell, static_cast<int>(rows.size()) * cell * 2);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (int half = 0; half < 2; ++half) {
      const Rgb background = half == 0 ? Hex(0xC0C0C0) : Hex(0x203040);
      for (size_t col = 0; col < columns; ++col) {
        const int x0 = static_cast<int>(col) * cell;
        const int y0 = static_cast<int>(r * 2 + half) * cell;
        for (int y = 0; y < cell; ++y) {
          for (int x = 0; x < cell; ++x) sheet.At(x0 + x, y0 + y) = background;
        }
        if (col >= rows[r].size()) continue;
        // Show what the file holds: shown pixels with their colour, hard edged.
        const IconPicture p = PictureFromLayer(rows[r][col], 8);
        for (int y = 0; y < p.size * zoom; ++y) {
          for (int x = 0; x < p.size * zoom; ++x) {
            const size_t i = static_cast<size_t>(y / zoom) * p.size + x / zoom;
            if (p.shown[i]) sheet.At(x0 + 8 + x, y0 + 8 + y) = p.colours[i];
          }
        }
      }
    }
  }
  std::string error;
  return SaveCanvas(sheet, out, &error) ? 0 : Fail(error);
}
