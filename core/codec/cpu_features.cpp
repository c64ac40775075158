#include "codec/cpu_features.h"

#include <atomic>

namespace {

std::atomic<bool> g_wideAllowed{true};

bool ProcessorHasAvx2() {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
  // Also true only when the system saves the wide registers. Run during
  // static initialisation, perhaps before libgcc's own constructor has
  // looked at the processor.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// Asked once, before main: every thread that decodes reads it, and the
// programs' statics have no guard (no locks on Windows 95).
const bool g_hasAvx2 = ProcessorHasAvx2();

}  // namespace

bool WideVectorsAvailable() {
  return g_hasAvx2 && g_wideAllowed.load(std::memory_order_relaxed);
}

void AllowWideVectors(bool allowed) {
  g_wideAllowed.store(allowed, std::memory_order_relaxed);
}
