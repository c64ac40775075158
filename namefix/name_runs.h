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

enum class ForwardResult {
  kDone,
  kNotRun,            // the folder could not be entered or listed, or the list written
  kNamesNotRestored,  // the list still names files numbered in the folder
};

// Lists the themes folder and its subfolder "Tavol", writes the list file,
// then numbers the files. Nothing is renamed when the themes folder cannot
// be entered or listed or the list cannot be written in full; a subfolder
// that cannot be entered or listed adds nothing. A list whose numbered files
// are still in the folder is the only record of their names: then the
// folder and the list stay as they are. The list file itself is never
// numbered, however the folder is reached (another drive, a share, a short
// name): it is known by its volume and file index.
ForwardResult ForwardRun(const NamefixState& state);

// Gives the numbered files their names from the list. Nothing is renamed
// when the list cannot be read or the themes folder cannot be entered.
bool BackRun(const NamefixState& state);
