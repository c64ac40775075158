#include "asset_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

const char* const kColourWords[5] = {"WHITE", "BLUE", "BLACK", "RED", "GREEN"};
const char* const kColourTitles[5] = {"White", "Blue", "Black", "Red", "Green"};

std::string AssetsOut() {
  return LUMIVEX_ASSETS_OUT;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  std::fclose(f);
  return bytes;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (FileExists(folder + "/" + name)) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

uint32_t U16At(const std::vector<uint8_t>& b, size_t at) {
  if (at + 2 > b.size()) return 0;
  return b[at] | (b[at + 1] << 8);
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  if (at + 4 > b.size()) return 0;
  return U16At(b, at) | (U16At(b, at + 2) << 16);
}
