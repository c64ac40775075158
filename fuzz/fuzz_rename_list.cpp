// libFuzzer target: the uninstaller's merge of its entry into an existing
// start-up rename list, with the properties it promises:
// - every line of the old list except our own older entries (lines naming
//   "qvr-kill.exe" inside a "[rename]" section) is in the output, in order,
//   exactly once (compared without line ends: a last line gets one);
// - nothing else is added but our entry, once after each "[rename]"
//   section, or a new section holding it when there was none;
// - merging again changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "uninstall/rename_list.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));  // without its '\n'
    start = end + 1;
  }
  return lines;
}

bool IsHeader(std::string_view line) {
  if (line.size() != 8) return false;
  for (size_t i = 0; i < 8; ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != "[rename]"[i]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first line (up to 200 characters) is the Windows directory; the
  // uninstaller's own file is always "<dir>\qvr-kill.exe".
  size_t cut = input.find('\n');
  if (cut == std::string_view::npos || cut > 200) cut = 0;
  const std::string ownFile = std::string(input.substr(0, cut)) + "\\qvr-kill.exe";
  const std::string_view oldText = cut ? input.substr(cut + 1) : input;
  const std::string entry = OwnRenameEntry(ownFile);

  const std::string merged = MergeRenameList(oldText, ownFile);

  // Which old lines stay: all but ours inside a section.
  const std::vector<std::string_view> in = Lines(oldText);
  std::vector<std::string_view> kept;
  int sections = 0;
  bool inSection = false;
  for (std::string_view line : in) {
    if (inSection && (line.empty() || line.front() == '[')) {
      // The line that ends a section follows our entry and is not looked at
      // again, even when it is another "[rename]".
      inSection = false;
      kept.push_back(line);
      continue;
    }
    if (inSection && line.find("qvr-kill.exe") != std::string_view::npos) continue;
    kept.push_back(line);
    if (!inSection && IsHeader(line)) {
      inSection = true;
      ++sections;
    }
  }

  // Walk the output: each line is the next kept line or an added one.
  const std::vector<std::string_view> out = Lines(merged);
  size_t next = 0;
  int entries = 0, headersAdded = 0;
  for (std::string_view line : out) {
    if (next < kept.size() && line == kept[next]) {
      ++next;
    } else if (line == entry) {
      ++entries;
    } else {
      Check(sections == 0 && line == "[rename]");
      ++headersAdded;
    }
  }
  Check(next == kept.size());
  if (sections == 0) {
    Check(headersAdded == 1 && entries == 1);
    Check(out.size() >= 2 && out[out.size() - 2] == "[rename]" && out.back() == entry);
  } else {
    Check(headersAdded == 0 && entries == sections);
  }

  Check(MergeRenameList(merged, ownFile) == merged);
  return 0;
}
