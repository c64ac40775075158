// The name restorer's list file ("FNames.txt") and its two runs, worked out
// from plain listings and text; the program lists the folders and renames.
//
// The list holds one line per renamed file in renaming order: the bare names
// of the themes folder's files, then "tavol/<name>" for those of its
// subfolder. Line n is the own name of the file numbered n ("%06d"). The back
// run takes lines 0 to 5 as top-folder names and later lines as subfolder
// names: a list matches the folders only when the top folder held six files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The names the forward run can number, and so the most the back run
// restores (000000 to 000999).
inline constexpr size_t kNameTableSize = 1000;
// Lines taken as top-folder names by the back run.
inline constexpr int kTopFolderLines = 6;
// A list line names a path of at most 260 characters; a longer one names no
// file the forward run wrote.
inline constexpr size_t kMaxListLine = 260;

inline constexpr char kListFileName[] = "FNames.txt";
inline constexpr char kSubfolderName[] = "Tavol";
inline constexpr char kSubfolderPrefix[] = "tavol/";

// "%06d".
std::string NumberName(int n);

struct ForwardRename {
  bool inSubfolder;
  std::string name;    // the own name
  std::string number;  // the new name
};

struct ForwardPlan {
  std::string listText;  // lines ending in '\n' (written in text mode)
  std::vector<ForwardRename> renames;
};

// The forward run for the files of the top folder and of its subfolder, in
// listing order. The numbering goes on from the top folder into the
// subfolder; names past the table's end, and names whose list line would be
// longer than kMaxListLine, are neither numbered nor listed.
ForwardPlan PlanForwardRun(const std::vector<std::string>& topFiles,
                           const std::vector<std::string>& subFiles,
                           size_t tableSize = kNameTableSize);

// A rename of the back run, both names relative to the themes folder.
struct BackRename {
  std::string from;  // "000003" or "tavol/000007"
  std::string to;    // the list line
};

// The back run for a list's text (as read in text mode). Blank lines are
// passed over; every other line takes the next number, up to 999, and the
// run ends at the end of the text. A line that cannot be a name the forward
// run wrote (longer than kMaxListLine, or a path leading out of the themes
// folder) keeps its number but is not renamed to.
std::vector<BackRename> PlanBackRun(std::string_view listText);

// A name relative to the themes folder that stays inside it: not empty, no
// drive, no leading separator, no ".." part.
bool IsNameInsideFolder(std::string_view name);
