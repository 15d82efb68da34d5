// The server's preparation, run by the database's owner: the program's tables,
// the roles a chain's logins belong to, the policies that keep each site to its
// own restaurant's lines, and the history of every change of a purchase line.
//
// A site's login (group jadl_stanowisko) is bound to one restaurant in
// jadl_loginy; the server stamps that restaurant on every line and invoice the
// site adds and shows the site nothing else. The head office (jadl_centrala)
// reads and writes every restaurant's. The functions the policies and triggers
// call run with the owner's rights (SECURITY DEFINER) on a fixed search path, so
// that a login needs no right on the tables behind them.
#include "store/DataStore.h"
#include "store/EngineError.h"
#include "store/ServerSetup.h"
#include "store/TableDefs.h"
#include "store/internal/KeptSums.h"
#include "store/internal/PgConnection.h"
#include "store/internal/PgSchema.h"
#include "store/internal/SqlConnection.h"
#include "store/internal/TableStorage.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <libpq-fe.h>

namespace jadl::pgstorage {

namespace {

// The collation, the roles, and the tables of logins, workstations and history.
QStringList tablesSql()
{
    return {
        QStringLiteral("CREATE COLLATION IF NOT EXISTS jadl_pl (provider = icu, locale = 'pl-PL')"),
        // Roles belong to the whole cluster, whose other databases may be prepared at
        // the same moment (the structure lock is one database's): one made meanwhile is as good.
        QStringLiteral("DO $$ BEGIN\n"
                       "  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'jadl_stanowisko') THEN\n"
                       "    BEGIN CREATE ROLE jadl_stanowisko NOLOGIN;\n"
                       "    EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL; END;\n"
                       "  END IF;\n"
                       "  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'jadl_centrala') THEN\n"
                       "    BEGIN CREATE ROLE jadl_centrala NOLOGIN;\n"
                       "    EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL; END;\n"
                       "  END IF;\n"
                       "END $$"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS jadl_loginy (login name PRIMARY KEY, rola text NOT NULL CHECK "
                       "(rola IN ('stanowisko', 'centrala')), restauracja integer, CHECK ((rola = 'stanowisko') = "
                       "(restauracja IS NOT NULL)))"),
        // Each workstation's active restaurant, per login: a login changes only its own.
        QStringLiteral("CREATE TABLE IF NOT EXISTS jadl_stanowiska (login name NOT NULL DEFAULT session_user, "
                       "stanowisko varchar(100) NOT NULL, restauracja integer, PRIMARY KEY (login, stanowisko))"),
        QStringLiteral("DO $$ BEGIN\n"
                       "  IF NOT EXISTS (SELECT FROM pg_attribute WHERE attrelid = 'jadl_stanowiska'::regclass AND "
                       "attname = 'login') THEN\n"
                       "    ALTER TABLE jadl_stanowiska ADD COLUMN login name NOT NULL DEFAULT session_user;\n"
                       "    ALTER TABLE jadl_stanowiska DROP CONSTRAINT IF EXISTS jadl_stanowiska_pkey;\n"
                       "    ALTER TABLE jadl_stanowiska ADD PRIMARY KEY (login, stanowisko);\n"
                       "  END IF;\n"
                       "END $$"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS jadl_historia (numer bigint GENERATED ALWAYS AS IDENTITY PRIMARY "
                       "KEY, czas timestamptz NOT NULL DEFAULT clock_timestamp(), login name NOT NULL DEFAULT "
                       "session_user, stanowisko text, operacja text NOT NULL, tabela text NOT NULL, klucz bigint, "
                       "restauracja integer, przed jsonb, po jsonb)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS jadl_historia_linia ON jadl_historia (tabela, klucz, numer)"),
    };
}

// Who is asking: the prepared version, the change counter, the login's role and restaurant.
QStringList lookupFunctionsSql(const QString& q)
{
    return {
        QStringLiteral("CREATE OR REPLACE FUNCTION jadl_wersja() RETURNS integer LANGUAGE sql IMMUTABLE AS 'SELECT %1'")
            .arg(kPreparedVersion),
        QStringLiteral("CREATE OR REPLACE FUNCTION jadl_zmiana() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
                       "SET search_path = %1, pg_temp AS $f$\n"
                       "BEGIN\n"
                       "  PERFORM nextval(TG_ARGV[0]::regclass);\n"
                       "  RETURN NULL;\n"
                       "END $f$")
            .arg(q),
        // Read by the policies once per statement: PL/pgSQL keeps its plan for the
        // session (an SQL function is planned at every call), and no search path of
        // its own to set (that costs more than the lookup), every name qualified instead.
        QStringLiteral("CREATE OR REPLACE FUNCTION jadl_moja_restauracja() RETURNS integer LANGUAGE plpgsql STABLE "
                       "PARALLEL SAFE SECURITY DEFINER AS $f$ BEGIN RETURN (SELECT l.restauracja FROM %1.jadl_loginy l "
                       "WHERE l.login OPERATOR(pg_catalog.=) session_user AND l.rola OPERATOR(pg_catalog.=) "
                       "'stanowisko'); END $f$")
            .arg(q),
        QStringLiteral("CREATE OR REPLACE FUNCTION jadl_rola() RETURNS text LANGUAGE sql STABLE PARALLEL SAFE SECURITY "
                       "DEFINER SET "
                       "search_path = %1, pg_temp AS $f$ SELECT coalesce((SELECT rola FROM jadl_loginy WHERE login = "
                       "session_user), CASE WHEN pg_has_role(session_user, (SELECT relowner FROM pg_class WHERE oid = "
                       "'jadl_loginy'::regclass), 'MEMBER') THEN 'wlasciciel' ELSE 'brak' END) $f$")
            .arg(q),
        // Whose a kept value is: a site's restaurant, else the login itself.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION jadl_kto() RETURNS text LANGUAGE sql STABLE PARALLEL SAFE SECURITY DEFINER SET "
            "search_path = %1, pg_temp AS $f$ SELECT coalesce('restauracja:' || jadl_moja_restauracja(), "
            "'login:' || session_user) $f$")
            .arg(q),
        // The restaurant a new record belongs to: a site's own, else the workstation's active one.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION jadl_restauracja_zapisu() RETURNS integer LANGUAGE sql STABLE PARALLEL SAFE "
            "SECURITY DEFINER SET search_path = %1, pg_temp AS $f$ SELECT coalesce(jadl_moja_restauracja(), "
            "(SELECT restauracja FROM jadl_stanowiska WHERE login = session_user AND stanowisko = "
            "coalesce(current_setting('jadl.stanowisko', true), ''))) $f$")
            .arg(q),
    };
}

// What the triggers and the restore call: stamps, history, renumbering, statistics.
QStringList recordFunctionsSql(const QString& q)
{
    return {
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION jadl_towary_restauracja() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
            "SET search_path = %1, pg_temp AS $f$\n"
            "DECLARE mine integer := jadl_moja_restauracja();\n"
            "BEGIN\n"
            "  IF mine IS NULL AND current_setting('jadl.odtwarzanie', true) = 'tak' THEN\n"
            "    RETURN NEW;\n"
            "  END IF;\n"
            "  IF mine IS NOT NULL THEN\n"
            "    NEW.\"RestauracjaNumer\" := mine;\n"
            "  ELSIF NEW.\"RestauracjaNumer\" IS NULL THEN\n"
            "    NEW.\"RestauracjaNumer\" := jadl_restauracja_zapisu();\n"
            "    IF NEW.\"RestauracjaNumer\" IS NULL AND jadl_rola() = 'centrala' THEN\n"
            "      RAISE EXCEPTION USING ERRCODE = 'not_null_violation', MESSAGE = 'Na tym stanowisku nie wybrano "
            "aktywnej restauracji, dla której zapisuje się zakupy; nic nie zostało zapisane.';\n"
            "    END IF;\n"
            "  END IF;\n"
            "  IF NEW.\"RestauracjaNumer\" IS NOT NULL AND (mine IS NOT NULL OR NEW.\"RestauracjaSymbol\" IS NULL OR\n"
            "      (TG_OP = 'UPDATE' AND NEW.\"RestauracjaNumer\" IS DISTINCT FROM OLD.\"RestauracjaNumer\")) THEN\n"
            "    NEW.\"RestauracjaSymbol\" := (SELECT \"Symbol\" FROM jadl_wlasciciel WHERE \"Numer\" = "
            "NEW.\"RestauracjaNumer\");\n"
            "  END IF;\n"
            "  RETURN NEW;\n"
            "END $f$")
            .arg(q),
        // The invoice tables' hidden owner: a restaurant, or whose the record is.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION jadl_stempel() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
            "SET search_path = %1, pg_temp AS $f$\n"
            "BEGIN\n"
            "  IF current_setting('jadl.odtwarzanie', true) = 'tak' AND jadl_moja_restauracja() IS NULL THEN\n"
            "    RETURN NEW;\n"
            "  END IF;\n"
            "  IF TG_ARGV[0] = 'kto' THEN\n"
            "    NEW.jadl_kto := jadl_kto();\n"
            "  ELSIF TG_OP = 'UPDATE' AND jadl_moja_restauracja() IS NULL THEN\n"
            "    NEW.jadl_restauracja := OLD.jadl_restauracja;\n"
            "  ELSE\n"
            "    NEW.jadl_restauracja := jadl_restauracja_zapisu();\n"
            "  END IF;\n"
            "  RETURN NEW;\n"
            "END $f$")
            .arg(q),
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION jadl_historia_zapis() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
            "SET search_path = %1, pg_temp AS $f$\n"
            "BEGIN\n"
            "  IF current_setting('jadl.odtwarzanie', true) = 'tak' AND jadl_rola() IN ('centrala', 'wlasciciel') "
            "THEN\n"
            "    RETURN NULL;\n"
            "  END IF;\n"
            "  INSERT INTO jadl_historia (stanowisko, operacja, tabela, klucz, restauracja, przed, po)\n"
            "  VALUES (current_setting('jadl.stanowisko', true), CASE TG_OP WHEN 'UPDATE' THEN 'ZMIANA' ELSE "
            "'USUNIĘCIE' END,\n"
            "          TG_TABLE_NAME, OLD.\"Numer\", OLD.\"RestauracjaNumer\", to_jsonb(OLD) - 'jadl_wpis',\n"
            "          CASE WHEN TG_OP = 'UPDATE' THEN to_jsonb(NEW) - 'jadl_wpis' END);\n"
            "  RETURN NULL;\n"
            "END $f$")
            .arg(q),
        // A restore by the head office: one history row for it instead of one per replaced line.
        QStringLiteral("CREATE OR REPLACE FUNCTION jadl_odtworzenie() RETURNS void LANGUAGE plpgsql SECURITY DEFINER "
                       "SET search_path = %1, pg_temp AS $f$\n"
                       "BEGIN\n"
                       "  IF jadl_rola() NOT IN ('centrala', 'wlasciciel') THEN\n"
                       "    RAISE EXCEPTION USING ERRCODE = 'insufficient_privilege', MESSAGE = 'Dane na serwerze "
                       "odtwarza tylko centrala sieci; nic nie zostało zmienione.';\n"
                       "  END IF;\n"
                       "  PERFORM set_config('jadl.odtwarzanie', 'tak', true);\n"
                       "  INSERT INTO jadl_historia (stanowisko, operacja, tabela) VALUES "
                       "(current_setting('jadl.stanowisko', true), 'ODTWORZENIE', 'Towary');\n"
                       "END $f$")
            .arg(q),
        QStringLiteral("CREATE OR REPLACE FUNCTION jadl_przenumeruj(tabela text, kolumna text, od bigint) RETURNS void "
                       "LANGUAGE plpgsql SECURITY DEFINER SET search_path = %1, pg_temp AS $f$\n"
                       "BEGIN\n"
                       "  IF current_setting('jadl.odtwarzanie', true) IS DISTINCT FROM 'tak' OR jadl_rola() NOT IN "
                       "('centrala', 'wlasciciel') THEN\n"
                       "    RAISE EXCEPTION USING ERRCODE = 'insufficient_privilege', MESSAGE = 'Numeracja tabel "
                       "zmienia się tylko przy odtwarzaniu danych.';\n"
                       "  END IF;\n"
                       "  EXECUTE format('ALTER TABLE %I ALTER COLUMN %I RESTART WITH %s', tabela, kolumna, od);\n"
                       "END $f$")
            .arg(q),
        // The planner learns a restored table's contents at once, whoever restored it.
        QStringLiteral("CREATE OR REPLACE FUNCTION jadl_analizuj(tabela text) RETURNS void LANGUAGE plpgsql SECURITY "
                       "DEFINER SET search_path = %1, pg_temp AS $f$\n"
                       "BEGIN\n"
                       "  IF jadl_rola() IN ('centrala', 'wlasciciel') THEN\n"
                       "    EXECUTE format('ANALYZE %I', tabela);\n"
                       "  END IF;\n"
                       "END $f$")
            .arg(q),
    };
}

} // namespace

