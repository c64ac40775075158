#include "uninstall/rename_list.h"

#include <cctype>
#include <vector>

namespace {

constexpr std::string_view kOwnProgramName = "qvr-kill.exe";

// Lines with their '\n' (the last one may have none).
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

bool IsRenameHeader(std::string_view line) {
  constexpr std::string_view kHeader = "[rename]";
  line = WithoutLineEnd(line);
  if (line.size() != kHeader.size()) return false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) != kHeader[i]) return false;
  }
  return true;
}

bool EndsSection(std::string_view line) {
  return line.front() == '[' || line.front() == '\n';
}

void EndLastLine(std::string* out) {
  if (!out->empty() && out->back() != '\n') out->push_back('\n');
}

}  // namespace

std::string OwnRenameEntry(std::string_view ownFile) {
  return "NUL=" + std::string(ownFile);
}

std::string NewRenameList(std::string_view ownFile) {
  return "[rename]\n" + OwnRenameEntry(ownFile) + "\n";
}

std::string MergeRenameList(std::string_view oldText, std::string_view ownFile) {
  const std::vector<std::string_view> lines = SplitLines(oldText);
  std::string out;
  out.reserve(oldText.size() + ownFile.size() + 16);
  bool sectionMet = false;
  size_t i = 0;
  while (i < lines.size()) {
    std::string_view line = lines[i++];
    out += line;
    if (!IsRenameHeader(line)) continue;
    sectionMet = true;
    EndLastLine(&out);
    for (; i < lines.size() && !EndsSection(lines[i]); ++i) {
      if (lines[i].find(kOwnProgramName) == std::string_view::npos) out += lines[i];
    }
    EndLastLine(&out);
    out += OwnRenameEntry(ownFile);
    out += '\n';
    // The line that ended the section follows the entry and is not looked at
    // again.
    if (i < lines.size()) out += lines[i++];
  }
  if (!sectionMet) {
    EndLastLine(&out);
    out += NewRenameList(ownFile);
  }
  return out;
}
