// An open stdio file that is closed when its owner goes, on every exit path.
// Portable: the codec, the native tools and the Win32 programs share it.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

class StdioFile {
 public:
  StdioFile() = default;
  StdioFile(const char* path, const char* mode) : file_(std::fopen(path, mode)) {}
  // Takes over a file opened elsewhere (null for none).
  explicit StdioFile(std::FILE* file) : file_(file) {}
  ~StdioFile() { Close(); }
  StdioFile(const StdioFile&) = delete;
  StdioFile& operator=(const StdioFile&) = delete;
  StdioFile(StdioFile&& other) noexcept : file_(other.release()) {}
  StdioFile& operator=(StdioFile&& other) noexcept {
    reset(other.release());
    return *this;
  }

  // fclose's result (a write can fail only here), 0 when nothing was open.
  int Close() {
    int rc = file_ ? std::fclose(file_) : 0;
    file_ = nullptr;
    return rc;
  }
  // Closes the current file, if any, and keeps file instead.
  void reset(std::FILE* file = nullptr) {
    Close();
    file_ = file;
  }
  std::FILE* release() { return std::exchange(file_, nullptr); }
  std::FILE* get() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
};

// Appends the whole of a text file (read in text mode) to *text. False when
// it cannot be opened or a read fails.
inline bool ReadTextFile(const char* path, std::string* text) {
  StdioFile file(path, "rt");
  if (!file) return false;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) text->append(buffer, n);
  return !std::ferror(file.get());
}
