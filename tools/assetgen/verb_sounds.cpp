// The event sounds of every colour.
#include "iconfile.h"
#include "sounds.h"
#include "verbs.h"

int RunSounds(const std::string& outDir, const Options& options) {
  std::vector<std::string> made;
  std::string error;
  if (!MakeDirectories(outDir + "/themes/Tavol")) return Fail("cannot make " + outDir);
  for (Colour c : kColours) {
    for (int i = 0; i < kSoundCount; ++i) {
      const std::string name =
          std::string("themes/Tavol/") + ColourTitle(c) + " " + kSounds[i].fileName + ".wav";
      if (!WriteFileBytes(outDir + "/" + name, EncodeWave(SynthesiseSound(c, i)), &error)) {
        return Fail(error);
      }
      made.push_back(name);
    }
  }
  return WriteList(outDir, options, "sounds.list", made) ? 0 : Fail("cannot write sounds.list");
}
