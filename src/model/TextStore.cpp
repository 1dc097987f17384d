#include "model/TextStore.h"

#include <cstring>
#include <functional>
#include <utility>

namespace quorvia::model {

namespace {
// Every byte is written before it is read, so the block need not be zeroed first.
std::unique_ptr<char[]> uninitialisedBlock(size_t size) {
    return std::unique_ptr<char[]>(new char[size]);
}
}  // namespace

std::string_view TextStore::store(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    if (text.size() > kBlockSize / 4) {
        // A long text gets a block of its own, so the shared block is not wasted.
        m_longTexts.push_back(uninitialisedBlock(text.size()));
        m_heldBytes += text.size();
        std::memcpy(m_longTexts.back().get(), text.data(), text.size());
        return {m_longTexts.back().get(), text.size()};
    }
    if (m_freeSize < text.size()) {
        m_blocks.push_back(uninitialisedBlock(kBlockSize));
        m_heldBytes += kBlockSize;
        m_free = m_blocks.back().get();
        m_freeSize = kBlockSize;
    }
    char* copy = m_free;
    std::memcpy(copy, text.data(), text.size());
    m_free += text.size();
    m_freeSize -= text.size();
    return {copy, text.size()};
}

void TextStore::adopt(std::shared_ptr<const std::string> buffer) {
    m_heldBytes += buffer->size();
    m_adopted.push_back(std::move(buffer));
}

bool TextStore::holds(std::string_view text) const {
    const std::less_equal<const char*> notAfter;
    for (const auto& buffer : m_adopted) {
        const char* begin = buffer->data();
        if (notAfter(begin, text.data()) &&
            notAfter(text.data() + text.size(), begin + buffer->size())) {
            return true;
        }
    }
    return false;
}

void TextStore::releaseAdopted() {
    for (const auto& buffer : m_adopted) {
        m_heldBytes -= buffer->size();
    }
    m_adopted.clear();
}

void TextStore::clear() {
    m_blocks.clear();
    m_longTexts.clear();
    m_free = nullptr;
    m_freeSize = 0;
    m_adopted.clear();
    m_heldBytes = 0;
}

void TextStore::swap(TextStore& other) noexcept {
    std::swap(m_blocks, other.m_blocks);
    std::swap(m_longTexts, other.m_longTexts);
    std::swap(m_free, other.m_free);
    std::swap(m_freeSize, other.m_freeSize);
    std::swap(m_adopted, other.m_adopted);
    std::swap(m_heldBytes, other.m_heldBytes);
}

}  // namespace quorvia::model
