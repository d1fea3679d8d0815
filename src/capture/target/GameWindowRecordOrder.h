#pragma once

#include "capture/target/GameWindowProfileKey.h"
#include "foundation/text/InsertionSort.h"

#include <QCollator>
#include <QLocale>
#include <QVector>

namespace veyra {

// Sorts records kept per game window (anything with `applicationIdentity` and
// `windowTitle`) the way the stored documents list them: by application identity value,
// then, for the same value, by window title, both compared localised and
// case-insensitively; the identity kind takes no part. Two values that differ only in
// letter case tie without consulting their titles, so the rule is not a strict weak
// ordering; the insertion sort applies it exactly.
template <typename Record>
void sortByApplicationAndTitle(QVector<Record> &records)
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    stableInsertionSort(records, [&collator](const Record &a, const Record &b) {
        const QString &valueA = a.applicationIdentity.value;
        const QString &valueB = b.applicationIdentity.value;
        if (!canonicallyEqual(valueA, valueB)) {
            return collator.compare(valueA, valueB) < 0;
        }
        return collator.compare(a.windowTitle, b.windowTitle) < 0;
    });
}

} // namespace veyra
