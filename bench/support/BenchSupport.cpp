// Shared helpers of the benchmarks.
#include "support/BenchSupport.h"

#include "support/DataGenerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <stdexcept>

namespace jadl::bench {

QString dataDirectory()
{
    const QString env = qEnvironmentVariable("JADL_BENCH_DATA");
    if (!env.isEmpty())
        return QDir(env).absolutePath();
    return QStringLiteral(JADL_BENCH_SOURCE_DIR "/data");
}

QString ensureData()
{
    const QString dir = dataDirectory();
    if (QFile::exists(completeMarker(dir)))
        return dir;
    GenOptions opt;
    opt.directory = dir;
    opt.replace = true;
    bool ok = false;
    const qint64 lines = qEnvironmentVariable("JADL_BENCH_LINES").toLongLong(&ok);
    if (ok && lines >= 0)
        opt.lines = lines;
    std::fprintf(stderr, "Generating %lld purchase lines into %s ...\n", static_cast<long long>(opt.lines),
                 qPrintable(dir));
    const GenResult r = generateData(opt);
    std::fprintf(stderr, "Generated in %.1f s\n", r.seconds);
    return dir;
}

QString tablePath(const QString& dir, const QString& fileName)
{
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(fileName);
    return t.filePath();
}

QDate benchMonthStart()
{
    return QDate(2026, 11, 1);
}
QDate benchMonthEnd()
{
    return QDate(2026, 11, 30);
}

PurchaseView::PurchaseView(const QString& dir)
    : suppliers(nullptr, QStringLiteral("TableDostawcy")), supplierSource(nullptr, &suppliers),
      lines(nullptr, QStringLiteral("TableTowary")), from_(benchMonthStart()), to_(benchMonthEnd())
{
    suppliers.setDatabaseName(dir);
    suppliers.setTableName(QStringLiteral("Dostawcy.db"));
    lines.setDatabaseName(dir);
    lines.setTableName(QStringLiteral("Towary.DB"));
    // The same shape as the program's purchase-lines filter: read the date
    // through the field, compare whole days.
    lines.setOnFilterRecord([this](Table& t, bool& accept) {
        ++filterCalls;
        const QDate d = t.fieldByName(QStringLiteral("DataZakupu")).asDate();
        accept = d.isValid() && from_ <= d && d <= to_;
    });
    lines.setPreFilter([this] {
        // As the purchase lines' own: the condition alone decides, a closed range of days.
        return SqlPreFilter{QStringLiteral("\"DataZakupu\" BETWEEN ? AND ?"),
                            {from_.toString(Qt::ISODate), to_.toString(Qt::ISODate)},
                            {QStringLiteral("DataZakupu")},
                            true,
                            SqlPreFilter::DateRange{QStringLiteral("DataZakupu"), from_, to_}};
    });
    lines.setFiltered(true);
    linkToSuppliers(true);
}

PurchaseView::~PurchaseView()
{
    // Detail first, so the master link never fires into a closed master.
    lines.close();
    suppliers.close();
}

void PurchaseView::linkToSuppliers(bool on)
{
    if (on) {
        lines.setIndexName(QStringLiteral("NrDostawcySymbolInd"));
        lines.setMasterFields(QStringLiteral("Numer"));
        lines.setMasterSource(&supplierSource);
    } else {
        lines.setMasterSource(nullptr);
        lines.setMasterFields(QString());
        lines.setIndexName(QStringLiteral("SymbolInd"));
    }
}

void PurchaseView::setPeriod(const QDate& from, const QDate& to)
{
    from_ = from;
    to_ = to;
}

void PurchaseView::openSuppliersAt(int supplierNumber)
{
    if (!suppliers.active())
        suppliers.open();
    if (!suppliers.locate(QStringLiteral("Numer"), supplierNumber))
        throw std::runtime_error("benchmark supplier not found");
}

// --- plain sqlite3 ----------------------------------------------------------------

SqliteDb::SqliteDb(const QString& path, int flags) : path_(path)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error(std::string(raw ? sqlite3_errmsg(raw) : "out of memory") + " [" + path.toStdString() +
                                 "]");
}

void SqliteDb::exec(const std::string& sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string text = err ? err : "sqlite3_exec failed";
        sqlite3_free(err);
        throw std::runtime_error(text + " [" + path_.toStdString() + "]");
    }
}

SqliteStmt::SqliteStmt(const SqliteDb& db, const std::string& sql) : db_(db)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(db.get())) + " [" + db.path().toStdString() + "]");
    st_.reset(raw);
}

void SqliteStmt::bind(int i, const QVariant& v)
{
    sqlite3_stmt* st = st_.get();
    if (v.isNull()) {
        sqlite3_bind_null(st, i);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        sqlite3_bind_int64(st, i, v.toLongLong());
        break;
    case QMetaType::Bool:
        sqlite3_bind_int(st, i, v.toBool() ? 1 : 0);
        break;
    case QMetaType::Double:
        sqlite3_bind_double(st, i, v.toDouble());
        break;
    case QMetaType::QDate: {
        const QByteArray s = v.toDate().toString(Qt::ISODate).toUtf8();
        sqlite3_bind_text(st, i, s.constData(), int(s.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray s = v.toString().toUtf8();
        sqlite3_bind_text(st, i, s.constData(), int(s.size()), SQLITE_TRANSIENT);
    }
    }
}

bool SqliteStmt::step()
{
    const int rc = sqlite3_step(st_.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw std::runtime_error(std::string(sqlite3_errmsg(db_.get())) + " [" + db_.path().toStdString() + "]");
}

void SqliteStmt::reset()
{
    sqlite3_reset(st_.get());
    sqlite3_clear_bindings(st_.get());
}

std::string sqlTableName(const SqliteDb& db)
{
    const QString base = QFileInfo(db.path()).completeBaseName();
    SqliteStmt q(db, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'");
    std::string found;
    while (q.step()) {
        const char* name = reinterpret_cast<const char*>(sqlite3_column_text(q.raw(), 0));
        if (QString::fromUtf8(name).compare(base, Qt::CaseInsensitive) == 0 || found.empty())
            found = name;
    }
    if (found.empty())
        throw std::runtime_error("no table in " + db.path().toStdString());
    return '"' + found + '"';
}

} // namespace jadl::bench
