#include "support/core/TestServer.h"

#include "store/ServerSetup.h"
#include "store/Table.h"
#include "store/internal/TableStorage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <SQLiteCpp/SQLiteCpp.h>
#include <libpq-fe.h>

#include <memory>
#include <stdexcept>

namespace jadl::test {

namespace {

struct ConnFinish {
    void operator()(PGconn* c) const { PQfinish(c); }
};
using Conn = std::unique_ptr<PGconn, ConnFinish>;

void ignoreNotice(void*, const char*) { }

Conn connect(const QString& connection)
{
    Conn c(PQconnectdb(connection.toUtf8().constData()));
    PQsetNoticeProcessor(c.get(), ignoreNotice, nullptr);
    if (PQstatus(c.get()) != CONNECTION_OK)
        throw std::runtime_error("test cluster: " + std::string(PQerrorMessage(c.get())));
    return c;
}

Conn connect(const QString& connection);

using Result = std::unique_ptr<PGresult, void (*)(PGresult*)>;

Result exec(PGconn* c, const QString& sql)
{
    Result r(PQexec(c, sql.toUtf8().constData()), PQclear);
    const ExecStatusType st = PQresultStatus(r.get());
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
        throw std::runtime_error("test cluster: " + std::string(PQerrorMessage(c)) + " in " + sql.toStdString());
    return r;
}

QList<QStringList> rows(PGconn* c, const QString& sql)
{
    const Result r = exec(c, sql);
    QList<QStringList> out;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
        QStringList row;
        for (int k = 0; k < PQnfields(r.get()); ++k) {
            if (PQgetisnull(r.get(), i, k))
                row << QStringLiteral("<null>");
            else if (PQftype(r.get(), k) == 16) // boolean, as SQLite stores it
                row << (PQgetvalue(r.get(), i, k)[0] == 't' ? QStringLiteral("1") : QStringLiteral("0"));
            else
                row << QString::fromUtf8(PQgetvalue(r.get(), i, k));
        }
        out << row;
    }
    return out;
}

QStringList run(PGconn* c, const QString& sql)
{
    QStringList out;
    for (const QStringList& row : rows(c, sql))
        out << row.value(0);
    return out;
}

QString databaseName()
{
    return QStringLiteral("jadl_test_%1").arg(QCoreApplication::applicationPid());
}

// The process's database, made on first use and dropped when the process ends.
struct ProcessDatabase {
    QString connection;
    ProcessDatabase()
    {
        Conn admin = connect(clusterConnection());
        run(admin.get(), QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(databaseName()));
        run(admin.get(), QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(databaseName()));
        connection = clusterConnection().replace(QStringLiteral("dbname=postgres"),
                                                 QStringLiteral("dbname=") + databaseName());
    }
    ~ProcessDatabase()
    {
        try {
            // FORCE ends the program's own connections still open to it.
            Conn admin = connect(clusterConnection());
            run(admin.get(), QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(databaseName()));
        } catch (...) {
            // A cluster stopped before the process ends takes the database with it.
        }
    }
};

ProcessDatabase& processDatabase()
{
    static ProcessDatabase db;
    return db;
}

} // namespace

EngineEnvironment::EngineEnvironment(const QString& root)
{
    hadDatabase_ = qEnvironmentVariableIsSet("JADL_DATABASE");
    oldDatabase_ = qgetenv("JADL_DATABASE");
    hadConfig_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QDir(root).filePath(QStringLiteral(".config")).toUtf8());
    qputenv("JADL_DATABASE", onServer() ? freshServerDatabase().toUtf8() : QByteArray());
}

EngineEnvironment::~EngineEnvironment()
{
    auto restore = [](const char* name, bool had, const QByteArray& old) {
        if (had)
            qputenv(name, old);
        else
            qunsetenv(name);
    };
    restore("JADL_DATABASE", hadDatabase_, oldDatabase_);
    restore("XDG_CONFIG_HOME", hadConfig_, oldConfig_);
}