QStringList engineObjectsSql(const QString& schema)
{
    const QString q = quoteId(schema);
    return tablesSql() + lookupFunctionsSql(q) + recordFunctionsSql(q);
}

} // namespace jadl::pgstorage

namespace jadl::serversetup {

namespace {

using pgstorage::Relation;

QString text(const PgResult& r, int row = 0, int col = 0)
{
    return QString::fromUtf8(PQgetvalue(r.get(), row, col));
}

const QStringList kSiteTables{
    QStringLiteral("Towary"),         QStringLiteral("FakturyKSeF"), QStringLiteral("MapowanieKSeF"),
    QStringLiteral("PozycjeKSeF"),    QStringLiteral("PobraneKSeF"), QStringLiteral("PunktKSeF"),
    QStringLiteral("UstawieniaKSeF"), QStringLiteral("TowaryPom"),   QStringLiteral("TowaryRaport")};
// Shared dictionaries: a site adds and corrects, only the head office removes.
const QStringList kDictionaries{QStringLiteral("TowaryPodstawowe"), QStringLiteral("GrupyTowarow"),
                                QStringLiteral("JednostkiMiar"), QStringLiteral("Dostawcy"),
                                QStringLiteral("Parametry")};
// Kept by the restaurant a record belongs to (the head office sees all).
const QStringList kRestaurantTables{QStringLiteral("FakturyKSeF"), QStringLiteral("MapowanieKSeF"),
                                    QStringLiteral("PozycjeKSeF"), QStringLiteral("PobraneKSeF")};
// Kept by whose they are: a site's restaurant, or a head office login's own.
const QStringList kOwnTables{QStringLiteral("PunktKSeF"), QStringLiteral("UstawieniaKSeF"),
                             QStringLiteral("TowaryRaport")};

QStringList policySql(const QString& table, const QString& mine, bool headOfficeSeesAll)
{
    const QString t = quoteId(table);
    QStringList out{QStringLiteral("ALTER TABLE %1 ENABLE ROW LEVEL SECURITY").arg(t),
                    QStringLiteral("DROP POLICY IF EXISTS jadl_stanowisko ON %1").arg(t),
                    QStringLiteral("DROP POLICY IF EXISTS jadl_centrala ON %1").arg(t)};
    out << QStringLiteral("CREATE POLICY jadl_stanowisko ON %1 TO jadl_stanowisko USING (%2) WITH CHECK (%2)")
               .arg(t, mine);
    out << QStringLiteral("CREATE POLICY jadl_centrala ON %1 TO jadl_centrala USING (%2) WITH CHECK (%2)")
               .arg(t, headOfficeSeesAll ? QStringLiteral("true") : mine);
    return out;
}

// The bucket tables of the sums a table keeps per month.
QStringList keptBuckets(const QString& table)
{
    QStringList out;
    const TableDef* def = tabledefs::find(table);
    if (!def || !def->keptSums)
        return out;
    const keptsums::Layout l = keptsums::layout(table, *def->keptSums);
    for (int g = 0; g < def->keptSums->groupings.size(); ++g)
        out << l.bucketTable(g);
    return out;
}

QStringList securitySql(const QString& schema)
{
    QStringList out;
    const QString mineLine = QStringLiteral("\"RestauracjaNumer\" = (SELECT jadl_moja_restauracja())");
    out << QStringLiteral("CREATE OR REPLACE TRIGGER jadl_restauracja BEFORE INSERT OR UPDATE ON \"Towary\" FOR EACH "
                          "ROW EXECUTE FUNCTION jadl_towary_restauracja()");
    out += policySql(QStringLiteral("Towary"), mineLine, true);
    // The monthly sums of the lines: each login sees the sums of the lines it may read.
    const QStringList buckets = keptBuckets(QStringLiteral("Towary"));
    for (const QString& bucket : buckets)
        out += policySql(bucket, mineLine, true);
    for (const QString& table : kRestaurantTables) {
        const QString t = quoteId(table);
        out << QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS jadl_restauracja integer").arg(t)
            << QStringLiteral("CREATE OR REPLACE TRIGGER jadl_stempel BEFORE INSERT OR UPDATE ON %1 FOR EACH ROW "
                              "EXECUTE FUNCTION jadl_stempel('restauracja')")
                   .arg(t);
        out += policySql(table, QStringLiteral("jadl_restauracja = (SELECT jadl_moja_restauracja())"), true);
    }
    for (const QString& table : kOwnTables) {
        const QString t = quoteId(table);
        out << QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS jadl_kto text").arg(t)
            << QStringLiteral("CREATE OR REPLACE TRIGGER jadl_stempel BEFORE INSERT OR UPDATE ON %1 FOR EACH ROW "
                              "EXECUTE FUNCTION jadl_stempel('kto')")
                   .arg(t);
        out += policySql(table, QStringLiteral("jadl_kto = (SELECT jadl_kto())"), false);
    }
    out << QStringLiteral("CREATE OR REPLACE TRIGGER jadl_historia_zmiana AFTER UPDATE ON \"Towary\" FOR EACH ROW WHEN "
                          "(OLD.* IS DISTINCT FROM NEW.*) EXECUTE FUNCTION jadl_historia_zapis()")
        << QStringLiteral("CREATE OR REPLACE TRIGGER jadl_historia_usuniecie AFTER DELETE ON \"Towary\" FOR EACH ROW "
                          "EXECUTE FUNCTION jadl_historia_zapis()");

    // Rights: what each group may do at all; the policies then choose the rows.
    const QString both = QStringLiteral("jadl_stanowisko, jadl_centrala");
    out << QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(quoteId(schema), both)
        << QStringLiteral("GRANT SELECT ON ALL SEQUENCES IN SCHEMA %1 TO %2").arg(quoteId(schema), both);
    for (const QString& table : kSiteTables)
        out << QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO %2").arg(quoteId(table), both);
    // Written by the owner's triggers alone.
    for (const QString& bucket : buckets)
        out << QStringLiteral("GRANT SELECT ON %1 TO %2").arg(quoteId(bucket), both);
    for (const QString& table : kDictionaries)
        out << QStringLiteral("GRANT SELECT, INSERT, UPDATE ON %1 TO jadl_stanowisko").arg(quoteId(table))
            << QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO jadl_centrala").arg(quoteId(table));
    out << QStringLiteral("GRANT SELECT ON \"StawkiVat\" TO jadl_stanowisko")
        << QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON \"StawkiVat\" TO jadl_centrala")
        << QStringLiteral("GRANT SELECT, UPDATE ON \"Wlasciciel\" TO jadl_stanowisko")
        << QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON \"Wlasciciel\" TO jadl_centrala")
        // A restore empties and locks the tables behind the views.
        << QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON jadl_wlasciciel, jadl_dostawcy, "
                          "jadl_sumy_dostawcow TO jadl_centrala")
        << QStringLiteral("REVOKE ALL ON jadl_historia, jadl_loginy, jadl_stanowiska FROM PUBLIC")
        << QStringLiteral("GRANT SELECT ON jadl_historia TO jadl_centrala");
    return out;
}

