#include "support/DataGenerator.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "store/DataSource.h"
#include "store/EngineError.h"
#include "store/Table.h"
#include "store/TableDefs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <SQLiteCpp/SQLiteCpp.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jadl::bench {

QDate lastPurchaseDay()
{
    return QDate(2026, 12, 6);
}
QDate firstPurchaseDay()
{
    return lastPurchaseDay().addYears(-10).addDays(1);
}

QString completeMarker(const QString& directory)
{
    // Named for the file layout it marks: a set made before the Polish sort keys is made again.
    return QDir(directory).filePath(QStringLiteral("gen_data.v2.done"));
}

int supplierGroup(int supplierNumber, int which)
{
    // Three distinct groups per supplier, spread so every group has several suppliers.
    return (supplierNumber * 7 + which * 13) % kGroups + 1;
}

namespace {

// splitmix64: tiny, fast and identical on every platform (the standard
// distributions are not), so a seed always gives the same data.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) { }
    std::uint64_t next()
    {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % std::uint64_t(n)); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * double(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return uniform(0, 1) < p; }
    std::string digits(int count)
    {
        std::string s;
        for (int i = 0; i < count; ++i)
            s.push_back(char('0' + below(10)));
        return s;
    }

private:
    std::uint64_t s_;
};

std::string utf8(const QString& s)
{
    return s.toStdString();
}

// The single table inside one table file, addressed by the program's field names.
class TableFile {
public:
    TableFile(SQLite::Database& db, QString path) : db_(db), path_(std::move(path))
    {
        SQLite::Statement q(db_, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'");
        const QString base = QFileInfo(path_).completeBaseName();
        QStringList names;
        while (q.executeStep())
            names << QString::fromStdString(q.getColumn(0).getString());
        for (const QString& n : names)
            if (n.compare(base, Qt::CaseInsensitive) == 0)
                name_ = n;
        if (name_.isEmpty() && names.size() == 1)
            name_ = names.first();
        if (name_.isEmpty())
            throw EngineError(QStringLiteral("Nie znaleziono tabeli %1 w pliku").arg(base), path_);
        SQLite::Statement cols(db_, "SELECT name FROM pragma_table_info(?)");
        cols.bind(1, utf8(name_));
        while (cols.executeStep()) {
            const QString c = QString::fromStdString(cols.getColumn(0).getString());
            columns_.insert(c.toLower(), c);
        }
    }

    QString quotedName() const { return quote(name_); }
    const QString& path() const { return path_; }

    QString column(const char* field) const
    {
        const auto it = columns_.constFind(QString::fromLatin1(field).toLower());
        if (it == columns_.constEnd())
            throw EngineError(QStringLiteral("%1: Field '%2' not found").arg(name_, QString::fromLatin1(field)), path_);
        return quote(*it);
    }

    // Secondary indexes as the store declared them, for rebuilding after a bulk load.
    std::vector<std::pair<std::string, std::string>> indexes() const
    {
        std::vector<std::pair<std::string, std::string>> out;
        SQLite::Statement q(
            db_, "SELECT name, sql FROM sqlite_master WHERE type='index' AND tbl_name=? AND sql IS NOT NULL");
        q.bind(1, utf8(name_));
        while (q.executeStep())
            out.emplace_back(q.getColumn(0).getString(), q.getColumn(1).getString());
        return out;
    }

    static QString quote(const QString& id)
    {
        return QLatin1Char('"') + QString(id).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }

private:
    SQLite::Database& db_;
    QString path_;
    QString name_;
    QHash<QString, QString> columns_;
};

// One prepared INSERT over a fixed list of fields; values are bound in that order.
class Inserter {
public:
    Inserter(SQLite::Database& db, const TableFile& table, std::initializer_list<const char*> fields)
        : count_(int(fields.size())), stmt_(db, sql(table, fields))
    { }

