#pragma once
// How a one-shot calculation uses the memory it frees again.

namespace korvane::batch {

// Memory the program frees stays with it for the next large array instead of going back to
// the system. A run of millions of events allocates and frees arrays of hundreds of megabytes
// one after the other; each fresh one cost a page fault and a page the system cleared for
// every 4 KiB (about a third of the run's system time at ten million events). The process ends
// after its one run, so what it keeps is never more than its peak.
void KeepFreedMemoryForReuse();

}  // namespace korvane::batch
