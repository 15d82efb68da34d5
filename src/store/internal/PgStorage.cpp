// Tables of a PostgreSQL database. Each table of the program is a table of the
// same name ("Towary"); integer keys are identity columns, texts carry the
// Polish ICU collation jadl_pl (so the server's own ORDER BY and indexes give
// Polish order), floats are numeric. Index names are the server's per schema,
// so each is kept as "<table>.<index>". A statement trigger draws a number from
// the table's sequence "<table>.zmiany" at every change, which tells a view
// whether others wrote since it was read; a sequence never makes one writer wait
// for another. The restaurants (Wlasciciel) are a view over jadl_wlasciciel whose
// "Aktywny" is this workstation's choice, kept in jadl_stanowiska: each site
// records for its own restaurant (a site's login always its bound one). The
// suppliers are a view too: their stored sums are kept per restaurant. Structure
// is made and changed only by the server's preparation (PgPrepare), under one
// advisory lock; a workstation finds it there or says the server is not prepared.
#include "store/DataStore.h"
#include "store/TableDefs.h"
#include "store/internal/PgConnection.h"
#include "store/internal/PgSchema.h"
#include "store/internal/TableStorage.h"
#include "store/internal/Values.h"

#include <QFileInfo>
#include <QHash>
#include <libpq-fe.h>

#include <algorithm>

