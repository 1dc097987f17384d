// Where a tree keeps its node texts: append-only blocks, so a million short texts cost no
// allocation each, plus whole file buffers that texts may point into without a copy.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvia::model {

class TextStore final {
public:
    TextStore() = default;
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    // A copy of `text` that lives until clear().
    std::string_view store(std::string_view text);

    // Keeps `buffer` alive until clear(), so texts may point into it as they are.
    void adopt(std::shared_ptr<const std::string> buffer);
    bool holds(std::string_view text) const;
    void releaseAdopted();

    void clear();
    void swap(TextStore& other) noexcept;

    // The bytes held: blocks, long texts and adopted buffers, used or not.
    size_t heldBytes() const { return m_heldBytes; }

private:
    static constexpr size_t kBlockSize = 256 * 1024;

    std::vector<std::unique_ptr<char[]>> m_blocks;  // the last one is being filled
    std::vector<std::unique_ptr<char[]>> m_longTexts;
    char* m_free = nullptr;
    size_t m_freeSize = 0;
    std::vector<std::shared_ptr<const std::string>> m_adopted;
    size_t m_heldBytes = 0;
};

}  // namespace quorvia::model
