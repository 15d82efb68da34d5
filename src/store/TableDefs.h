#pragma once
// The tables of the data directory: fields in order with types and sizes,
// display formats and named indexes.
#include "store/FieldDefs.h"

namespace jadl::tabledefs {

const TableDef& towary(); // Towary.DB
const TableDef& dostawcy(); // Dostawcy.db
const TableDef& towaryPodstawowe(); // TowaryPodstawowe.db
const TableDef& grupyTowarow(); // GrupyTowarow.DB
const TableDef& parametry(); // Parametry.db
const TableDef& wlasciciel(); // Wlasciciel.DB
const TableDef& towaryPom(); // TowaryPom.DB
const TableDef& stawkiVat(); // StawkiVat.db
const TableDef& jednostkiMiar(); // JednostkiMiar.DB

// All nine, in the order above.
QList<const TableDef*> all();

// The tables of the e-invoice import, made when the import first opens them (a
// data directory without them is complete, and so is an archive):
const TableDef& fakturyKsef(); // FakturyKSeF.db: each imported invoice, once
const TableDef& mapowanieKsef(); // MapowanieKSeF.db: seller NIP + line name -> basic good
const TableDef& pozycjeKsef(); // PozycjeKSeF.db: each recorded line as the invoice wrote it
const TableDef& pobraneKsef(); // PobraneKSeF.db: invoices fetched from KSeF, as received
const TableDef& punktKsef(); // PunktKSeF.db: per NIP, where the next fetch starts
const TableDef& ustawieniaKsef(); // UstawieniaKSeF.db: environment and NIP of the fetch
QList<const TableDef*> invoiceTables();

// The copy table the supplier goods window fills with the lines it shows
// (TowaryRaport), made on request only.
const TableDef& copyTable();

// The definition for a table file name (case-insensitive, with or without the
// extension), of the nine or of the import's, or nullptr for a table the program
// does not declare.
const TableDef* find(const QString& fileName);

} // namespace jadl::tabledefs
