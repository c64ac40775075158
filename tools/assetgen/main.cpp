// assetgen: makes the package's product data from the recipes in this
// folder. Every verb is deterministic: the same sources give the same bytes.
//
//   assetgen paint NAME OUT.png [--text DIR]   one painted picture
//   assetgen about OUTDIR --pictures DIR --text DIR [--lists DIR] [--preview OUT.png]
//   assetgen icons OUTDIR [--lists DIR]        switcher and desktop icons
//   assetgen pointers OUTDIR [--lists DIR]     the pointers of every colour
//   assetgen sounds OUTDIR [--lists DIR]       the sounds of every colour
//   assetgen themes OUTDIR [--lists DIR]       the five theme files
//   assetgen sheet OUT.png                     icons and pointers enlarged, to look at
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "verbs.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: assetgen paint NAME OUT.png [--text DIR]\n"
               "       assetgen about OUTDIR --pictures DIR --text DIR [--lists DIR]"
               " [--preview OUT.png]\n"
               "       assetgen icons|pointers|sounds|themes OUTDIR [--lists DIR]\n"
               "       assetgen sheet OUT.png\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string verb = argv[1];
  // Positional arguments, then options as --name value.
  std::vector<std::string> positional;
  Options options;
  for (int i = 2; i < argc; ++i) {
    if (std::strncmp(argv[i], "--", 2) == 0) {
      if (i + 1 >= argc) return Usage();
      options[argv[i] + 2] = argv[i + 1];
      ++i;
    } else {
      positional.push_back(argv[i]);
    }
  }
  const size_t count = positional.size();
  if (verb == "paint" && count == 2) return RunPaint(positional[0], positional[1], options);
  if (verb == "about" && count == 1) return RunAbout(positional[0], options);
  if (verb == "icons" && count == 1) return RunIcons(positional[0], options);
  if (verb == "pointers" && count == 1) return RunPointers(positional[0], options);
  if (verb == "sounds" && count == 1) return RunSounds(positional[0], options);
  if (verb == "themes" && count == 1) return RunThemes(positional[0], options);
  if (verb == "sheet" && count == 1) return RunSheet(positional[0]);
  return Usage();
}
