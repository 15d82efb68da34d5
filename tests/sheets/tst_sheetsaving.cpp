// A sheet that cannot be written: a folder without write permission and a full
// disk (a small tmpfs where one can be mounted, else a simulated write failure).
// The error names the file in Polish; an existing file of that name stays as it
// was and no partial or temporary file is left.
#include "SheetTestSupport.h"
#include "reports/ReportSheet.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "sheets/SheetFile.h"
#include "support/core/TmpfsMount.h"

#include <QTemporaryDir>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

using namespace jadl;
using namespace sheettest;
using jadl::test::TmpfsMount;

namespace {

const QByteArray kOldContent = "stary arkusz, nie ruszać";

// Turns the simulated failure off again however the test ends.
struct SimulatedFailure {
    explicit SimulatedFailure(int err) { setSimulatedSheetWriteError(err); }
    ~SimulatedFailure() { setSimulatedSheetWriteError(0); }
};

enum class Trouble { Unwritable, FullDisk };

SheetData bigSheet()
{
    QList<Purchase> lines;
    for (int i = 0; i < 2000; ++i) {
        Purchase p;
        p.supplier = QStringLiteral("DOSTAWCA %1").arg(i);
        p.qty = 1.5;
        p.day = QDate(2026, 11, 1 + i % 30);
        p.goods = QStringLiteral("TOWAR %1").arg(i);
        lines.append(p);
    }
    TZakupioneTowaryDruk r;
    r.QuickRep1->setDataSet(QStringLiteral("TableTowary"), purchases(lines));
    return sheetFromReport(*r.QuickRep1, kRunDate);
}

} // namespace

Q_DECLARE_METATYPE(Trouble)

class TestSheetSaving : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void failedWriteChangesNothing_data();
    void failedWriteChangesNothing();
};

void TestSheetSaving::failedWriteChangesNothing_data()
{
    QTest::addColumn<SheetFormat>("format");
    QTest::addColumn<Trouble>("trouble");
    QTest::addColumn<bool>("existing");
    for (const SheetFormat f : {SheetFormat::Xlsx, SheetFormat::Csv}) {
        const char* ext = f == SheetFormat::Xlsx ? "xlsx" : "csv";
        QTest::addRow("%s, unwritable folder", ext) << f << Trouble::Unwritable << true;
        QTest::addRow("%s, full disk, old file", ext) << f << Trouble::FullDisk << true;
        QTest::addRow("%s, full disk, new file", ext) << f << Trouble::FullDisk << false;
    }
}

void TestSheetSaving::failedWriteChangesNothing()
{
    QFETCH(SheetFormat, format);
    QFETCH(Trouble, trouble);
    QFETCH(bool, existing);

    QTemporaryDir base;
    const QString dir = base.filePath(QStringLiteral("cel"));
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/zakupy") + sheetFileEnding(format);
    const bool root = ::geteuid() == 0;
    // Root writes through permission bits, so it gets a folder on a disk that is
    // full or read-only; where nothing can be mounted the failure is simulated.
    TmpfsMount disk(dir, trouble == Trouble::FullDisk ? "16k" : "1m");
    const bool real = disk.mounted() || (trouble == Trouble::Unwritable && !root);
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(kOldContent);
    }
    QString reason = QStringLiteral("brak miejsca na dysku");
    int simulated = ENOSPC;
    if (trouble == Trouble::Unwritable) {
        reason = QStringLiteral("brak uprawnień");
        simulated = EACCES;
        if (disk.mounted()) {
            QVERIFY(disk.makeReadOnly());
            reason = QStringLiteral("nośnik tylko do odczytu");
        } else if (!root) {
            QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
        }
    }
    if (!real)
        qInfo("nothing can be mounted here: the write failure is simulated");
    const SimulatedFailure failure(real ? 0 : simulated);

    QString message;
    try {
        writeSheet(bigSheet(), {path, format});
    } catch (const SheetError& e) {
        message = e.message();
    }
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(message, QStringLiteral("Nie można zapisać arkusza %1: %2").arg(path, reason));
    const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, existing ? QStringList{QFileInfo(path).fileName()} : QStringList());
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), kOldContent);
    }
}

QTEST_MAIN(TestSheetSaving)
#include "tst_sheetsaving.moc"