QList<const TableDef*> preparedTables()
{
    return tabledefs::all() + tabledefs::invoiceTables() + QList<const TableDef*>{&tabledefs::copyTable()};
}

Role roleOf(const QString& name)
{
    if (name == QLatin1String("stanowisko"))
        return Role::Site;
    if (name == QLatin1String("centrala"))
        return Role::HeadOffice;
    if (name == QLatin1String("wlasciciel"))
        return Role::Owner;
    return Role::None;
}

// The login must exist and be an ordinary one: a superuser or a login that may
// bypass the policies would see everything whatever it was bound to.
void checkLogin(PgLink& link, const QString& login)
{
    const PgResult r = link.exec("SELECT rolcanlogin, rolsuper OR rolbypassrls, pg_has_role(oid, (SELECT relowner FROM "
                                 "pg_class WHERE oid = 'jadl_loginy'::regclass), 'MEMBER') FROM pg_roles WHERE "
                                 "rolname = " +
                                     link.escapeLiteral(login),
                                 false);
    if (PQntuples(r.get()) == 0)
        throw EngineError(QStringLiteral("Na serwerze nie ma loginu %1. Utwórz go najpierw (CREATE ROLE %1 LOGIN "
                                         "PASSWORD ...), potem uruchom to polecenie ponownie.")
                              .arg(login),
                          link.display());
    if (text(r, 0, 0) != QLatin1String("t"))
        throw EngineError(QStringLiteral("Rola %1 nie może się logować (brak LOGIN).").arg(login), link.display());
    if (text(r, 0, 1) == QLatin1String("t") || text(r, 0, 2) == QLatin1String("t"))
        throw EngineError(QStringLiteral("Login %1 jest administratorem serwera lub właścicielem bazy i omija zasady "
                                         "dostępu; stanowisku i centrali potrzebny jest zwykły login.")
                              .arg(login),
                          link.display());
}

