// Table files as other programs and the backup see them: the nine tables of a
// fresh data directory, files that do not fit, aliases, compaction, exclusive
// use, table creation and a crash in the middle of posting.
#include "StoreFixture.h"
#include "store/TableDefs.h"
#include "store/internal/SortKeys.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <cstdio>

using namespace jadl;
using namespace storetest;

namespace {

const char* kChildDirVar = "JADL_STORE_CRASH_CHILD_DIR";

QString sqlType(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::Text:
        return QStringLiteral("VARCHAR(%1)").arg(f.textSize());
    case FieldType::Float:
        return QStringLiteral("REAL");
    case FieldType::Date:
        return QStringLiteral("DATE");
    case FieldType::DateTime:
        return QStringLiteral("DATETIME");
    case FieldType::Logical:
        return QStringLiteral("BOOLEAN");
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    }
    return {};
}

void writeRaw(const QString& path, const QString& sql)
{
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec(sql.toStdString());
}

// The child of the crash test: posts purchase lines until it is killed, telling
// the parent each Numer whose post has returned.
int crashChild(const QString& dir)
{
    Table t(nullptr, QStringLiteral("TableTowary"));
    t.setDatabaseName(dir);
    t.setTableName(QStringLiteral("Towary.DB"));
    t.open();
    for (int i = 0;; ++i) {
        t.append();
        t.fieldByName(QStringLiteral("Nazwa")).setString(QString(90, QChar(u'a' + i % 26)));
        t.fieldByName(QStringLiteral("Symbol")).setString(QString::number(i));
        t.fieldByName(QStringLiteral("DataZakupu")).setDate(QDate(2026, 1, 1).addDays(i % 365));
        t.fieldByName(QStringLiteral("CenaNetto")).setFloat(i * 0.01);
        t.post();
        std::printf("%lld\n", static_cast<long long>(t.fieldByName(QStringLiteral("Numer")).asLargeInt()));
        std::fflush(stdout);
    }
}

} // namespace

class TstFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void freshDirectoryGetsNineTables_data();
    void freshDirectoryGetsNineTables();
    void definitionsMatchTheCatalogue_data();
    void definitionsMatchTheCatalogue();
    void badFilesAreLeftUntouched_data();
    void badFilesAreLeftUntouched();
    void extraFieldsAndMissingIndexes();
    void databaseNamesResolve_data();
    void databaseNamesResolve();
    void databaseComponentBindsItsName();
    void createTableFromDefinitions();
    void packShrinksTheFile();
    void exclusiveOpenKeepsOthersOut();
    void killedWriterLeavesAnIntactTable();
};

void TstFiles::freshDirectoryGetsNineTables_data()
{
    QTest::addColumn<QString>("fileName");
    for (const TableDef* d : tabledefs::all())
        QTest::newRow(qPrintable(d->fileName)) << d->fileName;
}

void TstFiles::freshDirectoryGetsNineTables()
{
    QFETCH(QString, fileName);
    Env env;
    // opening all nine makes nine table files and nothing else
    for (const TableDef* d : tabledefs::all())
        openTable(d->fileName)->close();
    QStringList files = QDir(env.dir.dataDir()).entryList(QDir::Files);
    files.sort();
    QStringList expected;
    for (const TableDef* d : tabledefs::all())
        expected << d->fileName;
    expected.sort();
    QCOMPARE(files, expected);

    const TableDef* def = tabledefs::find(fileName);
    QVERIFY(def);
    const QString path = env.file(fileName);
    const QString stem = QFileInfo(fileName).completeBaseName();
    QCOMPARE(rawQuery(path,
                      QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%' "
                                     "AND name NOT LIKE 'jadl\\_%' ESCAPE '\\'")),
             (QList<QStringList>{{stem}}));
    const auto columns = rawQuery(path, QStringLiteral("PRAGMA table_info(\"%1\")").arg(stem));
    // The fields as defined, then the Polish sort keys of the texts an index orders by.
    const QStringList keyed = keyedFields(*def);
    QCOMPARE(columns.size(), def->fields.size() + keyed.size());
    for (int i = 0; i < keyed.size(); ++i) {
        QCOMPARE(columns[def->fields.size() + i].value(1), keyed[i] + QStringLiteral("#pl"));
        QCOMPARE(columns[def->fields.size() + i].value(2), QStringLiteral("BLOB"));
    }
    for (int i = 0; i < def->fields.size(); ++i) {
        const FieldDef& f = def->fields[i];
        QCOMPARE(columns[i].value(1), f.name);
        QCOMPARE(columns[i].value(2), sqlType(f));
        QCOMPARE(columns[i].value(3), QStringLiteral("0")); // every field may be null
        QCOMPARE(columns[i].value(5) != QStringLiteral("0"), f.type == FieldType::AutoInc);
    }
    const auto indexes = rawQuery(path, QStringLiteral("PRAGMA index_list(\"%1\")").arg(stem));
    QStringList names;
    for (const auto& row : indexes)
        names << row.value(1);
    QStringList wanted;
    for (const IndexDef& ix : def->indexes) {
        wanted << ix.name;
        if (!sortKeyIndex(*def, ix).fields.isEmpty())
            wanted << ix.name + QStringLiteral("#pl");
    }
    names.sort();
    wanted.sort();
    QCOMPARE(names, wanted);
    for (const IndexDef& ix : def->indexes) {
        QStringList keys;
        for (const auto& row : rawQuery(path, QStringLiteral("PRAGMA index_info(\"%1\")").arg(ix.name)))
            keys << row.value(2);
        QCOMPARE(keys, ix.fields);
    }
    QCOMPARE(rawQuery(path, QStringLiteral("PRAGMA journal_mode")).value(0).value(0), QStringLiteral("delete"));

    // Other programs read and write the file with the plain sqlite3 tool.
    QProcess tool;
    tool.start(QStringLiteral("sqlite3"),
               {path, QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES; SELECT count(*) FROM \"%1\";").arg(stem)});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput().trimmed(), QByteArray("1"));
    QVERIFY2(tool.readAllStandardError().isEmpty(), qPrintable(stem));
}

