#include "ui/SortOrder.h"

#include <QCollatorSortKey>
#include <algorithm>
#include <numeric>

#include "ui/Text.h"

namespace quorvia::ui {

QCollator sortCollator(const QLocale& locale) {
    const bool byCodePoints = locale.language() == QLocale::C;
    QCollator collator(byCodePoints ? QLocale(QLocale::English, QLocale::UnitedStates) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

editing::TextOrder textOrder(const QCollator& collator) {
    return [collator](const std::vector<std::string_view>& texts) {
        // One key per text: a hundred thousand children are compared millions of times.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(texts.size());
        for (const std::string_view text : texts) {
            keys.push_back(collator.sortKey(toQString(text)));
        }
        std::vector<int> order(texts.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int left, int right) {
            return keys[static_cast<size_t>(left)].compare(keys[static_cast<size_t>(right)]) < 0;
        });
        return order;
    };
}

}  // namespace quorvia::ui