// A login is a site or the head office, never both (the policies would add up).
void switchGroup(PgLink& link, const QString& login, const char* from, const char* to)
{
    const QByteArray role = quoteId(login).toUtf8();
    const PgResult direct = link.exec(
        "SELECT count(*) FROM pg_auth_members WHERE roleid = '" + QByteArray(from) +
            "'::regrole AND member = (SELECT oid FROM pg_roles WHERE rolname = " + link.escapeLiteral(login) + ")",
        false);
    if (text(direct) != QLatin1String("0"))
        link.exec("REVOKE " + QByteArray(from) + " FROM " + role, false);
    link.exec("GRANT " + QByteArray(to) + " TO " + role, false);
}

void requirePreparedBy(PgLink& link)
{
    const PgResult r = link.exec(
        "SELECT count(*) FROM pg_proc WHERE proname = 'jadl_wersja' AND pronamespace = current_schema()::regnamespace",
        false);
    if (text(r) == QLatin1String("0"))
        throw EngineError(QStringLiteral("Baza danych na serwerze %1 nie jest przygotowana; najpierw uruchom: jadlonia "
                                         "--przygotuj-serwer")
                              .arg(link.display()),
                          link.display());
}

} // namespace

QStringList prepare(const QString& connection)
{
    const std::unique_ptr<PgLink> link = PgServer::get(connection)->privateLink();
    const PgResult who = link->exec("SELECT current_schema(), session_user, has_schema_privilege(current_schema(), "
                                    "'CREATE'), (SELECT rolcreaterole OR rolsuper FROM pg_roles WHERE rolname = "
                                    "session_user)",
                                    false);
    const QString schema = text(who, 0, 0);
    if (schema.isEmpty() || text(who, 0, 2) != QLatin1String("t"))
        throw EngineError(QStringLiteral("Login %1 nie może tworzyć tabel w bazie %2; serwer przygotowuje właściciel "
                                         "bazy danych.")
                              .arg(text(who, 0, 1), link->display()),
                          link->display());
    // The functions keep the search path they are made under: this schema, then nothing a login could plant.
    link->exec("SELECT set_config('search_path', " +
                   link->escapeLiteral(quoteId(schema) + QStringLiteral(", pg_temp")) + ", false)",
               false);
    QStringList report;
    pgstorage::StructureChange tx(*link);
    const PgResult roles = link->exec(
        "SELECT count(*) FROM pg_roles WHERE rolname IN ('jadl_stanowisko', 'jadl_centrala')", false);
    if (text(roles) != QLatin1String("2") && text(who, 0, 3) != QLatin1String("t"))
        throw EngineError(QStringLiteral("Login %1 nie może utworzyć ról jadl_stanowisko i jadl_centrala (potrzebne "
                                         "prawo CREATEROLE); utwórz je raz jako administrator serwera.")
                              .arg(text(who, 0, 1)),
                          link->display());
    tx.run(pgstorage::engineObjectsSql(schema));
    report << (text(roles) == QLatin1String("2")
                   ? QStringLiteral("Role jadl_stanowisko i jadl_centrala: już są.")
                   : QStringLiteral("Utworzono role grupowe jadl_stanowisko (stanowiska) i jadl_centrala (centrala)."));
    QStringList made, completed;
    for (const TableDef* def : preparedTables()) {
        const QString table = QFileInfo(def->fileName).completeBaseName();
        std::optional<Relation> rel = pgstorage::findRelation(*link, table);
        if (!rel) {
            tx.run(pgstorage::createSql(table, *def));
            made << table;
            continue;
        }
        QStringList steps;
        if (table == QLatin1String("Dostawcy") && !rel->view) {
            tx.run(pgstorage::supplierConversionSql(*def));
            report << QStringLiteral("Tabela Dostawcy: sumy dostawców są teraz osobne dla każdej restauracji "
                                     "(dotychczasowe przypisano właścicielowi bazy).");
            rel = pgstorage::findRelation(*link, table);
        }
        steps += pgstorage::viewRenewalSql(table, *def);
        const QStringList missing = pgstorage::completionSql(*link, *rel, *def);
        if (!missing.isEmpty())
            completed << table;
        steps += missing;
        tx.run(steps);
    }
    QStringList kept;
    for (const TableDef* def : preparedTables()) {
        if (!def->keptSums)
            continue;
        const QString table = QFileInfo(def->fileName).completeBaseName();
        QStringList existing;
        for (const QString& bucket : keptBuckets(table))
            if (pgstorage::findRelation(*link, bucket))
                existing << bucket;
        tx.run(keptsums::serverSql(keptsums::layout(table, *def->keptSums), def->fields, schema, existing));
        if (existing.size() < keptBuckets(table).size())
            kept << table;
    }
    report << (made.isEmpty() ? QStringLiteral("Tabele programu: wszystkie już są.")
                              : QStringLiteral("Utworzono tabele: %1.").arg(made.join(QStringLiteral(", "))));
    if (!completed.isEmpty())
        report << QStringLiteral("Uzupełniono indeksy i liczniki zmian tabel: %1.")
                      .arg(completed.join(QStringLiteral(", ")));
    if (!kept.isEmpty())
        report << QStringLiteral("Sumy miesięczne tabel %1: policzone z zapisanych wierszy; serwer prowadzi je odtąd "
                                 "przy każdym zapisie.")
                      .arg(kept.join(QStringLiteral(", ")));
    tx.run(securitySql(schema));
    report << QStringLiteral("Zasady dostępu: każde stanowisko widzi i zmienia tylko zakupy i faktury swojej "
                             "restauracji; centrala wszystkie.")
           << QStringLiteral("Historia zmian i usunięć zakupów: prowadzona przez serwer.");
    tx.commit();
    link->exec("ANALYZE", false);
    report << QStringLiteral("Serwer %1 jest przygotowany do pracy programu.").arg(link->display());
    PgServer::get(connection)->prepared = false;
    return report;
}