namespace jadl::pgstorage {

namespace {

const QString kCollation = QStringLiteral("jadl_pl");
const QString kHiddenKey = QStringLiteral("jadl_id");
// Each new record carries the token of its post: a post whose commit went unanswered
// is sent again with the same token and finds its record instead of making a second.
const QString kPostToken = QStringLiteral("jadl_wpis");
// The restaurants: the active one is each workstation's own.
const QString kOwners = QStringLiteral("Wlasciciel");
const QString kOwnersData = QStringLiteral("jadl_wlasciciel");
const QString kActive = QStringLiteral("Aktywny");
const QString kActiveText = QStringLiteral("AktywnyString");

QByteArray utf8(const QString& s)
{
    return s.toUtf8();
}

QString value(const PgResult& r, int row, int col)
{
    return QString::fromUtf8(PQgetvalue(r.get(), row, col));
}

bool isOwners(const QString& table)
{
    return table.compare(kOwners, Qt::CaseInsensitive) == 0;
}

// A change of structure: one transaction under the structure lock, on a link
// no other table gets meanwhile.
class StructureChange {
public:
    explicit StructureChange(PgLink& link) : link_(link)
    {
        link_.exec("BEGIN; SELECT pg_advisory_xact_lock(hashtext('jadl:schema'))", true);
        link_.pinnedBy = this;
    }
    ~StructureChange()
    {
        link_.pinnedBy = nullptr;
        if (!done_ && !link_.broken()) {
            try {
                link_.exec("ROLLBACK", false);
            } catch (...) { }
        }
    }
    StructureChange(const StructureChange&) = delete;
    StructureChange& operator=(const StructureChange&) = delete;
    void run(const QStringList& statements)
    {
        if (!statements.isEmpty())
            link_.exec(statements.join(QStringLiteral(";\n")).toUtf8(), false);
    }
    void commit()
    {
        link_.exec("COMMIT", false);
        done_ = true;
    }

private:
    PgLink& link_;
    bool done_ = false;
};

} // namespace

void inStructureTransaction(PgLink& link, const QStringList& statements)
{
    StructureChange change(link);
    change.run(statements);
    change.commit();
}

bool hiddenColumn(const QString& name)
{
    return name.startsWith(QLatin1String("jadl_"));
}

const QStringList& supplierSumFields()
{
    static const QStringList fields{QStringLiteral("WartoscNettoSuma"), QStringLiteral("WartoscVatSuma"),
                                    QStringLiteral("WartoscBruttoSuma")};
    return fields;
}

namespace {

QString notPrepared(const QString& server, const QString& what)
{
    return QStringLiteral("Baza danych na serwerze %1 nie jest przygotowana do pracy programu (%2). Właściciel bazy "
                          "musi najpierw uruchomić: jadlonia --przygotuj-serwer")
        .arg(serverDisplayName(server), what);
}

// The server's preparation is there, of the version this program works with;
// checked once per server and process.
void checkPrepared(PgServer& server, PgLink& link)
{
    if (server.prepared)
        return;
    const PgResult there = link.exec(
        "SELECT count(*) FROM pg_proc WHERE proname = 'jadl_wersja' AND pronamespace = current_schema()::regnamespace",
        true);
    if (value(there, 0, 0) == QLatin1String("0"))
        throw EngineError(notPrepared(server.connection(), QStringLiteral("brak obiektów programu")), server.display());
    const PgResult version = link.exec("SELECT jadl_wersja()", true);
    if (value(version, 0, 0).toInt() < kPreparedVersion)
        throw EngineError(
            notPrepared(server.connection(), QStringLiteral("przygotowana przez starszą wersję programu")),
            server.display());
    server.prepared = true;
}

QString columnType(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::AutoInc:
        // 64 bits, as SQLite's record numbers: an archive's keys fit either engine.
        return QStringLiteral("bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    case FieldType::Integer:
        return f.size == 64 ? QStringLiteral("bigint") : QStringLiteral("integer");
    case FieldType::Text:
        return QStringLiteral("varchar(%1) COLLATE %2").arg(f.textSize()).arg(kCollation);
    case FieldType::Memo:
        return QStringLiteral("text COLLATE ") + kCollation;
    case FieldType::Float:
        return QStringLiteral("numeric");
    case FieldType::Date:
        return QStringLiteral("date");
    case FieldType::DateTime:
        return QStringLiteral("timestamp(0)");
    case FieldType::Logical:
        return QStringLiteral("boolean");
    }
    return QStringLiteral("text");
}

const FieldDef* autoIncField(const TableDef& def)
{
    for (const FieldDef& f : def.fields)
        if (f.type == FieldType::AutoInc)
            return &f;
    return nullptr;
}

QString serverIndexName(const QString& table, const QString& index)
{
    return table + QLatin1Char('.') + index;
}

// Empty values first, as the views order them, and the record key last: the
// index gives the whole order of a view.
// What an index carries besides its keys on the server: what the view's filter
// reads, and for the purchase lines the restaurant the policies read, so that a
// site's view still comes from the index alone.
QStringList serverCarried(const QString& table, const IndexDef& ix)
{
    QStringList carried = ix.carried;
    const QString restaurant = QStringLiteral("RestauracjaNumer");
    if (table.compare(QStringLiteral("Towary"), Qt::CaseInsensitive) == 0 && !ix.carried.isEmpty() &&
        !ix.fields.contains(restaurant) && !carried.contains(restaurant))
        carried << restaurant;
    return carried;
}

QString createIndexSql(const QString& table, const IndexDef& ix, const QString& key)
{
    QStringList keys;
    for (const QString& k : ix.fields)
        keys << quoteId(k) + QStringLiteral(" NULLS FIRST");
    if (!key.isEmpty() && ix.fields.value(ix.fields.size() - 1).compare(key, Qt::CaseInsensitive) != 0)
        keys << quoteId(key);
    QStringList carried;
    for (const QString& c : serverCarried(table, ix))
        carried << quoteId(c);
    if (!carried.isEmpty())
        return QStringLiteral("CREATE INDEX %1 ON %2 (%3) INCLUDE (%4)")
            .arg(quoteId(serverIndexName(table, ix.name)), quoteId(table), keys.join(QStringLiteral(", ")),
                 carried.join(QStringLiteral(", ")));
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(quoteId(serverIndexName(table, ix.name)), quoteId(table), keys.join(QStringLiteral(", ")));
}

// The change counter of a table: its sequence, drawn from by a statement trigger
// on the relation that holds its rows. Made anew or kept, so a second site
// completing the same table does no harm.
QStringList counterSql(const QString& table, const QString& onRelation)
{
    const QString sequence = quoteId(changeSequence(table));
    QString literal = sequence;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    return {QStringLiteral("CREATE SEQUENCE IF NOT EXISTS %1").arg(sequence),
            QStringLiteral("CREATE OR REPLACE TRIGGER jadl_zmiana AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %1 "
                           "FOR EACH STATEMENT EXECUTE FUNCTION jadl_zmiana('%2')")
                .arg(quoteId(onRelation), literal)};
}

QString workstationSql()
{
    return QStringLiteral("coalesce(current_setting('jadl.stanowisko', true), '')");
}

// The parts of a table kept behind a view that may be made again over the data:
// the view, the function and the trigger that write through it.
struct ViewParts {
    QStringList dataColumns; // "name type", the data table's
    QString view;
    QString function;
    QString trigger;
};

// The restaurants: the data in a table of its own, the view the program opens,
// and the trigger that writes through it. A site's login always has its bound
// restaurant active; it neither edits the restaurants nor chooses another.
ViewParts ownersParts(const TableDef& def)
{
    ViewParts p;
    QStringList storedNoKey, selected, fromNew, fromOld, setNew;
    const QString active = QStringLiteral("coalesce((SELECT jadl_moja_restauracja()), s.restauracja)");
    for (const FieldDef& f : def.fields) {
        const QString q = quoteId(f.name);
        if (f.name == kActive) {
            selected << QStringLiteral("coalesce(w.\"Numer\" = %1, false) AS %2").arg(active, q);
            continue;
        }
        if (f.name == kActiveText) {
            selected << QStringLiteral(
                            "CAST(CASE WHEN w.\"Numer\" = %1 THEN 'TAK' ELSE 'NIE' END AS varchar(%2)) AS %3")
                            .arg(active)
                            .arg(f.textSize())
                            .arg(q);
            continue;
        }
        p.dataColumns << q + QLatin1Char(' ') + columnType(f);
        selected << QStringLiteral("w.") + q;
        if (f.type != FieldType::AutoInc) {
            storedNoKey << q;
            fromNew << QStringLiteral("NEW.") + q;
            fromOld << QStringLiteral("OLD.") + q;
        }
        setNew << q + QStringLiteral(" = NEW.") + q;
    }
    p.view = QStringLiteral("CREATE OR REPLACE VIEW %1 AS SELECT %2 FROM %3 w LEFT JOIN jadl_stanowiska s ON "
                            "s.login = session_user AND s.stanowisko = %4")
                 .arg(quoteId(kOwners), selected.join(QStringLiteral(", ")), quoteId(kOwnersData), workstationSql());
    p.function =
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION jadl_wlasciciel_zapis() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
            "SET search_path FROM CURRENT AS $f$\n"
            "DECLARE ws text := %1; mine integer := jadl_moja_restauracja();\n"
            "BEGIN\n"
            "  IF mine IS NOT NULL THEN\n"
            "    IF TG_OP <> 'UPDATE' OR ROW(%6) IS DISTINCT FROM ROW(%4) OR NEW.\"Numer\" <> OLD.\"Numer\" OR\n"
            "       (coalesce(NEW.\"Aktywny\", false) AND NEW.\"Numer\" <> mine) THEN\n"
            "      RAISE EXCEPTION USING ERRCODE = 'insufficient_privilege', MESSAGE = 'Restauracje sieci zmienia "
            "centrala; to stanowisko pracuje zawsze dla swojej restauracji.';\n"
            "    END IF;\n"
            "    NEW.\"Aktywny\" := NEW.\"Numer\" = mine;\n"
            "  ELSE\n"
            "    IF TG_OP = 'DELETE' THEN\n"
            "      DELETE FROM %2 WHERE \"Numer\" = OLD.\"Numer\";\n"
            "      UPDATE jadl_stanowiska SET restauracja = NULL WHERE restauracja = OLD.\"Numer\";\n"
            "      RETURN OLD;\n"
            "    END IF;\n"
            "    IF TG_OP = 'INSERT' THEN\n"
            "      IF NEW.\"Numer\" IS NULL THEN\n"
            "        INSERT INTO %2 (%3) VALUES (%4) RETURNING \"Numer\" INTO NEW.\"Numer\";\n"
            "      ELSE\n"
            "        INSERT INTO %2 (\"Numer\", %3) VALUES (NEW.\"Numer\", %4);\n"
            "      END IF;\n"
            "    ELSE\n"
            "      UPDATE %2 SET %5 WHERE \"Numer\" = OLD.\"Numer\";\n"
            "    END IF;\n"
            "    IF NEW.\"Aktywny\" THEN\n"
            "      INSERT INTO jadl_stanowiska (login, stanowisko, restauracja) VALUES (session_user, ws, "
            "NEW.\"Numer\")\n"
            "        ON CONFLICT (login, stanowisko) DO UPDATE SET restauracja = excluded.restauracja;\n"
            "    ELSIF TG_OP = 'UPDATE' THEN\n"
            "      UPDATE jadl_stanowiska SET restauracja = NULL WHERE login = session_user AND stanowisko = ws AND "
            "restauracja = OLD.\"Numer\";\n"
            "    END IF;\n"
            "  END IF;\n"
            "  NEW.\"AktywnyString\" := CASE WHEN NEW.\"Aktywny\" THEN 'TAK' ELSE 'NIE' END;\n"
            "  NEW.\"Aktywny\" := coalesce(NEW.\"Aktywny\", false);\n"
            "  RETURN NEW;\n"
            "END $f$")
            .arg(workstationSql(), quoteId(kOwnersData), storedNoKey.join(QStringLiteral(", ")),
                 fromNew.join(QStringLiteral(", ")), setNew.join(QStringLiteral(", ")),
                 fromOld.join(QStringLiteral(", ")));
    p.trigger = QStringLiteral("CREATE OR REPLACE TRIGGER jadl_zapis INSTEAD OF INSERT OR UPDATE OR DELETE ON %1 FOR "
                               "EACH ROW EXECUTE FUNCTION jadl_wlasciciel_zapis()")
                    .arg(quoteId(kOwners));
    return p;
}

bool isSuppliers(const QString& table)
{
    return table.compare(QStringLiteral("Dostawcy"), Qt::CaseInsensitive) == 0;
}

bool isSupplierSum(const QString& field)
{
    return supplierSumFields().contains(field, Qt::CaseInsensitive);
}

// The suppliers: shared data in a table of its own, the stored sums per
// restaurant (a site's) or login (the head office's, the owner's) beside it.
ViewParts supplierParts(const TableDef& def)
{
    ViewParts p;
    QStringList data, fromNew, fromOld, setNew, selected, sums, sumsNew, sumsOld, sumsSet;
    for (const FieldDef& f : def.fields) {
        const QString q = quoteId(f.name);
        if (isSupplierSum(f.name)) {
            selected << QStringLiteral("s.") + q;
            sums << q;
            sumsNew << QStringLiteral("NEW.") + q;
            sumsOld << QStringLiteral("OLD.") + q;
            sumsSet << q + QStringLiteral(" = excluded.") + q;
            continue;
        }
        p.dataColumns << q + QLatin1Char(' ') + columnType(f);
        selected << QStringLiteral("d.") + q;
        if (f.type != FieldType::AutoInc) {
            data << q;
            fromNew << QStringLiteral("NEW.") + q;
            fromOld << QStringLiteral("OLD.") + q;
        }
        setNew << q + QStringLiteral(" = NEW.") + q;
    }
    // No post token: an insert through a view cannot meet its own record (ON CONFLICT).
    p.view = QStringLiteral("CREATE OR REPLACE VIEW \"Dostawcy\" AS SELECT %1 FROM %2 d LEFT JOIN %3 s ON s.dostawca = "
                            "d.\"Numer\" AND s.kto = (SELECT jadl_kto())")
                 .arg(selected.join(QStringLiteral(", ")), QLatin1String(kSupplierData), QLatin1String(kSupplierSums));
    p.function =
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION jadl_dostawcy_zapis() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
            "SET search_path FROM CURRENT AS $f$\n"
            "BEGIN\n"
            "  IF TG_OP = 'DELETE' THEN\n"
            "    DELETE FROM %1 WHERE \"Numer\" = OLD.\"Numer\";\n"
            "    DELETE FROM %2 WHERE dostawca = OLD.\"Numer\";\n"
            "    RETURN OLD;\n"
            "  END IF;\n"
            "  IF TG_OP = 'INSERT' THEN\n"
            "    IF NEW.\"Numer\" IS NULL THEN\n"
            "      INSERT INTO %1 (%3) VALUES (%4) RETURNING \"Numer\" INTO NEW.\"Numer\";\n"
            "    ELSE\n"
            "      INSERT INTO %1 (\"Numer\", %3) VALUES (NEW.\"Numer\", %4);\n"
            "    END IF;\n"
            "  ELSE\n"
            "    IF ROW(%5) IS DISTINCT FROM ROW(%4) OR NEW.\"Numer\" <> OLD.\"Numer\" THEN\n"
            "      UPDATE %1 SET %6 WHERE \"Numer\" = OLD.\"Numer\";\n"
            "      UPDATE %2 SET dostawca = NEW.\"Numer\" WHERE dostawca = OLD.\"Numer\" AND NEW.\"Numer\" <> "
            "OLD.\"Numer\";\n"
            "    END IF;\n"
            "    IF ROW(%7) IS NOT DISTINCT FROM ROW(%8) THEN\n"
            "      RETURN NEW;\n"
            "    END IF;\n"
            "  END IF;\n"
            "  INSERT INTO %2 (dostawca, kto, %9) VALUES (NEW.\"Numer\", jadl_kto(), %8)\n"
            "    ON CONFLICT (dostawca, kto) DO UPDATE SET %10;\n"
            "  RETURN NEW;\n"
            "END $f$")
            .arg(QLatin1String(kSupplierData), QLatin1String(kSupplierSums), data.join(QStringLiteral(", ")),
                 fromNew.join(QStringLiteral(", ")), fromOld.join(QStringLiteral(", ")),
                 setNew.join(QStringLiteral(", ")), sumsOld.join(QStringLiteral(", ")),
                 sumsNew.join(QStringLiteral(", ")), sums.join(QStringLiteral(", ")))
            .arg(sumsSet.join(QStringLiteral(", ")));
    p.trigger = QStringLiteral("CREATE OR REPLACE TRIGGER jadl_zapis INSTEAD OF INSERT OR UPDATE OR DELETE ON "
                               "\"Dostawcy\" FOR EACH ROW EXECUTE FUNCTION jadl_dostawcy_zapis()");
    return p;
}

