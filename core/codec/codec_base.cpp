#include "codec/codec_base.h"

#include <cstdarg>
#include <cstdio>
#include <new>

CodecStatus SetCodecError(CodecError* error, CodecStatus status, const char* module, int line,
                          const char* format, ...) {
  // The first failure of an operation is its cause; later ones only echo it.
  if (error && error->status == CodecStatus::kOk) {
    error->status = status;
    error->module = module;
    error->line = line;
    va_list args;
    va_start(args, format);
    std::vsnprintf(error->message, sizeof error->message, format, args);
    va_end(args);
  }
  return status;
}

void ClearCodecError(CodecError* error) {
  if (!error) return;
  error->status = CodecStatus::kOk;
  error->module = "";
  error->line = 0;
  error->message[0] = '\0';
}

CodecStatus StoppedError(CodecError* error, const char* module, int line) {
  return SetCodecError(error, CodecStatus::kStopped, module, line, "Stopped");
}

CodecStatus OutOfMemoryError(CodecError* error, const char* module, int line, const char* format) {
  // A program's own format (from its options) takes the same two arguments.
  return SetCodecError(error, CodecStatus::kOutOfMemory, module, line,
                       format ? format : kOutOfMemoryFormat, module, line);
}

namespace {

AllocationHook g_allocationHook = nullptr;
void* g_allocationHookUser = nullptr;
FileOpenHook g_fileOpenHook = nullptr;
void* g_fileOpenHookUser = nullptr;

}  // namespace

bool AllocationAllowed(size_t bytes) {
  return !g_allocationHook || g_allocationHook(bytes, g_allocationHookUser);
}

void SetAllocationHook(AllocationHook hook, void* user) {
  g_allocationHook = hook;
  g_allocationHookUser = user;
}

bool AllocateBytes(ByteBuffer* buffer, size_t size, bool zeroFill) {
  buffer->bytes.reset();
  buffer->size = 0;
  if (size > kMaxAllocation || !AllocationAllowed(size)) return false;
  // Never zero bytes: callers index data() freely once this succeeds.
  size_t n = size ? size : 1;
  buffer->bytes.reset(zeroFill ? new (std::nothrow) uint8_t[n]() : new (std::nothrow) uint8_t[n]);
  if (!buffer->bytes) return false;
  buffer->size = size;
  return true;
}

bool AllocateInts(IntBuffer* buffer, size_t count, bool zeroFill) {
  buffer->values.reset();
  buffer->size = 0;
  if (count > kMaxAllocation / sizeof(int32_t) || !AllocationAllowed(count * sizeof(int32_t))) {
    return false;
  }
  size_t n = count ? count : 1;
  buffer->values.reset(zeroFill ? new (std::nothrow) int32_t[n]() : new (std::nothrow) int32_t[n]);
  if (!buffer->values) return false;
  buffer->size = count;
  return true;
}

void SetFileOpenHook(FileOpenHook hook, void* user) {
  g_fileOpenHook = hook;
  g_fileOpenHookUser = user;
}

std::FILE* OpenCodecFile(const char* path, const char* mode) {
  return g_fileOpenHook ? g_fileOpenHook(path, mode, g_fileOpenHookUser) : std::fopen(path, mode);
}
