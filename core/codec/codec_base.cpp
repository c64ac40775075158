#include "codec/codec_base.h"

#include <cstdarg>
#include <cstdio>
#include <new>
#include <utility>

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

namespace {

// Takes bytes from budget (none: nothing to take). False when it has no room.
bool Charge(MemoryBudget* budget, size_t bytes, BudgetCharge* charge) {
  if (!budget) return true;
  if (bytes > budget->limit || budget->live > budget->limit - bytes) {
    budget->refused = true;
    return false;
  }
  budget->refused = false;
  budget->live += bytes;
  if (budget->live > budget->peak) budget->peak = budget->live;
  *charge = BudgetCharge(budget, bytes);
  return true;
}

}  // namespace

bool AllocateBytes(ByteBuffer* buffer, size_t size, bool zeroFill, MemoryBudget* budget) {
  buffer->bytes.reset();
  buffer->size = 0;
  buffer->charge = BudgetCharge();
  if (size > kMaxAllocation || !AllocationAllowed(size)) return false;
  // Never zero bytes: callers index data() freely once this succeeds.
  size_t n = size ? size : 1;
  BudgetCharge charge;
  if (!Charge(budget, n, &charge)) return false;
  buffer->bytes.reset(zeroFill ? new (std::nothrow) uint8_t[n]() : new (std::nothrow) uint8_t[n]);
  if (!buffer->bytes) return false;
  buffer->size = size;
  buffer->charge = std::move(charge);
  return true;
}

bool AllocateInts(IntBuffer* buffer, size_t count, bool zeroFill, MemoryBudget* budget) {
  buffer->values.reset();
  buffer->size = 0;
  buffer->charge = BudgetCharge();
  if (count > kMaxAllocation / sizeof(int32_t) || !AllocationAllowed(count * sizeof(int32_t))) {
    return false;
  }
  size_t n = count ? count : 1;
  BudgetCharge charge;
  if (!Charge(budget, n * sizeof(int32_t), &charge)) return false;
  buffer->values.reset(zeroFill ? new (std::nothrow) int32_t[n]() : new (std::nothrow) int32_t[n]);
  if (!buffer->values) return false;
  buffer->size = count;
  buffer->charge = std::move(charge);
  return true;
}

void SetFileOpenHook(FileOpenHook hook, void* user) {
  g_fileOpenHook = hook;
  g_fileOpenHookUser = user;
}

std::FILE* OpenCodecFile(const char* path, const char* mode) {
  return g_fileOpenHook ? g_fileOpenHook(path, mode, g_fileOpenHookUser) : std::fopen(path, mode);
}