QString supplierSumsTableSql()
{
    QStringList cols;
    for (const QString& f : supplierSumFields())
        cols << quoteId(f) + QStringLiteral(" numeric");
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (dostawca bigint NOT NULL, kto text NOT NULL, %2, PRIMARY KEY "
                          "(dostawca, kto))")
        .arg(QLatin1String(kSupplierSums), cols.join(QStringLiteral(", ")));
}

bool ownersShape(const QString& table, const TableDef& def)
{
    return isOwners(table) && def.field(kActive) && def.field(kActiveText) && autoIncField(def) &&
        autoIncField(def)->name == QLatin1String("Numer");
}

bool suppliersShape(const QString& table, const TableDef& def)
{
    return isSuppliers(table) && autoIncField(def) && autoIncField(def)->name == QLatin1String("Numer") &&
        std::all_of(supplierSumFields().begin(), supplierSumFields().end(),
                    [&](const QString& f) { return def.field(f) != nullptr; });
}

// The relation that holds a table's rows and carries its indexes.
QString dataRelation(const QString& table)
{
    if (isOwners(table))
        return kOwnersData;
    if (isSuppliers(table))
        return QLatin1String(kSupplierData);
    return table;
}

} // namespace

QStringList createSql(const QString& table, const TableDef& def)
{
    QStringList out;
    const FieldDef* key = autoIncField(def);
    if (ownersShape(table, def) || suppliersShape(table, def)) {
        const bool owners = ownersShape(table, def);
        const ViewParts p = owners ? ownersParts(def) : supplierParts(def);
        const QString data = owners ? kOwnersData : QString::fromLatin1(kSupplierData);
        out << QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteId(data), p.dataColumns.join(QStringLiteral(", ")));
        if (!owners)
            out << supplierSumsTableSql();
        for (const IndexDef& ix : def.indexes)
            out << createIndexSql(table, ix, key->name)
                       .replace(QStringLiteral(" ON ") + quoteId(table), QStringLiteral(" ON ") + quoteId(data));
        out << p.view << p.function << p.trigger;
        out += counterSql(table, data);
        if (!owners)
            out += counterSql(table, QString::fromLatin1(kSupplierSums));
        return out;
    }
    QStringList cols;
    for (const FieldDef& f : def.fields)
        cols << quoteId(f.name) + QLatin1Char(' ') + columnType(f);
    if (!key)
        cols << quoteId(kHiddenKey) + QStringLiteral(" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    cols << quoteId(kPostToken) + QStringLiteral(" uuid UNIQUE");
    out << QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteId(table), cols.join(QStringLiteral(", ")));
    for (const IndexDef& ix : def.indexes)
        out << createIndexSql(table, ix, key ? key->name : kHiddenKey);
    out += counterSql(table, table);
    return out;
}