    template <class... Values>
    void row(const Values&... values)
    {
        if (int(sizeof...(Values)) != count_)
            throw std::logic_error("value count does not match the field list");
        int i = 1;
        (bindOne(i++, values), ...);
        stmt_.exec();
        stmt_.reset();
    }

private:
    static std::string sql(const TableFile& table, std::initializer_list<const char*> fields)
    {
        QStringList cols, marks;
        for (const char* f : fields) {
            cols << table.column(f);
            marks << QStringLiteral("?");
        }
        return utf8(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(table.quotedName(), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    }
    void bindOne(int i, int v) { stmt_.bind(i, v); }
    void bindOne(int i, qint64 v) { stmt_.bind(i, static_cast<int64_t>(v)); }
    void bindOne(int i, double v) { stmt_.bind(i, v); }
    void bindOne(int i, bool v) { stmt_.bind(i, v ? 1 : 0); }
    void bindOne(int i, const std::string& v) { stmt_.bind(i, v); }
    void bindOne(int i, const char* v) { stmt_.bind(i, v); }
    void bindOne(int i, const std::optional<double>& v) { v ? stmt_.bind(i, *v) : stmt_.bind(i); }

    int count_;
    SQLite::Statement stmt_;
};

// --- vocabulary ----------------------------------------------------------

struct GroupWords {
    const char* name;
    const char* code; // symbol prefix
    const char* type;
    const char* unit;
    const char* vat;
    double price; // typical net price per unit today
    std::array<const char*, 5> goods;
};

// 40 groups of a restaurant's purchases with five kinds of goods each.
const std::array<GroupWords, kGroups>& groupWords()
{
    static const std::array<GroupWords, kGroups> words = {{
        {"Nabiał", "NAB", "Spożywczy", "szt", "5", 4.5, {"Mleko", "Śmietana", "Jogurt naturalny", "Masło", "Kefir"}},
        {"Sery",
         "SER",
         "Spożywczy",
         "kg",
         "5",
         32.0,
         {"Ser żółty gouda", "Ser twarogowy", "Mozzarella", "Parmezan", "Ser pleśniowy"}},
        {"Mięso wieprzowe", "WIE", "Spożywczy", "kg", "5", 21.0, {"Schab", "Karkówka", "Łopatka", "Boczek", "Żeberka"}},
        {"Mięso wołowe",
         "WOL",
         "Spożywczy",
         "kg",
         "5",
         48.0,
         {"Polędwica wołowa", "Rostbef", "Antrykot", "Mostek wołowy", "Gulasz wołowy"}},
        {"Drób",
         "DRO",
         "Spożywczy",
         "kg",
         "5",
         17.0,
         {"Filet z kurczaka", "Udko z kurczaka", "Kaczka", "Indyk pierś", "Skrzydełka"}},
        {"Wędliny",
         "WED",
         "Spożywczy",
         "kg",
         "5",
         36.0,
         {"Szynka gotowana", "Kiełbasa śląska", "Polędwica sopocka", "Salami", "Kabanosy"}},
        {"Ryby", "RYB", "Spożywczy", "kg", "5", 42.0, {"Łosoś", "Dorsz", "Sandacz", "Pstrąg", "Śledź"}},
        {"Owoce morza",
         "OMO",
         "Spożywczy",
         "kg",
         "5",
         79.0,
         {"Krewetki", "Małże", "Kalmary", "Ośmiornica", "Przegrzebki"}},
        {"Warzywa świeże",
         "WAR",
         "Spożywczy",
         "kg",
         "5",
         4.2,
         {"Ziemniaki", "Marchew", "Cebula", "Pomidory", "Ogórki"}},
        {"Owoce", "OWO", "Spożywczy", "kg", "5", 7.5, {"Jabłka", "Cytryny", "Banany", "Truskawki", "Pomarańcze"}},
        {"Grzyby",
         "GRZ",
         "Spożywczy",
         "kg",
         "5",
         18.0,
         {"Pieczarki", "Boczniaki", "Kurki", "Borowiki suszone", "Shiitake"}},
        {"Przyprawy",
         "PRZ",
         "Spożywczy",
         "opak",
         "8",
         6.0,
         {"Pieprz czarny", "Papryka słodka", "Majeranek", "Kminek", "Curry"}},
        {"Zioła świeże",
         "ZIO",
         "Spożywczy",
         "szt",
         "5",
         3.5,
         {"Natka pietruszki", "Koperek", "Bazylia", "Tymianek", "Rozmaryn"}},
        {"Mąka",
         "MAK",
         "Spożywczy",
         "kg",
         "5",
         2.8,
         {"Mąka pszenna typ 450", "Mąka żytnia", "Mąka tortowa", "Mąka ziemniaczana", "Mąka orkiszowa"}},
        {"Kasze",
         "KAS",
         "Spożywczy",
         "kg",
         "5",
         6.5,
         {"Kasza gryczana", "Kasza jęczmienna", "Kasza jaglana", "Kuskus", "Bulgur"}},
        {"Ryż",
         "RYZ",
         "Spożywczy",
         "kg",
         "5",
         7.0,
         {"Ryż biały", "Ryż basmati", "Ryż arborio", "Ryż jaśminowy", "Ryż dziki"}},
        {"Makarony", "MKR", "Spożywczy", "kg", "5", 8.0, {"Spaghetti", "Penne", "Tagliatelle", "Lasagne", "Świderki"}},
        {"Pieczywo",
         "PIE",
         "Spożywczy",
         "szt",
         "5",
         3.2,
         {"Chleb żytni", "Bułka kajzerka", "Bagietka", "Chleb razowy", "Ciabatta"}},
        {"Ciasta i desery",
         "CIA",
         "Spożywczy",
         "szt",
         "8",
         24.0,
         {"Sernik", "Szarlotka", "Makowiec", "Tiramisu", "Babka"}},
        {"Jaja",
         "JAJ",
         "Spożywczy",
         "szt",
         "5",
         0.75,
         {"Jaja L", "Jaja M", "Jaja przepiórcze", "Jaja ekologiczne", "Jaja z wolnego wybiegu"}},
        {"Tłuszcze",
         "TLU",
         "Spożywczy",
         "kg",
         "5",
         14.0,
         {"Smalec", "Margaryna", "Masło klarowane", "Łój", "Tłuszcz do frytur"}},
        {"Oleje",
         "OLE",
         "Spożywczy",
         "l",
         "5",
         9.0,
         {"Olej rzepakowy", "Oliwa z oliwek", "Olej słonecznikowy", "Olej lniany", "Olej sezamowy"}},
        {"Cukier",
         "CUK",
         "Spożywczy",
         "kg",
         "8",
         3.9,
         {"Cukier biały", "Cukier trzcinowy", "Cukier puder", "Miód", "Syrop klonowy"}},
        {"Słodycze",
         "SLO",
         "Spożywczy",
         "opak",
         "8",
         5.5,
         {"Czekolada gorzka", "Kakao", "Wafle", "Herbatniki", "Bakalie"}},
        {"Konserwy",
         "KON",
         "Spożywczy",
         "szt",
         "5",
         6.0,
         {"Pomidory krojone", "Groszek konserwowy", "Kukurydza", "Fasola czerwona", "Tuńczyk"}},
        {"Przetwory",
         "PRT",
         "Spożywczy",
         "szt",
         "5",
         7.5,
         {"Ogórki kiszone", "Kapusta kiszona", "Chrzan", "Musztarda", "Dżem truskawkowy"}},
        {"Mrożonki warzywne",
         "MRW",
         "Spożywczy",
         "kg",
         "5",
         8.5,
         {"Frytki", "Mieszanka warzywna", "Szpinak mrożony", "Brokuły mrożone", "Fasolka szparagowa"}},
        {"Mrożonki rybne",
         "MRR",
         "Spożywczy",
         "kg",
         "5",
         27.0,
         {"Filet z mintaja", "Paluszki rybne", "Krewetki mrożone", "Dorsz mrożony", "Łosoś mrożony"}},
        {"Lody",
         "LOD",
         "Spożywczy",
         "l",
         "8",
         16.0,
         {"Lody waniliowe", "Lody czekoladowe", "Sorbet cytrynowy", "Lody śmietankowe", "Lody pistacjowe"}},
        {"Soki",
         "SOK",
         "Napoje",
         "l",
         "5",
         5.0,
         {"Sok pomarańczowy", "Sok jabłkowy", "Nektar czarna porzeczka", "Sok pomidorowy", "Sok grejpfrutowy"}},
        {"Wody mineralne",
         "WOD",
         "Napoje",
         "but",
         "23",
         1.4,
         {"Woda niegazowana", "Woda gazowana", "Woda lekko gazowana", "Woda źródlana", "Woda smakowa"}},
        {"Napoje gazowane",
         "NAP",
         "Napoje",
         "but",
         "23",
         3.1,
         {"Cola", "Oranżada", "Tonik", "Lemoniada", "Napój energetyczny"}},
        {"Kawa",
         "KAW",
         "Napoje",
         "kg",
         "23",
         62.0,
         {"Kawa ziarnista", "Kawa mielona", "Kawa bezkofeinowa", "Espresso", "Kawa rozpuszczalna"}},
        {"Herbata",
         "HER",
         "Napoje",
         "opak",
         "23",
         11.0,
         {"Herbata czarna", "Herbata zielona", "Herbata owocowa", "Herbata miętowa", "Herbata rumiankowa"}},
        {"Piwo",
         "PIW",
         "Alkohol",
         "but",
         "23",
         3.4,
         {"Piwo jasne", "Piwo ciemne", "Piwo pszeniczne", "Piwo bezalkoholowe", "Piwo niepasteryzowane"}},
        {"Wino",
         "WIN",
         "Alkohol",
         "but",
         "23",
         27.0,
         {"Wino czerwone wytrawne", "Wino białe wytrawne", "Wino różowe", "Prosecco", "Wino deserowe"}},
        {"Wódki i likiery",
         "WOK",
         "Alkohol",
         "but",
         "23",
         35.0,
         {"Wódka czysta", "Żubrówka", "Nalewka wiśniowa", "Likier jajeczny", "Krupnik"}},
        {"Sosy",
         "SOS",
         "Spożywczy",
         "l",
         "8",
         12.0,
         {"Ketchup", "Majonez", "Sos sojowy", "Sos barbecue", "Ocet balsamiczny"}},
        {"Chemia gospodarcza",
         "CHE",
         "Chemia",
         "szt",
         "23",
         9.5,
         {"Płyn do naczyń", "Proszek do zmywarki", "Środek dezynfekujący", "Ręczniki papierowe", "Worki na śmieci"}},
        {"Opakowania",
         "OPA",
         "Opakowania",
         "opak",
         "zw",
         19.0,
         {"Pojemniki na wynos", "Folia spożywcza", "Serwetki", "Kubki papierowe", "Torby papierowe"}},
    }};
    return words;
}

struct Good {
    int numer = 0;
    int group = 0;
    int nrKol = 0;
    std::string name, symbol, index, type, groupName, unit, vatTyp;
    std::optional<QString> vatTypQ;
    double rate = 0;
    double price = 0; // net price today
    std::optional<double> reference; // reference price, sometimes missing
};

struct Supplier {
    int numer = 0;
    std::string name, symbol;
};

std::vector<Good> makeGoods(Rng& rng)
{
    static const std::array<const char*, 10> variants = {"",       "extra",   "premium", "BIO", "krajowy",
                                                         "import", "hurtowy", "gastro",  "luz", "ekonomiczny"};
    std::vector<Good> goods;
    goods.reserve(kGoods);
    const auto& groups = groupWords();
    for (int g = 0; g < kGroups; ++g) {
        for (int k = 0; k < kGoodsPerGroup; ++k) {
            Good x;
            x.numer = int(goods.size()) + 1;
            x.group = g + 1;
            x.nrKol = k + 1;
            const QString base = QString::fromUtf8(groups[g].goods[k % 5]);
            const char* variant = variants[k / 5];
            x.name = utf8(*variant ? base + QLatin1Char(' ') + QString::fromUtf8(variant) : base);
            x.symbol = utf8(
                QStringLiteral("%1-%2").arg(QLatin1String(groups[g].code)).arg(k + 1, 3, 10, QLatin1Char('0')));
            x.index = "590" + rng.digits(10);
            x.type = groups[g].type;
            x.groupName = groups[g].name;
            x.unit = groups[g].unit;
            x.vatTyp = groups[g].vat;
            x.vatTypQ = QString::fromLatin1(groups[g].vat);
            x.rate = vatRate(x.vatTypQ);
            x.price = std::max(0.01, roundedMoney(groups[g].price * rng.uniform(0.6, 1.8)));
            if (!rng.chance(0.15))
                x.reference = roundedMoney(x.price * rng.uniform(0.9, 1.1));
            goods.push_back(std::move(x));
        }
    }
    return goods;
}

double quantityFor(const std::string& unit, Rng& rng)
{
    if (unit == "kg")
        return (rng.below(400) + 1) * 0.1; // 0.1 .. 40 kg
    if (unit == "l")
        return double(rng.below(30) + 1);
    if (unit == "but")
        return double((rng.below(4) + 1) * 6); // crates of six
    if (unit == "opak")
        return double(rng.below(20) + 1);
    return double(rng.below(60) + 1);
}

void removeTableFiles(const QString& dir)
{
    for (const TableDef* def : tabledefs::all()) {
        Table t;
        t.setDatabaseName(dir);
        t.setTableName(def->fileName);
        const QString path = t.filePath();
        for (const QString& p : {path, QString(path + QStringLiteral("-journal"))})
            if (QFile::exists(p) && !QFile::remove(p))
                throw EngineError(QStringLiteral("Nie można usunąć pliku"), p);
    }
}

// Every table file of the data directory, created empty from its definition by the store.
QHash<QString, QString> createTableFiles(const QString& dir)
{
    QHash<QString, QString> paths;
    for (const TableDef* def : tabledefs::all()) {
        Table t;
        t.setDatabaseName(dir);
        t.setTableName(def->fileName);
        if (t.exists())
            throw std::invalid_argument(utf8(QStringLiteral("table file already exists: %1").arg(t.filePath())));
        t.open();
        t.close();
        paths.insert(def->fileName, t.filePath());
    }
    return paths;
}

// Opens a table file for the bulk load: no syncing until the one commit.
std::unique_ptr<SQLite::Database> openForLoad(const QString& path)
{
    auto db = std::make_unique<SQLite::Database>(utf8(path), SQLite::OPEN_READWRITE);
    db->exec("PRAGMA synchronous=OFF");
    db->exec("PRAGMA journal_mode=MEMORY");
    db->exec("PRAGMA cache_size=-131072");
    return db;
}

void fillGroups(const QString& path)
{
    auto db = openForLoad(path);
    TableFile t(*db, path);
    SQLite::Transaction tr(*db);
    Inserter ins(*db, t, {"Numer", "NrKol", "Grupa", "TypTowaru"});
    const auto& groups = groupWords();
    for (int g = 0; g < kGroups; ++g)
        ins.row(g + 1, g + 1, std::string(groups[g].name), std::string(groups[g].type));
    tr.commit();
}

void fillGoods(const QString& path, const std::vector<Good>& goods)
{
    auto db = openForLoad(path);
    TableFile t(*db, path);
    SQLite::Transaction tr(*db);
    Inserter ins(*db, t,
                 {"Numer", "NumerGrupy", "NrKol", "Nazwa", "Symbol", "Indeks", "TypTowaru", "Grupa", "DataDodania",
                  "CenaNetto", "CenaBrutto", "JednostkaMiary", "VatTyp", "CenaReferencyjna", "Uzywany", "Zablokawany"});
    const std::string added = utf8(firstPurchaseDay().addDays(-30).toString(Qt::ISODate));
    for (const Good& g : goods)
        ins.row(g.numer, g.group, g.nrKol, g.name, g.symbol, g.index, g.type, g.groupName, added, g.price,
                grossPrice(g.price, g.vatTypQ), g.unit, g.vatTyp, g.reference, true, false);
    tr.commit();
}

std::vector<Supplier> fillSuppliers(const QString& path, Rng& rng)
{
    static const std::array<const char*, 8> kinds = {"Hurtownia",           "P.H.U.",
                                                     "Zakład Przetwórstwa", "Piekarnia",
                                                     "Gospodarstwo Rolne",  "Przedsiębiorstwo Handlowe",
                                                     "Spółdzielnia",        "Dystrybucja"};
    static const std::array<const char*, 25> names = {
        "Kowalski",    "Nowak",     "Wiśniewski", "Wójcik",    "Kowalczyk",  "Kamiński",  "Lewandowski",
        "Zieliński",   "Szymański", "Woźniak",    "Dąbrowski", "Kozłowski",  "Jankowski", "Mazur",
        "Kwiatkowski", "Krawczyk",  "Piotrowski", "Grabowski", "Nowakowski", "Pawłowski", "Michalski",
        "Nowicki",     "Adamczyk",  "Dudek",      "Zając"};
    static const std::array<const char*, 4> forms = {"sp. z o.o.", "s.c.", "S.A.", ""};
    static const std::array<const char*, 12> towns = {"Kraków",    "Warszawa", "Wieliczka", "Tarnów",
                                                      "Nowy Sącz", "Katowice", "Bochnia",   "Myślenice",
                                                      "Skawina",   "Oświęcim", "Olkusz",    "Zakopane"};
    static const std::array<const char*, 10> streets = {"Długa",     "Krakowska",  "Polna",       "Lipowa",
                                                        "Słoneczna", "Kościuszki", "Mickiewicza", "Przemysłowa",
                                                        "Handlowa",  "Ogrodowa"};

    auto db = openForLoad(path);
    TableFile t(*db, path);
    SQLite::Transaction tr(*db);
    Inserter ins(*db, t,
                 {"Numer",
                  "NrKolejnyDostawcy",
                  "NrKolejnyWlasciciela",
                  "SymbolWlasciciela",
                  "Nazwa",
                  "Symbol",
                  "Miasto",
                  "Ulica",
                  "Adres",
                  "TypDostawcy",
                  "Nip",
                  "Regon",
                  "Telefon",
                  "Fax",
                  "E_mail",
                  "Bank",
                  "Konto",
                  "WartoscNettoSuma",
                  "WartoscVatSuma",
                  "WartoscBruttoSuma"});
    std::vector<Supplier> out;
    for (int s = 1; s <= kSuppliers; ++s) {
        const QString kind = QString::fromUtf8(kinds[rng.below(int(kinds.size()))]);
        const QString who = QString::fromUtf8(names[rng.below(int(names.size()))]);
        const QString form = QString::fromUtf8(forms[rng.below(int(forms.size()))]);
        const QString name = QString(kind + QLatin1Char(' ') + who + QLatin1Char(' ') + form).trimmed();
        // Symbols are short upper-case ASCII tags, unique by the ordinal.
        QString tag = who.left(5).toUpper();
        for (QChar& c : tag)
            if (c.unicode() > 127)
                c = QLatin1Char('X');
        const QString symbol = QStringLiteral("%1-%2").arg(tag).arg(s, 3, 10, QLatin1Char('0'));
        const QString town = QString::fromUtf8(towns[rng.below(int(towns.size()))]);
        const QString street = QStringLiteral("ul. %1 %2")
                                   .arg(QString::fromUtf8(streets[rng.below(int(streets.size()))]))
                                   .arg(rng.below(120) + 1);
        const QString address =
            QStringLiteral("%1-%2 %3, %4").arg(30 + rng.below(5)).arg(rng.below(900) + 100).arg(town, street);
        const std::string phone = "12 " + rng.digits(3) + " " + rng.digits(2) + " " + rng.digits(2);
        ins.row(s, s, 1, std::string("LIPY"), utf8(name), utf8(symbol), utf8(town), utf8(street), utf8(address),
                std::string("Dostawca towarów"), rng.digits(10), rng.digits(9), phone, phone,
                utf8(QStringLiteral("biuro%1@dostawca.pl").arg(s)), std::string("Bank Spółdzielczy"), rng.digits(26),
                0.0, 0.0, 0.0);
        out.push_back({s, utf8(name), utf8(symbol)});
    }
    tr.commit();
    return out;
}

void fillRestaurant(const QString& path)
{
    auto db = openForLoad(path);
    TableFile t(*db, path);
    SQLite::Transaction tr(*db);
    Inserter ins(*db, t,
                 {"Numer", "NrKolejny", "Nazwa", "Symbol", "Miasto", "Ulica", "Adres", "Nip", "CzyVat", "AktywnyString",
                  "Aktywny"});
    ins.row(1, 1, std::string("Restauracja Pod Lipami"), std::string("LIPY"), std::string("Kraków"),
            std::string("ul. Lipowa 7"), std::string("31-000 Kraków, ul. Lipowa 7"), std::string("6760001122"), true,
            std::string("TAK"), true);
    tr.commit();
}

void fillLines(const QString& path, qint64 lines, const std::vector<Good>& goods,
               const std::vector<Supplier>& suppliers, Rng& rng)
{
    const QDate first = firstPurchaseDay();
    const int days = int(first.daysTo(lastPurchaseDay())) + 1;
    std::vector<std::string> iso(days), dayMonth(days);
    for (int d = 0; d < days; ++d) {
        iso[d] = utf8(first.addDays(d).toString(Qt::ISODate));
        dayMonth[d] = utf8(formatDayMonth(first.addDays(d)));
    }

    auto db = openForLoad(path);
    TableFile t(*db, path);
    SQLite::Transaction tr(*db);
    // Building the indexes once after the load is far quicker than keeping them up row by row.
    const auto indexes = t.indexes();
    for (const auto& [name, sql] : indexes)
        db->exec(utf8(QStringLiteral("DROP INDEX %1").arg(TableFile::quote(QString::fromStdString(name)))));

    Inserter ins(*db, t,
                 {"Numer",
                  "NumerPodstawowy",
                  "Nazwa",
                  "Symbol",
                  "Grupa",
                  "TypTowaru",
                  "NumerGrupy",
                  "Indeks",
                  "CenaNetto",
                  "CenaBrutto",
                  "Vat",
                  "VatTyp",
                  "Ilosc",
                  "JednostkaMiary",
                  "DataZakupu",
                  "Dostawca",
                  "SymbolDostawcy",
                  "NumerDostawcy",
                  "WartoscNetto",
                  "WartoscBrutto",
                  "UpustProc",
                  "WartoscVat",
                  "CzyBylaFaktura",
                  "CenaReferencyjna",
                  "Par9",
                  "DataZakupuString",
                  "JakaCenaRef",
                  "RestauracjaNumer",
                  "RestauracjaSymbol"});
    const std::string restaurant = "LIPY";
    for (qint64 i = 0; i < lines; ++i) {
        // Lines are appended day by day, as the register grows.
        const int d = int(i * days / lines);
        const Supplier& s = suppliers[rng.below(kSuppliers)];
        const int group = supplierGroup(s.numer, rng.below(3));
        const Good& g = goods[(group - 1) * kGoodsPerGroup + rng.below(kGoodsPerGroup)];

        // Prices rise about 3.5 % a year towards today's catalogue price.
        const double yearsBefore = (days - 1 - d) / 365.25;
        const double price = std::max(0.01,
                                      roundedMoney(g.price * std::pow(1.035, -yearsBefore) * rng.uniform(0.95, 1.05)));
        const double qty = quantityFor(g.unit, rng);
        const double net = roundedMoney(price * qty);
        const double vat = roundedMoney(roundedMoney(g.rate * net));
        const double gross = net + vat;
        const char* refSign = !g.reference || *g.reference < price ? "-" : (*g.reference > price ? "+" : "0");
        const bool invoice = rng.chance(0.9);
        ins.row(qint64(i + 1), g.numer, g.name, g.symbol, g.groupName, g.type, g.group, g.index, price,
                grossPrice(price, g.vatTypQ), g.rate, g.vatTyp, qty, g.unit, iso[d], s.name, s.symbol, s.numer, net,
                gross, 0.0, vat, invoice, g.reference, std::string(invoice ? "Tak" : "Nie"), dayMonth[d], refSign, 1,
                restaurant);
    }
    for (const auto& [name, sql] : indexes)
        db->exec(sql);
    tr.commit();
}

} // namespace

GenResult generateData(const GenOptions& options)
{
    if (options.directory.isEmpty())
        throw std::invalid_argument("no data directory given");
    if (options.lines < 0)
        throw std::invalid_argument("the number of lines must not be negative");
    QElapsedTimer timer;
    timer.start();
    if (!QDir().mkpath(options.directory))
        throw EngineError(QStringLiteral("Nie można utworzyć katalogu"), options.directory);
    const QString dir = QDir(options.directory).absolutePath();
    QFile::remove(completeMarker(dir));
    if (options.replace)
        removeTableFiles(dir);

    const QHash<QString, QString> files = createTableFiles(dir);
    Rng rng(options.seed);
    const std::vector<Good> goods = makeGoods(rng);
    std::vector<Supplier> suppliers;
    const auto load = [&](const TableDef& def, const auto& fill) {
        const QString path = files.value(def.fileName);
        try {
            fill(path);
        } catch (const SQLite::Exception& e) {
            throw EngineError(QString::fromUtf8(e.what()), path);
        }
    };
    load(tabledefs::grupyTowarow(), [&](const QString& p) { fillGroups(p); });
    load(tabledefs::towaryPodstawowe(), [&](const QString& p) { fillGoods(p, goods); });
    load(tabledefs::dostawcy(), [&](const QString& p) { suppliers = fillSuppliers(p, rng); });
    load(tabledefs::wlasciciel(), [&](const QString& p) { fillRestaurant(p); });
    load(tabledefs::towary(), [&](const QString& p) { fillLines(p, options.lines, goods, suppliers, rng); });
    // The Polish sort keys of the loaded texts, made as the program makes them on
    // open, and the monthly sums of the lines, built on their first totals.
    for (const TableDef* def : tabledefs::all()) {
        Table t;
        t.setDatabaseName(dir);
        t.setTableName(def->fileName);
        t.open();
        if (def->keptSums)
            t.sumsOverView(def->keptSums->sumFields);
        t.close();
    }

    QFile marker(completeMarker(dir));
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EngineError(QStringLiteral("Nie można zapisać pliku"), marker.fileName());
    marker.write(QStringLiteral("lines=%1 seed=%2\n").arg(options.lines).arg(options.seed).toUtf8());
    return {options.lines, timer.elapsed() / 1000.0};
}

} // namespace jadl::bench
