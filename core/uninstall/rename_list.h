// The start-up rename list of Windows 95 ("wininit.ini", section
// "[rename]"), merged in memory: the uninstaller's own entry "NUL=<file>"
// goes at the end of the section, older entries of its own go.
//
// The text is as a text-mode read gives it: lines end with '\n'. A line is
// taken whole whatever its length, so a long line can never be split into
// pieces that look like a header, a blank line or an entry of ours; every
// line of the old list is copied exactly once or, when it is an older entry
// of ours, dropped.
#pragma once

#include <string>
#include <string_view>

// "NUL=" + ownFile: the entry that makes Windows delete ownFile. The target
// must be the device name "NUL": any other target, "NULL" too, is a file
// name, and the start-up rename would move ownFile to a file "NULL" in the
// Windows directory instead of deleting it.
std::string OwnRenameEntry(std::string_view ownFile);

// The whole list when there was none: "[rename]\nNUL=<ownFile>\n".
std::string NewRenameList(std::string_view ownFile);

// The old list with the entry merged in:
// - a line that is exactly "[rename]" in any letter case (a whole line: the
//   end of the file ends the last line too) starts the section;
// - the section's lines are those that do not begin with '[' or a line end;
//   lines containing "qvr-kill.exe" (that letter case) among them are
//   dropped;
// - the entry goes after the section's last line, and the line that ended
//   the section (a header or a blank line) right after it;
// - without such a section, the text stays as it was and the section with
//   the entry is appended.
// A last line without its line end gets one before anything is put after
// it, so nothing is glued onto it.
std::string MergeRenameList(std::string_view oldText, std::string_view ownFile);
