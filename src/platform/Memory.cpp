#include "platform/Memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

namespace quorvia::platform {

void adviseHugePages(void* block, std::size_t bytes) {
    ::madvise(block, bytes, MADV_HUGEPAGE);
}

void returnFreeMemory() {
    ::malloc_trim(0);
}

ReservedSpan::~ReservedSpan() {
    release();
}

ReservedSpan::ReservedSpan(ReservedSpan&& other) noexcept
    : m_limit(other.m_limit),
      m_step(other.m_step),
      m_mapping(std::exchange(other.m_mapping, nullptr)),
      m_begin(std::exchange(other.m_begin, nullptr)),
      m_usable(std::exchange(other.m_usable, 0)) {}

ReservedSpan& ReservedSpan::operator=(ReservedSpan&& other) noexcept {
    if (this != &other) {
        release();
        m_limit = other.m_limit;
        m_step = other.m_step;
        m_mapping = std::exchange(other.m_mapping, nullptr);
        m_begin = std::exchange(other.m_begin, nullptr);
        m_usable = std::exchange(other.m_usable, 0);
    }
    return *this;
}

void ReservedSpan::makeUsable(std::size_t bytes) {
    if (bytes <= m_usable) {
        return;
    }
    if (bytes > m_limit) {
        throw std::bad_alloc();
    }
    if (m_mapping == nullptr) {
        // Addresses only: no memory is promised until a part is made usable, so a span costs
        // nothing under any overcommit setting. A step more, so that it can start on a step.
        // Where the addresses a process may take are limited (ulimit -v), a span takes no more
        // than a sixteenth of them, so that threads, other spans and the heap still find room;
        // it then holds less.
        rlimit addresses{};
        if (::getrlimit(RLIMIT_AS, &addresses) == 0 && addresses.rlim_cur != RLIM_INFINITY) {
            m_limit = std::max(bytes, std::min<std::size_t>(m_limit, addresses.rlim_cur / 16));
        }
        void* mapping = ::mmap(nullptr, m_limit + m_step, PROT_NONE,
                               MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapping == MAP_FAILED) {
            throw std::bad_alloc();
        }
        m_mapping = mapping;
        const auto address = reinterpret_cast<std::uintptr_t>(mapping);
        m_begin = static_cast<char*>(mapping) + ((m_step - address % m_step) % m_step);
    }
    std::size_t usable = (bytes + m_step - 1) / m_step * m_step;
    if (usable > m_limit) {
        usable = m_limit;
    }
    if (::mprotect(m_begin + m_usable, usable - m_usable, PROT_READ | PROT_WRITE) != 0) {
        throw std::bad_alloc();
    }
    adviseHugePages(m_begin + m_usable, usable - m_usable);
    m_usable = usable;
}

void ReservedSpan::release() {
    if (m_mapping != nullptr) {
        ::munmap(m_mapping, m_limit + m_step);
    }
    m_mapping = nullptr;
    m_begin = nullptr;
    m_usable = 0;
}

}  // namespace quorvia::platform