QStringList viewRenewalSql(const QString& table, const TableDef& def)
{
    if (!ownersShape(table, def) && !suppliersShape(table, def))
        return {};
    const ViewParts p = ownersShape(table, def) ? ownersParts(def) : supplierParts(def);
    return {p.view, p.function, p.trigger};
}

QStringList supplierConversionSql(const TableDef& def)
{
    // A suppliers' table of the older layout: its data stays where it is, its
    // sums become the owner's own.
    QStringList out{QStringLiteral("ALTER TABLE \"Dostawcy\" RENAME TO %1").arg(QLatin1String(kSupplierData)),
                    supplierSumsTableSql()};
    QStringList sums;
    for (const QString& f : supplierSumFields())
        sums << quoteId(f);
    out << QStringLiteral("INSERT INTO %1 (dostawca, kto, %2) SELECT \"Numer\", session_user, %2 FROM %3 ON CONFLICT "
                          "DO NOTHING")
               .arg(QLatin1String(kSupplierSums), sums.join(QStringLiteral(", ")), QLatin1String(kSupplierData));
    for (const QString& f : sums)
        out << QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(QLatin1String(kSupplierData), f);
    out += viewRenewalSql(QStringLiteral("Dostawcy"), def);
    out += counterSql(QStringLiteral("Dostawcy"), QString::fromLatin1(kSupplierData));
    out += counterSql(QStringLiteral("Dostawcy"), QString::fromLatin1(kSupplierSums));
    return out;
}

