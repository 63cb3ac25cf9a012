// Counts the bytes the program has allocated with operator new, for peak-memory figures
// of benchmarks. Link bench/HeapCount.cpp to replace the global operator new/delete.
#pragma once

#include <cstddef>

namespace HeapCount {
size_t InUse();
size_t Peak();
// Starts a new peak from what is in use now.
void ResetPeak();
}  // namespace HeapCount