void TstFiles::definitionsMatchTheCatalogue_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("fieldCount");
    QTest::addColumn<int>("position"); // 1-based
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    auto row = [](const char* tag, const char* file, int count, int pos, const char* name, FieldType type, int size) {
        QTest::newRow(tag) << QString::fromLatin1(file) << count << pos << QString::fromLatin1(name) << int(type)
                           << size;
    };
    row("towary numer", "Towary.DB", 50, 1, "Numer", FieldType::AutoInc, 0);
    row("towary dostawca", "Towary.DB", 50, 25, "Dostawca", FieldType::Text, 120);
    row("towary nr dostawcy", "Towary.DB", 50, 27, "NumerDostawcy", FieldType::Integer, 0);
    row("towary faktura", "Towary.DB", 50, 33, "CzyBylaFaktura", FieldType::Logical, 0);
    row("towary par9", "Towary.DB", 50, 43, "Par9", FieldType::Text, 25);
    row("towary last", "Towary.DB", 50, 50, "RestauracjaSymbol", FieldType::Text, 40);
    row("dostawcy opis", "Dostawcy.db", 28, 28, "Opis", FieldType::Memo, 0);
    row("dostawcy nip", "Dostawcy.db", 28, 11, "Nip", FieldType::Text, 18);
    row("podstawowe data", "TowaryPodstawowe.db", 27, 9, "DataDodania", FieldType::Date, 0);
    row("podstawowe pom8", "TowaryPodstawowe.db", 27, 24, "Pom8", FieldType::Date, 0);
    row("podstawowe jm", "TowaryPodstawowe.db", 27, 12, "JednostkaMiary", FieldType::Text, 10);
    row("grupy", "GrupyTowarow.DB", 4, 3, "Grupa", FieldType::Text, 40);
    row("wlasciciel telefon1 first", "Wlasciciel.DB", 34, 13, "Telefon1", FieldType::Text, 30);
    row("wlasciciel aktywny", "Wlasciciel.DB", 34, 34, "Aktywny", FieldType::Logical, 0);
    row("wlasciciel par5", "Wlasciciel.DB", 34, 28, "Par5", FieldType::Integer, 0);
    row("parametry rozmiar", "Parametry.db", 6, 6, "RozmiarDanych", FieldType::Integer, 0);
    row("pom", "TowaryPom.DB", 1, 1, "Numer", FieldType::AutoInc, 0);
    row("vat informacja", "StawkiVat.db", 10, 6, "Informacja", FieldType::Text, 150);
    row("jednostki", "JednostkiMiar.DB", 4, 4, "OpisJednostki", FieldType::Text, 40);
}