namespace {

QStringList dropSql(const QString& table)
{
    const QString sequence = QStringLiteral("DROP SEQUENCE IF EXISTS %1").arg(quoteId(changeSequence(table)));
    if (isOwners(table) || isSuppliers(table)) {
        QStringList out{QStringLiteral("DROP VIEW IF EXISTS %1 CASCADE").arg(quoteId(table)),
                        QStringLiteral("DROP TABLE IF EXISTS %1 CASCADE").arg(quoteId(dataRelation(table)))};
        if (isSuppliers(table))
            out << QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(kSupplierSums));
        return out << sequence;
    }
    return {QStringLiteral("DROP TABLE IF EXISTS %1 CASCADE").arg(quoteId(table)), sequence};
}

} // namespace

std::optional<Relation> findRelation(PgLink& link, const QString& table)
{
    const PgResult r = link.exec(
        "SELECT c.oid, c.relname, c.relkind FROM pg_class c WHERE c.relnamespace = current_schema()::regnamespace "
        "AND c.relkind IN ('r', 'p', 'v') AND lower(c.relname) = lower(" +
            link.escapeLiteral(table) + ") ORDER BY c.relname = " + link.escapeLiteral(table) + " DESC LIMIT 1",
        true);
    if (PQntuples(r.get()) == 0)
        return std::nullopt;
    return Relation{value(r, 0, 0), value(r, 0, 1), value(r, 0, 2) == QLatin1String("v")};
}

