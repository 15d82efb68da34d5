#pragma once
// The drop-down lists of VAT designations and units of measure that the goods
// windows offer, filled from the dictionary tables. A switch of Parametry.db
// decides whether the table's values are merged into the designed list or
// replace it.
#include <QString>
#include <QStringList>

namespace jadl {

class DBComboBox;
class Table;

enum class ListFillMode { Merge, Replace };

// Mode given by the logical `parameter` of the current record of the open
// parameters table: true replaces, false or empty merges.
ListFillMode listFillMode(Table& parametry, const QString& parameter);

// Fills `items` from `fieldName` of every record of `source`, in table order.
// Replace: the list becomes the table's values, duplicates and empty texts
// included. Merge: a value is added unless the list already holds it (exact,
// case-sensitive); empty texts are never added. The source table ends past its
// last record; its display updates are off during the walk.
void fillDictionaryList(QStringList& items, Table& source, const QString& fieldName, ListFillMode mode);

// The same on a combo box's item list, with the mode read from `parametry`
// (the combo's shown text is left alone).
void fillDictionaryList(DBComboBox& combo, Table& source, const QString& fieldName, Table& parametry,
                        const QString& parameter);

// The VAT designations and the units of measure lists of a goods window, each
// filled from its dictionary table as the parameters say.
void fillVatList(DBComboBox& combo, Table& vatRates, Table& parametry);
void fillUnitsList(DBComboBox& combo, Table& units, Table& parametry);

// Names of the two governing parameters and the dictionary fields.
inline const QString kCzyscStawkiVat = QStringLiteral("CzyscStawkiVat");
inline const QString kCzyscJednostkiMiar = QStringLiteral("CzyscJednostkiMiar");
inline const QString kVatOznaczenie = QStringLiteral("VatOznaczenie");
inline const QString kJednostka = QStringLiteral("Jednostka");

} // namespace jadl