void TstFiles::definitionsMatchTheCatalogue()
{
    QFETCH(QString, fileName);
    QFETCH(int, fieldCount);
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(int, size);
    Env env;
    auto t = openTable(fileName);
    QCOMPARE(t->fieldCount(), fieldCount);
    const Field& f = t->field(position - 1);
    QCOMPARE(f.fieldName(), name);
    QCOMPARE(int(f.dataType()), type);
    if (f.dataType() == FieldType::Text)
        QCOMPARE(f.size(), size);
    // only the two line values carry the money mask
    int masked = 0;
    for (int i = 0; i < t->fieldCount(); ++i)
        masked += t->field(i).displayFormat().isEmpty() ? 0 : 1;
    QCOMPARE(masked, fileName == QStringLiteral("Towary.DB") ? 2 : 0);
}

void TstFiles::badFilesAreLeftUntouched_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("content"); // "sql:" statements, "bytes:" raw text, "empty"
    QTest::newRow("not a database") << "Towary.DB"
                                    << "bytes:Paradox table, not SQLite at all ";
    QTest::newRow("empty file") << "Dostawcy.db"
                                << "empty";
    QTest::newRow("field missing")
        << "Towary.DB"
        << "sql:CREATE TABLE Towary (Numer INTEGER PRIMARY KEY AUTOINCREMENT, Symbol VARCHAR(50));"
           "INSERT INTO Towary (Symbol) VALUES ('x')";
    QTest::newRow("wrong type")
        << "GrupyTowarow.DB"
        << "sql:CREATE TABLE GrupyTowarow (Numer INTEGER PRIMARY KEY AUTOINCREMENT, NrKol INTEGER,"
           " Grupa DATE, TypTowaru VARCHAR(40))";
    QTest::newRow("no such table") << "JednostkiMiar.DB"
                                   << "sql:CREATE TABLE Inna (a INTEGER); CREATE TABLE Druga (b INTEGER)";
}

void TstFiles::badFilesAreLeftUntouched()
{
    QFETCH(QString, fileName);
    QFETCH(QString, content);
    Env env;
    const QString path = env.file(fileName);
    if (content.startsWith(QLatin1String("sql:"))) {
        writeRaw(path, content.mid(4));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (content.startsWith(QLatin1String("bytes:")))
            for (int i = 0; i < 200; ++i)
                f.write(content.mid(6).toUtf8());
    }
    const QByteArray before = fileBytes(path);
    auto t = table(fileName, QStringLiteral("TableX"));
    try {
        t->open();
        QFAIL("a file that does not fit opened");
    } catch (const EngineError& e) {
        QCOMPARE(e.file(), path);
        QVERIFY(e.message().contains(path));
    }
    QVERIFY(!t->active());
    QCOMPARE(fileBytes(path), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->first());
}

void TstFiles::extraFieldsAndMissingIndexes()
{
    Env env;
    // a parameters file with a field of its own
    writeRaw(
        env.file(QStringLiteral("Parametry.db")),
        QStringLiteral(
            "CREATE TABLE Parametry (Numer INTEGER PRIMARY KEY AUTOINCREMENT, Par1 BOOLEAN, CzyscStawkiVat BOOLEAN,"
            " Dodatkowe VARCHAR(10), CzyscJednostkiMiar BOOLEAN, IleDyskietek INTEGER, RozmiarDanych INTEGER);"
            "INSERT INTO Parametry (Par1, Dodatkowe, RozmiarDanych) VALUES (1, 'abc', 7000000000)"));
    auto p = table(QStringLiteral("Parametry.db"));
    Field& par1 = p->fieldByName(QStringLiteral("Par1")); // declared fields exist before the open
    Field& size = p->fieldByName(QStringLiteral("RozmiarDanych"));
    p->open();
    // they stay the same objects, also where the file's extra field shifts them
    QCOMPARE(&p->fieldByName(QStringLiteral("Par1")), &par1);
    QCOMPARE(&p->fieldByName(QStringLiteral("RozmiarDanych")), &size);
    QVERIFY(par1.asBoolean());
    QCOMPARE(size.asLargeInt(), 7000000000LL);
    QCOMPARE(p->fieldCount(), 7);
    QCOMPARE(p->fieldByName(QStringLiteral("Dodatkowe")).asString(), QStringLiteral("abc"));
    QVERIFY(p->fieldByName(QStringLiteral("Par1")).asBoolean());

    // an older purchase-lines file without the program's own date index gets it
    openTable(QStringLiteral("Towary.DB"))->close();
    writeRaw(env.file(QStringLiteral("Towary.DB")), QStringLiteral("DROP INDEX DataZakupuInd"));
    auto t = openTable(QStringLiteral("Towary.DB"));
    t->setIndexName(QStringLiteral("DataZakupuInd"));
    QCOMPARE(t->indexFieldNames(), QStringList{QStringLiteral("DataZakupu")});
}