namespace {

FileSchema readSchema(PgLink& link, const Relation& rel, const TableDef* known, bool* postToken = nullptr)
{
    FileSchema out;
    if (postToken)
        *postToken = false;
    out.tableIdent = rel.name;
    const PgResult cols = link.exec(
        "SELECT a.attname, upper(format_type(a.atttypid, a.atttypmod)), a.attidentity <> '' FROM pg_attribute a "
        "WHERE a.attrelid = " +
            utf8(rel.oid) + " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
        true);
    const FieldDef* key = known ? autoIncField(*known) : nullptr;
    for (int i = 0; i < PQntuples(cols.get()); ++i) {
        const QString name = value(cols, i, 0);
        if (name == kPostToken) {
            if (postToken)
                *postToken = true;
            continue;
        }
        if (hiddenColumn(name))
            continue;
        // A view has no identity of its own: its key is the one the program declares.
        const bool identity = value(cols, i, 2) == QLatin1String("t") ||
            (rel.view && key && key->name.compare(name, Qt::CaseInsensitive) == 0);
        FieldDef f = detail::fieldFromColumn(name, value(cols, i, 1), false);
        if (identity)
            f.type = FieldType::AutoInc;
        out.fields << f;
    }
    const PgResult ix = link.exec(
        "SELECT ic.relname, a.attname FROM pg_index x JOIN pg_class ic ON ic.oid = x.indexrelid "
        "CROSS JOIN LATERAL unnest(x.indkey) WITH ORDINALITY k(attnum, ord) "
        "JOIN pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = k.attnum "
        "WHERE x.indrelid = " +
            (rel.view ? link.escapeLiteral(quoteId(dataRelation(rel.name))) + "::regclass" : utf8(rel.oid)) +
            " AND NOT x.indisprimary AND NOT x.indisunique AND k.ord <= x.indnkeyatts ORDER BY ic.relname, k.ord",
        true);
    const QString prefix = rel.name + QLatin1Char('.');
    for (int i = 0; i < PQntuples(ix.get()); ++i) {
        QString name = value(ix, i, 0);
        if (name.startsWith(prefix))
            name = name.mid(prefix.size());
        if (out.indexes.isEmpty() || out.indexes.last().name != name)
            out.indexes << IndexDef{name, {}};
        out.indexes.last().fields << value(ix, i, 1);
    }
    // The record key closing an index is the view's own tie-break, not a key field.
    for (IndexDef& index : out.indexes)
        if (index.fields.size() > 1 &&
            (index.fields.last() == kHiddenKey ||
             (key && index.fields.last().compare(key->name, Qt::CaseInsensitive) == 0)))
            index.fields.removeLast();
    return out;
}

} // namespace