QString addSite(const QString& connection, const QString& login, const QString& restaurantSymbol)
{
    const std::unique_ptr<PgLink> link = PgServer::get(connection)->privateLink();
    requirePreparedBy(*link);
    checkLogin(*link, login);
    const PgResult r = link->exec("SELECT \"Numer\", \"Nazwa\" FROM jadl_wlasciciel WHERE \"Symbol\" = " +
                                      link->escapeLiteral(restaurantSymbol) + " ORDER BY \"Numer\"",
                                  false);
    if (PQntuples(r.get()) == 0)
        throw EngineError(QStringLiteral("Nie ma restauracji o symbolu %1; dodaj ją najpierw w oknie restauracji "
                                         "(jako centrala lub właściciel bazy).")
                              .arg(restaurantSymbol),
                          link->display());
    if (PQntuples(r.get()) > 1)
        throw EngineError(QStringLiteral("Symbol %1 ma %2 restauracje; nadaj im różne symbole.")
                              .arg(restaurantSymbol)
                              .arg(PQntuples(r.get())),
                          link->display());
    const QString number = text(r, 0, 0);
    pgstorage::StructureChange tx(*link);
    link->exec("INSERT INTO jadl_loginy (login, rola, restauracja) VALUES (" + link->escapeLiteral(login) +
                   ", 'stanowisko', " + number.toUtf8() +
                   ") ON CONFLICT (login) DO UPDATE SET rola = excluded.rola, restauracja = excluded.restauracja",
               false);
    switchGroup(*link, login, "jadl_centrala", "jadl_stanowisko");
    tx.commit();
    return QStringLiteral("Login %1 pracuje teraz jako stanowisko restauracji %2 (%3).")
        .arg(login, restaurantSymbol, text(r, 0, 1));
}

