#pragma once
// Large buffers on huge pages. The first touch of a fresh 4 KiB page costs about 8 µs here (a
// fault into the kernel), which for a buffer of a few hundred megabytes is seconds; a 2 MiB page
// costs about as much for 512 times the memory.

#include <cstddef>

namespace korvane {

// Buffers of at least this many bytes are worth asking for.
inline constexpr std::size_t HugePageWorthy = std::size_t{4} << 20;

// Asks the system to back the whole 2 MiB pages within [begin, begin + bytes) with huge pages
// when they are first touched (Linux's transparent huge pages, where the system allows them
// for buffers that ask); nothing for a buffer below HugePageWorthy or where it cannot. Only
// speed depends on it: the memory and its content are the same either way.
void PreferHugePages(void* begin, std::size_t bytes);

}  // namespace korvane
