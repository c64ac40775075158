#include "namefix/name_list.h"

#include <cstdio>

std::string NumberName(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", n);
  return text;
}

ForwardPlan PlanForwardRun(const std::vector<std::string>& topFiles,
                           const std::vector<std::string>& subFiles, size_t tableSize) {
  ForwardPlan plan;
  int count = 0;
  auto add = [&](const std::string& name, bool inSubfolder) {
    // A name whose list line the back run would refuse is left alone.
    const std::string line = inSubfolder ? kSubfolderPrefix + name : name;
    if (static_cast<size_t>(count) >= tableSize || line.size() > kMaxListLine) return;
    plan.listText += line;
    plan.listText += '\n';
    plan.renames.push_back({inSubfolder, name, NumberName(count)});
    ++count;
  };
  for (const std::string& name : topFiles) add(name, false);
  for (const std::string& name : subFiles) add(name, true);
  return plan;
}

bool IsNameInsideFolder(std::string_view name) {
  if (name.empty() || name.front() == '\\' || name.front() == '/') return false;
  if (name.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

std::vector<BackRename> PlanBackRun(std::string_view listText) {
  std::vector<BackRename> renames;
  int k = 0;
  size_t start = 0;
  while (start < listText.size() && k < static_cast<int>(kNameTableSize)) {
    size_t end = listText.find('\n', start);
    if (end == std::string_view::npos) end = listText.size();
    std::string_view line = listText.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const int number = k++;
    if (line.size() > kMaxListLine || !IsNameInsideFolder(line)) continue;
    std::string from = number < kTopFolderLines ? "" : kSubfolderPrefix;
    renames.push_back({from + NumberName(number), std::string(line)});
  }
  return renames;
}
