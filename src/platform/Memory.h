// Advice to the system about the program's memory: huge pages for large blocks, and the heap's
// free memory handed back.
#pragma once

#include <cstddef>

namespace quorvia::platform {

// Asks for the block to be backed by huge pages where the system offers them, so that touching
// it costs a few page faults instead of thousands; a refusal changes nothing.
void adviseHugePages(void* block, std::size_t bytes);

// Gives the heap's free memory back to the system rather than keeping it for later allocations.
void returnFreeMemory();

}  // namespace quorvia::platform
