// Status, error record and exception-free buffers shared by every layer of
// the art codec.
//
// Nothing in the codec throws or ends the process. A routine that can fail
// returns a CodecStatus and leaves the details in a CodecError: the module
// ("D42SAVE" for art, scaling and spot; "PALETTE" for colour tables and
// dithering), the source line of the check and a message, worded so that a
// program can hand module, line and message to its assertion reporter as
// they are (for example "File %s could not be opened: EXITING\r\n").
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <atomic>
#include <memory>
#include <new>

// Every function returning a status must have it looked at. (clang-format
// takes the attribute for the start of a brace initialiser.)
// clang-format off
enum class [[nodiscard]] CodecStatus : int {
  kOk = 0,
  kCannotOpen,   // a file could not be opened
  kBadData,      // a malformed art file, stream or colour table
  kUnsupported,  // well-formed but not supported (16-piece art)
  kOutOfMemory,  // an allocation failed
  kBadArgument,  // a caller passed sizes or buffers that cannot work
  kIoError,      // the spot backup file could not be read, written or sought
  kStopped,      // the caller's cancel flag was set: the work ended early, its output is incomplete
};
// clang-format on

constexpr const char kArtModule[] = "D42SAVE";
constexpr const char kPaletteModule[] = "PALETTE";

// One operation's failure. Each public routine clears the record when it
// starts; within the operation the first failure recorded stays (the root
// cause), and checks that fail later while it unwinds leave it alone.
struct CodecError {
  CodecStatus status = CodecStatus::kOk;
  const char* module = "";  // kArtModule or kPaletteModule
  int line = 0;             // source line of the failed check
  char message[512] = {};   // printf-formatted, may end in "\r\n"
};

#if defined(__GNUC__) && !defined(__MINGW32__)
#define LUMIVEX_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define LUMIVEX_PRINTF(fmt, args)
#endif

// Records a failure in error (when not null and nothing is recorded yet) and
// returns status, so a check reads
// `return SetCodecError(err, CodecStatus::kBadData, kArtModule, __LINE__, ...)`.
CodecStatus SetCodecError(CodecError* error, CodecStatus status, const char* module, int line,
                          const char* format, ...) LUMIVEX_PRINTF(5, 6);

// Resets error to kOk with an empty message.
void ClearCodecError(CodecError* error);

// A caller's request to stop, read between pieces and rows of the long
// operations (decoding, scaling, colour reduction). Once it reads true the
// operation returns kStopped at once, leaving its output incomplete.
inline bool StopRequested(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

// Records the stop: status kStopped, "Stopped" with the module and line.
CodecStatus StoppedError(CodecError* error, const char* module, int line);

// The codec's own text of a failed allocation: module, then line.
constexpr const char kOutOfMemoryFormat[] = "Out of memory allocating from file %s, line %d\n";

// A failed allocation: format (printf, %s the module then %d the line; null
// for kOutOfMemoryFormat) filled in with module and line.
CodecStatus OutOfMemoryError(CodecError* error, const char* module, int line,
                             const char* format = nullptr);

// Largest single allocation the codec asks for. Keeps 32-bit size_t sums
// safe and turns absurd header values into errors before any allocation.
constexpr uint64_t kMaxAllocation = 1u << 30;

// Most memory one context's buffers may hold at once: everything a decode,
// a scaling or the spot mask has live together (the record's payload, the
// stream, coefficients, scratch planes, decoded and scaled pictures, the
// results the caller still holds). The largest art (4096 x 4096) scaled to
// a 7680 x 4320 screen needs about 260 MiB.
constexpr uint64_t kMaxContextMemory = 384u << 20;

// The bytes charged to one context, and what refused an allocation.
struct MemoryBudget {
  uint64_t limit = kMaxContextMemory;
  uint64_t live = 0;     // charged now
  uint64_t peak = 0;     // most charged at once (tests reset it to live)
  bool refused = false;  // the last refusal was this budget's, not the system's
};

// A buffer's charge, given back when the buffer goes (or is moved over).
class BudgetCharge {
 public:
  BudgetCharge() = default;
  BudgetCharge(MemoryBudget* budget, size_t bytes) : budget_(budget), bytes_(bytes) {}
  BudgetCharge(BudgetCharge&& other) noexcept : budget_(other.budget_), bytes_(other.bytes_) {
    other.budget_ = nullptr;
  }
  BudgetCharge& operator=(BudgetCharge&& other) noexcept {
    if (this != &other) {
      Release();
      budget_ = other.budget_;
      bytes_ = other.bytes_;
      other.budget_ = nullptr;
    }
    return *this;
  }
  ~BudgetCharge() { Release(); }

 private:
  void Release() {
    if (budget_) budget_->live -= bytes_;
    budget_ = nullptr;
  }
  MemoryBudget* budget_ = nullptr;
  size_t bytes_ = 0;
};

// A byte buffer that is allocated without exceptions: sizes come from
// untrusted files, so a failed allocation must be an error, not bad_alloc.
// A buffer charged to a context's budget must go before the context.
struct ByteBuffer {
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;
  BudgetCharge charge;

  uint8_t* data() { return bytes.get(); }
  const uint8_t* data() const { return bytes.get(); }
  bool empty() const { return size == 0; }
};

// Replaces the buffer's contents with size bytes (zero-filled when asked),
// charged to budget when one is given. False, with the buffer emptied, when
// the memory is not there or the budget has no room for it.
bool AllocateBytes(ByteBuffer* buffer, size_t size, bool zeroFill, MemoryBudget* budget = nullptr);

// The same for arrays of 32-bit values (coefficient planes, error rows).
struct IntBuffer {
  std::unique_ptr<int32_t[]> values;
  size_t size = 0;
  BudgetCharge charge;

  int32_t* data() { return values.get(); }
  const int32_t* data() const { return values.get(); }
};
bool AllocateInts(IntBuffer* buffer, size_t count, bool zeroFill, MemoryBudget* budget = nullptr);

// Test seam: every allocation made through AllocateBytes, AllocateInts and
// AllocateArray is shown to the hook first (its size in bytes); returning
// false makes it fail as if the memory were not there. Null (the default)
// allows everything. The hook is process-wide and unsynchronised: only tests
// set it, around single-threaded calls.
using AllocationHook = bool (*)(size_t bytes, void* user);
void SetAllocationHook(AllocationHook hook, void* user);

// Whether an allocation of that many bytes may go ahead (the hook's answer).
bool AllocationAllowed(size_t bytes);

// Arrays of other element types (the encoder's planes of doubles), allocated
// the same way: no exceptions, the hook asked first, nothing zeroed.
template <typename T>
bool AllocateArray(std::unique_ptr<T[]>* array, size_t count) {
  array->reset();
  if (count > kMaxAllocation / sizeof(T) || !AllocationAllowed(count * sizeof(T))) return false;
  array->reset(new (std::nothrow) T[count ? count : 1]);
  return *array != nullptr;
}

// Every file the codec opens (art files, colour tables, the spot backup)
// goes through OpenCodecFile. Test seam: a hook set here sees the path and
// mode instead of std::fopen (null, the default, is std::fopen). Process-wide
// and unsynchronised, like the allocation hook.
using FileOpenHook = std::FILE* (*)(const char* path, const char* mode, void* user);
void SetFileOpenHook(FileOpenHook hook, void* user);
std::FILE* OpenCodecFile(const char* path, const char* mode);
