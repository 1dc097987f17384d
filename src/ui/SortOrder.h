// How "Sort children" and "Sort all below" order display texts: as a user expects a sorted
// list, case-blind, runs of digits by their value and accented letters as the locale sorts them.
#pragma once

#include <QCollator>
#include <QLocale>

#include "editing/Ordering.h"

namespace quorvia::ui {

// The locale's collator, case-blind and numeric. The C and POSIX locales would compare code
// points (and ignore the numeric mode), so they sort as English does instead.
QCollator sortCollator(const QLocale& locale = QLocale());

// Orders texts, decoded as the tree shows them, by `collator`; equal texts keep their order.
editing::TextOrder textOrder(const QCollator& collator = sortCollator());

}  // namespace quorvia::ui