QString addHeadOffice(const QString& connection, const QString& login)
{
    const std::unique_ptr<PgLink> link = PgServer::get(connection)->privateLink();
    requirePreparedBy(*link);
    checkLogin(*link, login);
    pgstorage::StructureChange tx(*link);
    link->exec("INSERT INTO jadl_loginy (login, rola, restauracja) VALUES (" + link->escapeLiteral(login) +
                   ", 'centrala', NULL) ON CONFLICT (login) DO UPDATE SET rola = excluded.rola, restauracja = NULL",
               false);
    switchGroup(*link, login, "jadl_stanowisko", "jadl_centrala");
    tx.commit();
    return QStringLiteral("Login %1 pracuje teraz jako centrala: widzi zakupy wszystkich restauracji.").arg(login);
}

Role role(const QString& connection)
{
    PgLink& link = PgServer::get(connection)->idleLink();
    requirePreparedBy(link);
    return roleOf(text(link.exec("SELECT jadl_rola()", true)));
}

void requireHeadOffice(const QString& connection, const QString& what)
{
    const Role r = role(connection);
    if (r == Role::Owner || r == Role::HeadOffice)
        return;
    throw EngineError(QStringLiteral("%1 na serwerze wykonuje tylko centrala sieci; to stanowisko pracuje dla jednej "
                                     "restauracji. Nic nie zostało zmienione.")
                          .arg(what),
                      serverDisplayName(connection));
}

