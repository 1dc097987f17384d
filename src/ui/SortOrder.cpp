#include "ui/SortOrder.h"

#include <QCollatorSortKey>
#include <algorithm>
#include <iterator>
#include <numeric>
#include <thread>

#include "ui/Text.h"

namespace quorvia::ui {

QCollator sortCollator(const QLocale& locale) {
    const bool byCodePoints = locale.language() == QLocale::C;
    QCollator collator(byCodePoints ? QLocale(QLocale::English, QLocale::UnitedStates) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

namespace {

// Above this many texts each half is sorted on a thread of its own: a key takes about a
// microsecond, and each of a hundred thousand keys is compared some seventeen times.
constexpr size_t kSortOnTwoThreads = 4096;

// Rows first..last of the texts, in their order by their keys; equal texts keep their order.
struct SortedRows {
    size_t first = 0;
    std::vector<QCollatorSortKey> keys;  // of rows first.., in row order
    std::vector<int> rows;

    const QCollatorSortKey& keyOf(int row) const { return keys[static_cast<size_t>(row) - first]; }
};

SortedRows sortedRows(const QCollator& collator, const std::vector<QString>& texts, size_t first,
                      size_t last) {
    SortedRows sorted;
    sorted.first = first;
    sorted.keys.reserve(last - first);
    for (size_t i = first; i < last; ++i) {
        sorted.keys.push_back(collator.sortKey(texts[i]));
    }
    sorted.rows.resize(last - first);
    std::iota(sorted.rows.begin(), sorted.rows.end(), static_cast<int>(first));
    std::stable_sort(sorted.rows.begin(), sorted.rows.end(), [&](int left, int right) {
        return sorted.keyOf(left).compare(sorted.keyOf(right)) < 0;
    });
    return sorted;
}

// A collator of the same settings with a state of its own: copies share one, which is set up
// when first used, so a copy may not be used on another thread.
QCollator separateCollator(const QCollator& collator) {
    QCollator separate(collator.locale());
    separate.setCaseSensitivity(collator.caseSensitivity());
    separate.setNumericMode(collator.numericMode());
    separate.setIgnorePunctuation(collator.ignorePunctuation());
    return separate;
}

}  // namespace

editing::TextOrder textOrder(const QCollator& collator) {
    return [collator](const std::vector<std::string_view>& texts) {
        // The texts are decoded here: the code page's decoder keeps a state.
        std::vector<QString> shown;
        shown.reserve(texts.size());
        for (const std::string_view text : texts) {
            shown.push_back(toQString(text));
        }
        if (shown.size() < kSortOnTwoThreads || std::thread::hardware_concurrency() < 2) {
            return sortedRows(collator, shown, 0, shown.size()).rows;
        }
        // The second half is sorted on a second thread, by a collator of its own; the merge
        // takes the first half's row of two equal texts first, so the order stays stable.
        const size_t half = shown.size() / 2;
        SortedRows second;
        std::thread secondThread([&, separate = separateCollator(collator)] {
            second = sortedRows(separate, shown, half, shown.size());
        });
        const SortedRows first = sortedRows(collator, shown, 0, half);
        secondThread.join();
        std::vector<int> order;
        order.reserve(shown.size());
        // Keys of collators of the same settings compare as keys of one collator.
        const auto keyOf = [&](int row) -> const QCollatorSortKey& {
            return static_cast<size_t>(row) < half ? first.keyOf(row) : second.keyOf(row);
        };
        std::merge(first.rows.begin(), first.rows.end(), second.rows.begin(), second.rows.end(),
                   std::back_inserter(order),
                   [&](int left, int right) { return keyOf(left).compare(keyOf(right)) < 0; });
        return order;
    };
}

}  // namespace quorvia::ui