void TstFiles::databaseNamesResolve_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dataDir"); // resolves to the data directory (else: an error)
    QTest::newRow("database") << "jadlonia" << true;
    QTest::newRow("alias") << "dane_bar" << true;
    QTest::newRow("alias upper") << "DANE_BAR" << true;
    QTest::newRow("drive path") << "c:\\jadl\\dane_bar" << true;
    QTest::newRow("drive path other case") << "C:\\JADL\\DANE_BAR\\" << true;
    QTest::newRow("unknown") << "nieznana" << false;
    QTest::newRow("unmapped drive") << "q:\\dane" << false;
}

void TstFiles::databaseNamesResolve()
{
    QFETCH(QString, name);
    QFETCH(bool, dataDir);
    Env env;
    const QString expected = QFileInfo(env.dir.dataDir()).canonicalFilePath();
    if (dataDir) {
        QCOMPARE(QFileInfo(Aliases::resolveDirectory(name)).canonicalFilePath(), expected);
        auto t = table(QStringLiteral("GrupyTowarow.DB"), {}, name);
        t->open();
        QCOMPARE(QFileInfo(t->filePath()).canonicalPath(), expected);
    } else {
        QVERIFY_THROWS_EXCEPTION(EngineError, Aliases::resolveDirectory(name));
        auto t = table(QStringLiteral("GrupyTowarow.DB"), {}, name);
        QVERIFY_THROWS_EXCEPTION(EngineError, t->open());
        QVERIFY(!t->active());
    }
}

void TstFiles::databaseComponentBindsItsName()
{
    Env env;
    QTemporaryDir other;
    Aliases::setAlias(QStringLiteral("moj_alias"), other.path());
    Database db;
    db.setDatabaseName(QStringLiteral("inna"));
    db.setAliasName(QStringLiteral("moj_alias"));
    QVERIFY_THROWS_EXCEPTION(EngineError, Aliases::resolveDirectory(QStringLiteral("inna")));
    db.setConnected(true);
    QCOMPARE(db.directory(), other.path());
    auto t = table(QStringLiteral("JednostkiMiar.DB"), {}, QStringLiteral("inna"));
    t->open();
    QVERIFY(QFile::exists(QDir(other.path()).filePath(QStringLiteral("JednostkiMiar.DB"))));
    t->close();
    db.setConnected(false);
    QVERIFY_THROWS_EXCEPTION(EngineError, Aliases::resolveDirectory(QStringLiteral("inna")));
}

void TstFiles::createTableFromDefinitions()
{
    Env env;
    const QString path = env.file(QStringLiteral("TowaryRaport.db")); // the data directory exists
    auto t = std::make_unique<Table>(nullptr, QStringLiteral("TableTowaryRaport"));
    t->setDatabaseName(QStringLiteral("c:\\jadl\\dane_bar"));
    t->setTableName(QStringLiteral("TowaryRaport"));
    t->fieldDefs() = {{QStringLiteral("SymbolDostawcy"), FieldType::Text, 20, {}, {}},
                      {QStringLiteral("Ilosc"), FieldType::Float, 0, {}, {}},
                      {QStringLiteral("DataZakupu"), FieldType::DateTime, 0, {}, {}}};
    t->createTable();
    QCOMPARE(t->filePath(), path);
    t->open();
    QCOMPARE(t->fieldCount(), 3);
    t->append();
    t->fieldByName(QStringLiteral("SymbolDostawcy")).setString(QStringLiteral("HURT"));
    t->fieldByName(QStringLiteral("DataZakupu")).setString(QStringLiteral("7.12.2026"));
    t->post();
    QCOMPARE(t->fieldByName(QStringLiteral("DataZakupu")).asDateTime(), QDate(2026, 12, 7).startOfDay());
    QCOMPARE(t->fieldByName(QStringLiteral("DataZakupu")).asDate(), QDate(2026, 12, 7));
    t->close();
    QCOMPARE(rawQuery(path, QStringLiteral("SELECT DataZakupu FROM TowaryRaport")).value(0).value(0),
             QStringLiteral("2026-12-07 00:00:00"));
    // creating again starts an empty table
    t->createTable();
    t->open();
    QCOMPARE(t->recordCount(), 0);
    QVERIFY_THROWS_EXCEPTION(EngineError, t->createTable()); // not while open
}

