#include "platform/Memory.h"

#include <malloc.h>
#include <sys/mman.h>

namespace quorvia::platform {

void adviseHugePages(void* block, std::size_t bytes) {
    ::madvise(block, bytes, MADV_HUGEPAGE);
}

void returnFreeMemory() {
    ::malloc_trim(0);
}

}  // namespace quorvia::platform
