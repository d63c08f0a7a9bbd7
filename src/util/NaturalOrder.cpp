#include "NaturalOrder.h"

#include <QCollator>

#include <algorithm>

namespace NaturalOrder {

void Sort(QStringList& names)
{
    if (names.size() < 2)
        return;
    QCollator collator{QLocale::system()};
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
}

} // namespace NaturalOrder
