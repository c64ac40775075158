// The name restorer's two runs on the file system. Both work with full
// paths built from the themes folder, so a folder that cannot be entered
// never leads to renaming somewhere else.
#pragma once

#include <string>

struct NamefixState {
  // The folder to work on, as given; empty when it cannot be a path (a
  // command line longer than a path is not cut to another folder's name).
  std::string themesDir;
  std::string programDir;
  std::string listPath;  // programDir + "\FNames.txt"
};

// The default folder, or the whole command line when it is not empty.
NamefixState LoadNamefixState(const char* commandLine);

// Lists the themes folder and its subfolder "Tavol", writes the list file,
// then numbers the files. Nothing is renamed when the themes folder cannot
// be entered or listed or the list cannot be written in full; a subfolder
// that cannot be entered or listed adds nothing. False when nothing ran.
bool ForwardRun(const NamefixState& state);

// Gives the numbered files their names from the list. Nothing is renamed
// when the list cannot be read or the themes folder cannot be entered.
bool BackRun(const NamefixState& state);
