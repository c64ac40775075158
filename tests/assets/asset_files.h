// Reading the files under assets-out for the checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The tree the build made.
std::string AssetsOut();

// The whole file, or empty when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::string& path);
bool FileExists(const std::string& path);

// Names of the regular files in a folder (not recursive), sorted.
std::vector<std::string> ListFolder(const std::string& folder);
bool EndsWith(const std::string& text, const std::string& suffix);

// Little-endian fields of a byte vector; 0 past its end.
uint32_t U16At(const std::vector<uint8_t>& b, size_t at);
uint32_t U32At(const std::vector<uint8_t>& b, size_t at);

// The five colour words and their titles, in the switcher's order.
extern const char* const kColourWords[5];
extern const char* const kColourTitles[5];
