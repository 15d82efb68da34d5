// A table file damaged inside (its header intact, so it opens): found by the
// check after start-up and named with the way back to the archive; no window
// then shows a number of it, and no grid turns the damage into blank rows.
#include "platform/Messages.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "store/TableDefs.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <SQLiteCpp/SQLiteCpp.h>

using jadl::forms;
using jadl::test::ProgramFixture;

namespace {

constexpr int kPage = 4096;

// A data directory with a purchase register of several thousand lines: table
// pages below an interior root, and index pages.
QString pristineRegister()
{
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        for (const jadl::TableDef* def : jadl::tabledefs::all()) {
            jadl::Table t;
            t.setDatabaseName(dir.path());
            t.setTableName(def->fileName);
            t.open();
            if (def->fileName == QLatin1String("Towary.DB")) {
                jadl::Table::Batch batch(t);
                for (int i = 0; i < 4000; ++i) {
                    t.append();
                    t.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("T%1").arg(i % 97));
                    t.fieldByName(QStringLiteral("NumerDostawcy")).setInteger(1 + i % 13);
                    t.fieldByName(QStringLiteral("DataZakupu")).setDate(QDate(2026, 1, 1).addDays(i % 300));
                    t.fieldByName(QStringLiteral("WartoscVat")).setFloat(i * 0.23);
                    t.post();
                }
                batch.commit();
            }
            t.close();
        }
        made = true;
    }
    return dir.path();
}

int pageType(const QByteArray& file, int page)
{
    return static_cast<unsigned char>(file.at((page - 1) * kPage + (page == 1 ? 100 : 0)));
}

// The first page after `from` of the given b-tree type (0x0d table leaf, 0x0a index leaf).
int findPage(const QByteArray& file, int type, int from)
{
    for (int p = from; p <= file.size() / kPage; ++p)
        if (pageType(file, p) == type)
            return p;
    return -1;
}

void flip(QByteArray& file, qint64 offset, int n)
{
    for (int i = 0; i < n; ++i)
        file[offset + i] = static_cast<char>(~file.at(offset + i));
}

QByteArray damaged(QByteArray file, const QString& how)
{
    const int leaf = findPage(file, 0x0d, 3);
    const qint64 leafAt = qint64(leaf - 1) * kPage;
    if (how == QLatin1String("payload")) {
        // The record header of the page's first cell.
        const int cell = (static_cast<unsigned char>(file.at(leafAt + 8)) << 8) |
            static_cast<unsigned char>(file.at(leafAt + 9));
        flip(file, leafAt + cell + 4, 6);
    } else if (how == QLatin1String("page header")) {
        file[leafAt] = 0;
    } else if (how == QLatin1String("zeroed page")) {
        file.replace(leafAt, kPage, QByteArray(kPage, '\0'));
    } else if (how == QLatin1String("interior page")) {
        flip(file, kPage + 12, 8); // page 2: the register's root, above its leaves
    } else if (how == QLatin1String("index page")) {
        const int index = findPage(file, 0x0a, leaf);
        flip(file, qint64(index) * kPage - 200, 40);
    }
    return file;
}

bool soundBySqlite(const QString& path)
{
    try {
        SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
        return db.execAndGet("PRAGMA quick_check").getString() == "ok";
    } catch (const SQLite::Exception&) {
        return false;
    }
}

} // namespace

class DamagedFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void damageIsNamedAndNothingOfItShown_data();
    void damageIsNamedAndNothingOfItShown();
};

void DamagedFilesTest::damageIsNamedAndNothingOfItShown_data()
{
    QTest::addColumn<QString>("how");
    for (const char* how : {"payload", "page header", "zeroed page", "interior page", "index page"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

void DamagedFilesTest::damageIsNamedAndNothingOfItShown()
{
    QFETCH(QString, how);
    if (jadl::test::onServer())
        QSKIP("a damaged table file exists only in a data directory");
    const QString pristine = pristineRegister();
    QString path;
    ProgramFixture program(QDate(2026, 12, 6), [&](const QString& root) {
        const QString data = root + QStringLiteral("/Jadl/Dane_bar");
        QVERIFY(QDir().mkpath(data));
        for (const QString& name : QDir(pristine).entryList(QDir::Files))
            QVERIFY(QFile::copy(QDir(pristine).filePath(name), QDir(data).filePath(name)));
        path = QDir(data).filePath(QStringLiteral("Towary.DB"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bad = damaged(f.readAll(), how);
        f.close();
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bad) == bad.size());
    });
    QVERIFY(program.started());
    QVERIFY(!soundBySqlite(path));
    const auto named = [&] {
        int n = 0;
        for (const auto& m : program.messages().log())
            n += m.kind == jadl::platform::MessageKind::Error && m.text.contains(QDir::toNativeSeparators(path)) &&
                m.text.contains(QStringLiteral("Odtwarzanie danych z archiwum"));
        return n;
    };
    QTRY_COMPARE(named(), 1); // right after start-up, before any window is opened

    // The supplier goods window would show the register: it stays closed, the
    // damage named again, and no table of it is left open.
    bool opened = false;
    jadl::test::whenModalShown([&](QWidget*) { opened = true; });
    jadl::test::runCommand(QStringLiteral("SpeedButtonTowaryDostawcy"));
    QVERIFY(!opened);
    QCOMPARE(named(), 2);
    QVERIFY(!forms().ModulDanych1->TableTowary->active());
}

QTEST_MAIN(DamagedFilesTest)
#include "tst_damagedfiles.moc"