// Declared indexes an older table lacks, and the change counter of a table made
// elsewhere; each step may run again harmlessly.
QStringList completionSql(PgLink& link, const Relation& rel, const TableDef& def)
{
    QStringList steps;
    const FileSchema read = readSchema(link, rel, &def);
    const FieldDef* key = autoIncField(def);
    const QString data = rel.view ? dataRelation(rel.name) : rel.name;
    // Every column of each index, keys and carried, to find one made before it carried what it now must.
    QHash<QString, QStringList> columns;
    const PgResult all = link.exec(
        "SELECT ic.relname, a.attname FROM pg_index x JOIN pg_class ic ON ic.oid = x.indexrelid CROSS JOIN LATERAL "
        "unnest(x.indkey) k(attnum) JOIN pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = k.attnum WHERE "
        "x.indrelid = " +
            link.escapeLiteral(quoteId(data)) + "::regclass",
        true);
    for (int i = 0; i < PQntuples(all.get()); ++i)
        columns[value(all, i, 0)] << value(all, i, 1);
    for (const IndexDef& ix : def.indexes) {
        bool present = std::any_of(read.indexes.begin(), read.indexes.end(), [&](const IndexDef& f) {
            return f.name.compare(ix.name, Qt::CaseInsensitive) == 0;
        });
        const QString name = serverIndexName(rel.name, ix.name);
        const QStringList carried = serverCarried(rel.name, ix);
        if (present && !std::all_of(carried.begin(), carried.end(), [&](const QString& c) {
                return columns.value(name).contains(c);
            })) {
            steps << QStringLiteral("DROP INDEX %1").arg(quoteId(name));
            present = false;
        }
        if (!present)
            steps << createIndexSql(rel.name, ix, key ? key->name : kHiddenKey)
                         .replace(QStringLiteral("CREATE INDEX "), QStringLiteral("CREATE INDEX IF NOT EXISTS "))
                         .replace(QStringLiteral(" ON ") + quoteId(rel.name), QStringLiteral(" ON ") + quoteId(data));
    }
    QStringList counted{data};
    if (rel.view && isSuppliers(rel.name))
        counted << QString::fromLatin1(kSupplierSums);
    for (const QString& on : counted) {
        const PgResult t = link.exec(
            "SELECT 1 FROM pg_trigger WHERE tgname = 'jadl_zmiana' AND tgrelid = " + link.escapeLiteral(quoteId(on)) +
                "::regclass AND to_regclass(" + link.escapeLiteral(quoteId(changeSequence(rel.name))) + ") IS NOT NULL",
            true);
        if (PQntuples(t.get()) == 0)
            steps += counterSql(rel.name, on);
    }
    return steps;
}

QString changeSequence(const QString& table)
{
    return table + QStringLiteral(".zmiany");
}

QString tableName(const QString& fileOrTableName)
{
    QString name = fileOrTableName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (const TableDef* def = tabledefs::find(name))
        return QFileInfo(def->fileName).completeBaseName();
    return QFileInfo(name).completeBaseName();
}

QString displayPath(const QString& server, const QString& table)
{
    return serverDisplayName(server) + QStringLiteral(": ") + table;
}

void disconnectAll()
{
    PgServer::disconnectAll();
}

bool exists(const QString& server, const QString& table)
{
    const auto srv = PgServer::get(server);
    return findRelation(srv->idleLink(), table).has_value();
}

