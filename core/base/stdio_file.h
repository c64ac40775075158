// An open stdio file that is closed when its owner goes, on every exit path.
// Portable: the codec, the native tools and the Win32 programs share it.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
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

// fwrite of a large block through a buffer of our own, a piece at a time;
// returns the bytes written, fewer when a write fails. On virtual machines
// whose host shadows the guest's page tables, the kernel's first read of
// each freshly filled page costs microseconds (7 ms for a 6 MB picture);
// the pieces pass through the same few pages instead.
inline size_t WriteInPieces(std::FILE* file, const void* bytes, size_t size) {
  constexpr size_t kPiece = 64 * 1024;
  const auto* from = static_cast<const unsigned char*>(bytes);
  std::unique_ptr<unsigned char[]> piece(size > kPiece ? new (std::nothrow) unsigned char[kPiece]
                                                       : nullptr);
  if (!piece) return std::fwrite(from, 1, size, file);  // no buffer: slower, but whole
  size_t done = 0;
  while (done < size) {
    const size_t n = size - done < kPiece ? size - done : kPiece;
    std::memcpy(piece.get(), from + done, n);
    const size_t written = std::fwrite(piece.get(), 1, n, file);
    done += written;
    if (written != n) break;
  }
  return done;
}

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