QList<HistoryEntry> lineHistory(const QString& connection, qint64 lineNumber)
{
    const Role r = role(connection);
    PgLink& link = PgServer::get(connection)->idleLink();
    if (r != Role::Owner && r != Role::HeadOffice)
        throw EngineError(QStringLiteral("Historię zmian zakupów ogląda centrala sieci."), link.display());
    const PgResult rows = link.exec("SELECT to_char(czas AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'), login, "
                                    "coalesce(stanowisko, ''), operacja, coalesce(przed::text, ''), coalesce(po::text, "
                                    "'') FROM jadl_historia WHERE tabela = 'Towary' AND klucz = " +
                                        QByteArray::number(lineNumber) + " ORDER BY numer",
                                    true);
    QList<HistoryEntry> out;
    for (int i = 0; i < PQntuples(rows.get()); ++i) {
        HistoryEntry e;
        e.when = QDateTime::fromString(text(rows, i, 0), Qt::ISODate).toLocalTime();
        e.login = text(rows, i, 1);
        e.workstation = text(rows, i, 2);
        e.operation = text(rows, i, 3);
        e.before = QJsonDocument::fromJson(text(rows, i, 4).toUtf8()).object();
        e.after = QJsonDocument::fromJson(text(rows, i, 5).toUtf8()).object();
        out << e;
    }
    return out;
}

} // namespace jadl::serversetup
