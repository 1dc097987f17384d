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

// A span of addresses set aside as one piece and made usable from its start on, in steps of
// `step` bytes (huge pages where the system offers them), so that what lies in it never moves
// and every distance within it stays small. Only what is used costs memory.
class ReservedSpan final {
public:
    // At most `limit` bytes, made usable `step` bytes (a power of two) at a time.
    ReservedSpan(std::size_t limit, std::size_t step) : m_limit(limit), m_step(step) {}
    ~ReservedSpan();
    ReservedSpan(ReservedSpan&& other) noexcept;
    ReservedSpan& operator=(ReservedSpan&& other) noexcept;
    ReservedSpan(const ReservedSpan&) = delete;
    ReservedSpan& operator=(const ReservedSpan&) = delete;

    // Makes the first `bytes` usable, setting the span aside on first use (smaller than the
    // limit under a limit of the process's addresses); raises std::bad_alloc past the span or
    // when the system refuses.
    void makeUsable(std::size_t bytes);
    char* begin() const { return m_begin; }
    std::size_t usableBytes() const { return m_usable; }
    // Gives the whole span back.
    void release();

private:
    std::size_t m_limit;
    std::size_t m_step;
    void* m_mapping = nullptr;  // owned: the addresses set aside, a step more than the limit
    char* m_begin = nullptr;    // the first address of the span, on a step boundary
    std::size_t m_usable = 0;
};

}  // namespace quorvia::platform
