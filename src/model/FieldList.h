// The field splitter and the one field list it fills: a text cut at every ";" with no quoting,
// escaping or trimming.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Error.h"

namespace quorvia::model {

// The error of a read past the end of the field list: "Indice de liste hors limites (%d)".
Error listIndexError(int index);

class FieldList final {
public:
    FieldList() = default;
    FieldList(const FieldList&) = delete;
    FieldList& operator=(const FieldList&) = delete;

    // Empties the list and fills it with the fields of `text`: n semicolons give n + 1 fields.
    void split(std::string_view text);

    int count() const { return static_cast<int>(m_bounds.size()); }
    bool has(int index) const { return index >= 0 && index < count(); }

    // Field `index`, valid until the next split; raises the list index error when absent.
    std::string_view field(int index) const;
    // The same, reading an absent field as empty text.
    std::string_view fieldOrEmpty(int index) const;

    // Copies of all fields, for a caller that keeps them across further splits.
    std::vector<std::string> copyAll() const;

private:
    std::string m_text;
    std::vector<std::pair<size_t, size_t>> m_bounds;  // offset, length
};

}  // namespace quorvia::model
