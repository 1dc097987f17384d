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

// Above this many texts the keys are made on two threads: a key takes about a microsecond.
constexpr size_t kKeysOnTwoThreads = 4096;

std::vector<QCollatorSortKey> sortKeys(const QCollator& collator,
                                       const std::vector<std::string_view>& texts, size_t first,
                                       size_t last) {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(last - first);
    for (size_t i = first; i < last; ++i) {
        keys.push_back(collator.sortKey(toQString(texts[i])));
    }
    return keys;
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
        // One key per text: a hundred thousand children are compared millions of times. The
        // second half's keys are made on a second thread, by a collator of its own.
        const bool twoThreads =
            texts.size() >= kKeysOnTwoThreads && std::thread::hardware_concurrency() > 1;
        const size_t half = twoThreads ? texts.size() / 2 : texts.size();
        std::vector<QCollatorSortKey> secondHalf;
        std::thread second;
        if (twoThreads) {
            second = std::thread([&, separate = separateCollator(collator)] {
                secondHalf = sortKeys(separate, texts, half, texts.size());
            });
        }
        std::vector<QCollatorSortKey> keys = sortKeys(collator, texts, 0, half);
        if (second.joinable()) {
            second.join();
            keys.insert(keys.end(), std::make_move_iterator(secondHalf.begin()),
                        std::make_move_iterator(secondHalf.end()));
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
