#include "model/FieldList.h"

#include <cstring>

namespace quorvia::model {

Error listIndexError(int index) {
    return Error("Indice de liste hors limites (" + std::to_string(index) + ")");
}

void FieldList::split(std::string_view text) {
    m_text.assign(text.data(), text.size());
    m_bounds.clear();
    const char* const begin = m_text.data();
    const char* const end = begin + m_text.size();
    const char* start = begin;
    for (;;) {
        const auto* semicolon =
            static_cast<const char*>(std::memchr(start, ';', static_cast<size_t>(end - start)));
        const char* fieldEnd = semicolon != nullptr ? semicolon : end;
        m_bounds.emplace_back(static_cast<size_t>(start - begin),
                              static_cast<size_t>(fieldEnd - start));
        if (semicolon == nullptr) {
            break;
        }
        start = semicolon + 1;
    }
}

std::string_view FieldList::field(int index) const {
    if (!has(index)) {
        throw listIndexError(index);
    }
    return fieldOrEmpty(index);
}

std::string_view FieldList::fieldOrEmpty(int index) const {
    if (!has(index)) {
        return {};
    }
    const auto [offset, length] = m_bounds[static_cast<size_t>(index)];
    return std::string_view(m_text).substr(offset, length);
}

std::vector<std::string> FieldList::copyAll() const {
    std::vector<std::string> fields;
    fields.reserve(m_bounds.size());
    for (int i = 0; i < count(); ++i) {
        fields.emplace_back(fieldOrEmpty(i));
    }
    return fields;
}

}  // namespace quorvia::model