bool onServer()
{
    return qEnvironmentVariable("JADL_TEST_ENGINE") == QLatin1String("postgresql");
}

QString tablesOf(const QString& dataDir)
{
    return onServer() ? QStringLiteral("jadlonia") : dataDir;
}

std::unique_ptr<Table> openProgramTable(const QString& fileName)
{
    auto t = std::make_unique<Table>();
    t->setDatabaseName(QStringLiteral("jadlonia"));
    t->setTableName(fileName);
    t->open();
    return t;
}

QString clusterDir()
{
    return qEnvironmentVariable("JADL_TEST_PG_DIR");
}

QString clusterConnection()
{
    QFile f(QDir(clusterDir()).filePath(QStringLiteral("url")));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("test cluster not started: no " + f.fileName().toStdString());
    return QString::fromUtf8(f.readAll()).trimmed();
}

QString freshServerDatabase()
{
    const QString connection = processDatabase().connection;
    pgstorage::disconnectAll();
    Conn c = connect(connection);
    run(c.get(), QStringLiteral("DROP SCHEMA IF EXISTS public CASCADE; CREATE SCHEMA public"));
    // As the owner prepares a server before any workstation uses it.
    serversetup::prepare(connection);
    pgstorage::disconnectAll();
    return connection;
}

namespace {

// Quotes CamelCase names (Towary, CenaNetto) outside literals; keywords are upper case.
QString quoteNames(const QString& sql)
{
    QString quoted;
    bool literal = false;
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            literal = !literal;
            quoted += c;
            ++i;
            continue;
        }
        const bool wordStart = !literal && c.isUpper() && i + 1 < sql.size() && sql.at(i + 1).isLower() &&
            (i == 0 ||
             !(sql.at(i - 1).isLetterOrNumber() || sql.at(i - 1) == QLatin1Char('_') ||
               sql.at(i - 1) == QLatin1Char('"')));
        if (!wordStart) {
            quoted += c;
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')))
            ++j;
        quoted += QLatin1Char('"') + sql.mid(i, j - i) + QLatin1Char('"');
        i = j;
    }
    return quoted;
}

} // namespace

QList<QStringList> serverRows(const QString& sql)
{
    Conn c = connect(processDatabase().connection);
    return rows(c.get(), quoteNames(sql));
}

QList<QVariantList> serverValues(const QString& sql)
{
    Conn c = connect(processDatabase().connection);
    const Result r = exec(c.get(), quoteNames(sql));
    QList<QVariantList> out;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
        QVariantList row;
        for (int k = 0; k < PQnfields(r.get()); ++k) {
            const char* v = PQgetvalue(r.get(), i, k);
            if (PQgetisnull(r.get(), i, k)) {
                row << QVariant();
                continue;
            }
            switch (PQftype(r.get(), k)) {
            case 16: // boolean
                row << QVariant(v[0] == 't' ? 1.0 : 0.0);
                break;
            case 20: // int8, int2, int4, float4, float8, numeric
            case 21:
            case 23:
            case 700:
            case 701:
            case 1700:
                row << QVariant(QByteArray(v).toDouble());
                break;
            default:
                row << QVariant(QString::fromUtf8(v));
            }
        }
        out << row;
    }
    return out;
}

QList<QStringList> rawQuery(const QString& path, const QString& sql)
{
    if (onServer())
        return serverRows(sql);
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement st(db, sql.toStdString());
    QList<QStringList> out;
    while (st.executeStep()) {
        QStringList row;
        for (int i = 0; i < st.getColumnCount(); ++i)
            row << (st.getColumn(i).isNull() ? QStringLiteral("<null>") : QString::fromUtf8(st.getColumn(i).getText()));
        out << row;
    }
    return out;
}

void rawExec(const QString& path, const QString& sql)
{
    if (onServer()) {
        serverRows(sql);
        return;
    }
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE);
    db.exec(sql.toStdString());
}

} // namespace jadl::test
