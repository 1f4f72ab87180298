#include "common/HugePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace korvane {

void PreferHugePages(void* begin, std::size_t bytes) {
    if (begin == nullptr || bytes < HugePageWorthy) {
        return;
    }
    constexpr std::uintptr_t Huge = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + Huge - 1) & ~(Huge - 1);
    const std::uintptr_t end = (start + bytes) & ~(Huge - 1);
    if (end > first) {
        // A refusal (no such pages, an old kernel) changes nothing but the speed.
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the page range is computed as a number.
        (void)madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
}

}  // namespace korvane
