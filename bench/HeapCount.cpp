#include "bench/HeapCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> g_inUse{0};
std::atomic<size_t> g_peak{0};
// Every block carries its size in front of it, so delete can account for it.
constexpr size_t kHeader = alignof(std::max_align_t);
}  // namespace

namespace HeapCount {
size_t InUse() { return g_inUse.load(); }
size_t Peak() { return g_peak.load(); }
void ResetPeak() { g_peak = g_inUse.load(); }
}  // namespace HeapCount

void* operator new(size_t n) {
  void* p = std::malloc(n + kHeader);
  if (p == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(p) = n;
  size_t now = g_inUse += n;
  size_t peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(p) + kHeader;
}

void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  char* base = static_cast<char*>(p) - kHeader;
  g_inUse -= *reinterpret_cast<size_t*>(base);
  std::free(base);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }
