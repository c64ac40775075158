#include "codec/cpu_features.h"

#include <atomic>

namespace {

std::atomic<bool> g_wideAllowed{true};

bool ProcessorHasAvx2() {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
  // Also true only when the system saves the wide registers.
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

}  // namespace

bool WideVectorsAvailable() {
  static const bool hasAvx2 = ProcessorHasAvx2();
  return hasAvx2 && g_wideAllowed.load(std::memory_order_relaxed);
}

void AllowWideVectors(bool allowed) {
  g_wideAllowed.store(allowed, std::memory_order_relaxed);
}