void TstFiles::packShrinksTheFile()
{
    Env env;
    auto t = openTable(QStringLiteral("Towary.DB"), QStringLiteral("TableTowary"));
    {
        Table::Batch batch(*t);
        for (int i = 0; i < 3000; ++i) {
            t->append();
            t->fieldByName(QStringLiteral("Nazwa")).setString(QString(100, QChar(u'a' + i % 26)));
            t->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')));
            t->post();
        }
        batch.commit();
    }
    {
        Table::Batch batch(*t);
        t->setIndexName(QStringLiteral("SymbolInd"));
        t->first();
        t->moveBy(100);
        while (!t->isEmpty() && t->recNo() > 100)
            t->deleteRecord();
        batch.commit();
    }
    QCOMPARE(t->recordCount(), 100);
    QVERIFY_THROWS_EXCEPTION(EngineError, t->pack()); // shared open
    t->close();
    const qint64 before = QFileInfo(env.file(QStringLiteral("Towary.DB"))).size();
    t->setExclusive(true);
    t->open();
    t->pack();
    t->close();
    const qint64 after = QFileInfo(env.file(QStringLiteral("Towary.DB"))).size();
    QVERIFY2(after * 3 < before, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    t->setExclusive(false);
    t->open();
    QCOMPARE(t->recordCount(), 100);
    t->last();
    QCOMPARE(t->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("00099"));
    QCOMPARE(
        rawQuery(env.file(QStringLiteral("Towary.DB")), QStringLiteral("PRAGMA integrity_check")).value(0).value(0),
        QStringLiteral("ok"));
}

void TstFiles::exclusiveOpenKeepsOthersOut()
{
    Env env;
    openTable(QStringLiteral("Towary.DB"))->close();
    auto owner = table(QStringLiteral("Towary.DB"), QStringLiteral("TableTowary"));
    owner->setExclusive(true);
    owner->open();
    QVERIFY_THROWS_EXCEPTION(EngineError, owner->setExclusive(false)); // only while closed
    auto other = table(QStringLiteral("Towary.DB"), QStringLiteral("Inna"));
    try {
        other->open();
        QFAIL("opened a file held exclusively");
    } catch (const EngineError& e) {
        QCOMPARE(e.file(), env.file(QStringLiteral("Towary.DB")));
    }
    QVERIFY(!other->active());
    owner->close();
    other->open();
    QVERIFY(other->active());
}

void TstFiles::killedWriterLeavesAnIntactTable()
{
#ifndef Q_OS_UNIX
    QSKIP("needs SIGKILL");
#endif
    Env env;
    const QString dir = env.dir.dataDir();
    const QString path = env.file(QStringLiteral("Towary.DB"));
    QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
    pe.insert(QString::fromLatin1(kChildDirVar), dir);
    QRandomGenerator random(20261208);
    QList<qint64> reported; // every Numer whose post returned, over all runs
    for (int run = 0; run < 60; ++run) {
        QProcess child;
        child.setProcessEnvironment(pe);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        // Killed after a random number of posts and a random moment into the next one.
        const int posts = random.bounded(0, 25);
        QByteArray out;
        while (out.count('\n') < posts && child.state() == QProcess::Running) {
            child.waitForReadyRead(10000);
            out += child.readAllStandardOutput();
        }
        QThread::usleep(random.bounded(0, 3000));
        child.kill(); // SIGKILL, whatever the child is doing
        QVERIFY(child.waitForFinished(10000));
        out += child.readAllStandardOutput();
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY2(out.count('\n') >= posts, child.readAllStandardError().constData());
        QList<QByteArray> lines = out.split('\n');
        lines.removeLast(); // empty, or a line cut short by the kill
        for (const QByteArray& line : lines)
            reported << line.trimmed().toLongLong();

        auto t = openTable(QStringLiteral("Towary.DB")); // rolls back a half-written post
        {
            SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE);
            QCOMPARE(db.execAndGet("PRAGMA integrity_check").getString(), std::string("ok"));
        }
        QVERIFY(t->recordCount() >= reported.size());
        for (const qint64 id : reported) {
            QVERIFY2(t->locate(QStringLiteral("Numer"), QVariant(qlonglong(id))),
                     qPrintable(QStringLiteral("run %1, line %2").arg(run).arg(id)));
            QCOMPARE(t->fieldByName(QStringLiteral("Nazwa")).asString().size(), 90);
        }
    }
    QVERIFY(reported.size() > 100);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(kChildDirVar)) {
        QCoreApplication app(argc, argv);
        return crashChild(qEnvironmentVariable(kChildDirVar));
    }
    QCoreApplication app(argc, argv);
    TstFiles tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_files.moc"
