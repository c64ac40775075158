// Art for the tests: a synthetic picture encoded with the package's own
// encoder, with its colour table, written where the programs look for it.
#pragma once

#include <string>

// Writes dir\NAME.ART and dir\NAME.tr (a picture of width x height with
// pieces 1 or 4 and at most `colours` colours). True on success.
bool WriteTestArt(const std::string& dir, const std::string& name, int width, int height,
                  int pieces, int colours = 234);

// The Windows directory's "TAVOL" folder, created when missing.
std::string TavolArtDir();