QString dataTableOf(const QString& table)
{
    return dataRelation(table);
}

QStringList clearSql(const QString& table)
{
    QStringList out{QStringLiteral("DELETE FROM ") + quoteId(dataRelation(table))};
    if (isSuppliers(table))
        out << QStringLiteral("DELETE FROM ") + QLatin1String(kSupplierSums);
    return out;
}

void ensure(const QString& server, const QString& table, const TableDef&)
{
    const auto srv = PgServer::get(server);
    PgLink& link = srv->idleLink();
    checkPrepared(*srv, link);
    if (!findRelation(link, table))
        throw EngineError(notPrepared(server, QStringLiteral("brak tabeli %1").arg(table)), displayPath(server, table));
}

namespace {

const TableDef* programTable(const QString& table)
{
    if (table.compare(QFileInfo(tabledefs::copyTable().fileName).completeBaseName(), Qt::CaseInsensitive) == 0)
        return &tabledefs::copyTable();
    return tabledefs::find(table);
}

bool sameFields(const TableDef& a, const TableDef& b)
{
    if (a.fields.size() != b.fields.size())
        return false;
    for (qsizetype i = 0; i < a.fields.size(); ++i)
        if (a.fields[i].name.compare(b.fields[i].name, Qt::CaseInsensitive) != 0 ||
            a.fields[i].type != b.fields[i].type)
            return false;
    return true;
}

} // namespace

void create(const QString& server, const QString& table, const TableDef& def, const QString& displayName)
{
    if (def.fields.isEmpty())
        throw EngineError(displayName + QStringLiteral(": No field definitions"), displayPath(server, table));
    const auto srv = PgServer::get(server);
    PgLink& link = srv->idleLink();
    checkPrepared(*srv, link);
    // A table of the program is the preparation's: made new, it is emptied of
    // what this login may remove (a site's copy table holds only its own lines).
    if (const TableDef* known = programTable(table); known && sameFields(*known, def)) {
        if (!findRelation(link, table))
            throw EngineError(notPrepared(server, QStringLiteral("brak tabeli %1").arg(table)),
                              displayPath(server, table));
        link.exec((QStringLiteral("DELETE FROM ") + quoteId(table)).toUtf8(), false);
        return;
    }
    // A table of the user's own: made where the login may make tables.
    inStructureTransaction(link, dropSql(table) + createSql(table, def));
}

OpenedTable open(const QString& server, const TableRequest& r)
{
    const QString table = tableName(r.name);
    const QString where = displayPath(server, table);
    const auto srv = PgServer::get(server);
    PgLink& link = srv->idleLink();
    checkPrepared(*srv, link);

    std::optional<Relation> rel = findRelation(link, table);
    if (!rel) {
        if (r.known || programTable(table))
            throw EngineError(notPrepared(server, QStringLiteral("brak tabeli %1").arg(table)), where);
        TableDef own = r.own;
        const TableDef* def = schemamerge::governing(r.known, own);
        if (!def)
            throw EngineError(QStringLiteral("Table does not exist"), where);
        if (def->fields.isEmpty())
            throw EngineError(r.displayName + QStringLiteral(": No field definitions"), where);
        // A table of the user's own; another program may have made it meanwhile.
        StructureChange change(link);
        rel = findRelation(link, table);
        if (!rel) {
            change.run(createSql(table, *def));
            rel = findRelation(link, table);
        }
        change.commit();
        if (!rel)
            throw EngineError(QStringLiteral("Table does not exist"), where);
    }
    OpenedTable out;
    TableDef own = r.own;
    bool postToken = false;
    out.schema = schemamerge::merge(readSchema(link, *rel, r.known, &postToken), r.known, own, where);
    if (postToken)
        out.postTokenSql = quoteId(kPostToken);
    // Only the restaurants' view changes other records through its trigger.
    out.writesReachOthers = rel->view && isOwners(rel->name);
    out.keySql = quoteId(kHiddenKey);
    for (const FieldDef& f : out.schema.fields)
        if (f.type == FieldType::AutoInc)
            out.keySql = quoteId(f.name);
    auto conn = std::make_unique<PgConnection>(srv, rel->name, where);
    if (r.exclusive)
        conn->lockExclusively();
    out.conn = std::move(conn);
    return out;
}

} // namespace jadl::pgstorage
