#include "controls/DictionaryLists.h"

#include "controls/DBComboBox.h"
#include "store/Table.h"

namespace jadl {

ListFillMode listFillMode(Table& parametry, const QString& parameter)
{
    return parametry.fieldByName(parameter).asBoolean() ? ListFillMode::Replace : ListFillMode::Merge;
}

void fillDictionaryList(QStringList& items, Table& source, const QString& fieldName, ListFillMode mode)
{
    if (mode == ListFillMode::Replace)
        items.clear();
    source.first();
    const ControlsDisabled quiet(source);
    Field& field = source.fieldByName(fieldName);
    while (!source.eof()) {
        const QString text = field.asString();
        if (mode == ListFillMode::Replace)
            items.append(text);
        else if (!text.isEmpty() && !items.contains(text, Qt::CaseSensitive))
            items.append(text);
        source.next();
    }
}

void fillDictionaryList(DBComboBox& combo, Table& source, const QString& fieldName, Table& parametry,
                        const QString& parameter)
{
    QStringList items = combo.items();
    fillDictionaryList(items, source, fieldName, listFillMode(parametry, parameter));
    if (items != combo.items())
        combo.setItems(items);
}

void fillVatList(DBComboBox& combo, Table& vatRates, Table& parametry)
{
    fillDictionaryList(combo, vatRates, kVatOznaczenie, parametry, kCzyscStawkiVat);
}

void fillUnitsList(DBComboBox& combo, Table& units, Table& parametry)
{
    fillDictionaryList(combo, units, kJednostka, parametry, kCzyscJednostkiMiar);
}

} // namespace jadl
