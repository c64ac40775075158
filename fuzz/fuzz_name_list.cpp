// libFuzzer target: the name restorer's list.
// - Any text as "FNames.txt" through the back run's planner: at most 1000
//   renames, numbers rising from 000000 ("tavol/" from the seventh line on),
//   and every name renamed to is a line of the list that stays inside the
//   themes folder.
// - The input's lines as the names of a folder listing (top folder, then
//   subfolder): the forward run's list read back by the back run gives every
//   numbered file its own name again when the top folder held six files,
//   and the back run takes the lines in the forward run's order anyway.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "namefix/name_list.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// What a directory listing can return as a file's name.
bool IsListedName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 255) return false;  // NTFS names
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
    if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
  }
  return true;
}

void CheckBackRun(std::string_view text) {
  const std::vector<BackRename> renames = PlanBackRun(text);
  Check(renames.size() <= kNameTableSize);
  long last = -1;
  for (const BackRename& r : renames) {
    std::string_view from = r.from;
    const bool sub = from.compare(0, 6, kSubfolderPrefix) == 0;
    if (sub) from.remove_prefix(6);
    Check(from.size() == 6 && from.find_first_not_of("0123456789") == std::string_view::npos);
    const long number = std::strtol(std::string(from).c_str(), nullptr, 10);
    Check(number > last && number < static_cast<long>(kNameTableSize));
    Check(sub == (number >= kTopFolderLines));
    last = number;
    Check(!r.to.empty() && r.to.size() <= kMaxListLine && IsNameInsideFolder(r.to));
    Check(r.to.find('\n') == std::string::npos);
    Check(text.find(r.to) != std::string_view::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckBackRun(text);

  // The lines as a listing: the first `top` valid names in the top folder.
  std::vector<std::string> names;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (IsListedName(line)) names.emplace_back(line);
    start = end + 1;
  }
  const size_t top = size ? data[0] % 9 : 6;
  std::vector<std::string> topFiles, subFiles;
  for (size_t i = 0; i < names.size(); ++i) (i < top ? topFiles : subFiles).push_back(names[i]);
  const size_t tableSize = size > 1 && data[1] == 'T' ? 7 : kNameTableSize;

  // Numbered and listed: the names whose list line the back run takes, up
  // to the table's end.
  std::vector<ForwardRename> expected;
  for (size_t i = 0; i < names.size() && expected.size() < tableSize; ++i) {
    const bool sub = i >= topFiles.size();
    if ((sub ? 6 : 0) + names[i].size() > kMaxListLine) continue;
    expected.push_back({sub, names[i], NumberName(static_cast<int>(expected.size()))});
  }
  const ForwardPlan forward = PlanForwardRun(topFiles, subFiles, tableSize);
  Check(forward.renames.size() == expected.size());
  for (size_t i = 0; i < forward.renames.size(); ++i) {
    Check(forward.renames[i].number == expected[i].number);
    Check(forward.renames[i].name == expected[i].name);
    Check(forward.renames[i].inSubfolder == expected[i].inSubfolder);
  }
  const std::vector<BackRename> back = PlanBackRun(forward.listText);
  Check(back.size() == forward.renames.size());
  for (size_t i = 0; i < back.size(); ++i) {
    const ForwardRename& f = forward.renames[i];
    const std::string line = f.inSubfolder ? kSubfolderPrefix + f.name : f.name;
    Check(back[i].to == line);
    const bool subNumber = static_cast<int>(i) >= kTopFolderLines;
    Check(back[i].from == (subNumber ? kSubfolderPrefix : "") + f.number);
    // Six files numbered on top: every file comes back under its own name,
    // where it is.
    if (std::count_if(expected.begin(), expected.end(),
                      [](const ForwardRename& e) { return !e.inSubfolder; }) == kTopFolderLines) {
      Check(subNumber == f.inSubfolder);
    }
  }
  return 0;
}
