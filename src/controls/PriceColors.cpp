#include "controls/PriceColors.h"

#include "store/RecordRules.h"

namespace jadl {

QColor priceColor(PriceSignal signal)
{
    switch (signal) {
    case PriceSignal::Higher:
        return QColor(Qt::red);
    case PriceSignal::Lower:
        return QColor(Qt::darkGreen);
    case PriceSignal::Equal:
        break;
    }
    return QColor(Qt::black);
}

RowColorFn referencePriceRowColor()
{
    return [](Table& table, int row) -> std::optional<QColor> { return priceColor(priceSignalAt(table, row)); };
}

} // namespace jadl
