#include "MemoryReuse.h"

#include <malloc.h>

#include <climits>

namespace korvane::batch {

void KeepFreedMemoryForReuse() {
    // Large blocks from the heap rather than mappings of their own (which are returned to the
    // system when freed), and no trimming of the heap's free top.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

}  // namespace korvane::batch
