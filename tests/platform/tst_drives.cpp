// Virtual drive letters: the mapping, case-insensitive path resolution, free space
// and the data directory.
#include "platform/Drives.h"
#include "support/core/TempDataDir.h"

#include <QtTest>

using jadl::platform::Drives;
using jadl::platform::DriveType;
using jadl::platform::IoError;
using jadl::test::TempDataDir;
using jadl::test::writeFile;

namespace {

bool makeDirs(const QString& root, const QString& relative)
{
    return QDir(root).mkpath(relative);
}

// The text of the IoError that `f` throws (a marker text when it throws none).
template <typename F>
QString ioErrorText(F f)
{
    try {
        f();
    } catch (const IoError& e) {
        return e.text();
    }
    return QStringLiteral("<no IoError>");
}

} // namespace

class TestDrives : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mappingFromEnvironment();
    void programDriveDefaultsToHome();
    void malformedEntriesAreIgnored();
    void toRealPath_data();
    void toRealPath();
    void exactSpellingWinsOverOtherCase();
    void unmappedOrMissingDriveThrows();
    void disketteCapacityAndFreeSpace();
    void fixedDriveSpaceComesFromFileSystem();
    void dataDirectoryIsCreated();
    void dataDirectoryReusesOtherCase();
    void toDrivePath();
};

void TestDrives::mappingFromEnvironment()
{
    QTemporaryDir a;
    QTemporaryDir d;
    const TempDataDir c(QDate(2026, 12, 7), QStringLiteral("a=") + a.path() + QStringLiteral(":1457664,D=") + d.path());

    const QList<jadl::platform::DriveInfo> list = Drives::drives();
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.at(0).letter, QLatin1Char('A'));
    QCOMPARE(list.at(0).root, a.path());
    QCOMPARE(list.at(0).type, DriveType::Removable);
    QCOMPARE(list.at(1).letter, QLatin1Char('C'));
    QCOMPARE(list.at(1).root, c.root());
    QCOMPARE(list.at(1).type, DriveType::Fixed);
    QCOMPARE(list.at(2).letter, QLatin1Char('D'));
    QCOMPARE(list.at(2).type, DriveType::Fixed);

    QVERIFY(Drives::isMapped(QLatin1Char('a')));
    QVERIFY(Drives::isMapped(QLatin1Char('d')));
    QVERIFY(!Drives::isMapped(QLatin1Char('B')));
    QCOMPARE(Drives::driveType(QLatin1Char('b')), DriveType::Removable);
    QCOMPARE(Drives::driveType(QLatin1Char('E')), DriveType::Fixed);
    QCOMPARE(Drives::rootOf(QLatin1Char('d')), d.path());
    QCOMPARE(Drives::programDrive(), QLatin1Char('C'));
}

void TestDrives::programDriveDefaultsToHome()
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldDrives = qgetenv("JADL_DRIVES");
    const bool hadDrives = qEnvironmentVariableIsSet("JADL_DRIVES");
    qputenv("HOME", home.path().toUtf8());
    qunsetenv("JADL_DRIVES");
    Drives::reload();
    const QList<jadl::platform::DriveInfo> list = Drives::drives();
    const QString root = Drives::rootOf(QLatin1Char('C'));
    qputenv("HOME", oldHome);
    if (hadDrives)
        qputenv("JADL_DRIVES", oldDrives);
    Drives::reload();

    QCOMPARE(list.size(), 1);
    QCOMPARE(root, home.path());
}

void TestDrives::malformedEntriesAreIgnored()
{
    QTemporaryDir e;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("JADL_DRIVES.*")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("JADL_DRIVES.*")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("JADL_DRIVES.*")));
    const TempDataDir c(QDate(2026, 12, 7), QStringLiteral("XY=/tmp,1=/tmp,F=,E=") + e.path());
    QCOMPARE(Drives::drives().size(), 2);
    QVERIFY(Drives::isMapped(QLatin1Char('E')));
    QVERIFY(!Drives::isMapped(QLatin1Char('F')));
}

void TestDrives::toRealPath_data()
{
    // Paths are relative to drive C's temporary root; "@" stands for that root.
    QTest::addColumn<QString>("drivePath");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all lower case") << QStringLiteral("c:\\jadl\\dane_bar\\towary.db")
                                    << QStringLiteral("@/Jadl/Dane_bar/Towary.DB");
    QTest::newRow("upper case") << QStringLiteral("C:\\JADL\\DANE_BAR") << QStringLiteral("@/Jadl/Dane_bar");
    QTest::newRow("forward slashes") << QStringLiteral("c:/Jadl/dane_BAR/Towary.db")
                                     << QStringLiteral("@/Jadl/Dane_bar/Towary.DB");
    QTest::newRow("missing tail keeps spelling") << QStringLiteral("c:\\jadl\\Archiwum\\06_12_2026\\Towary.DB")
                                                 << QStringLiteral("@/Jadl/Archiwum/06_12_2026/Towary.DB");
    QTest::newRow("missing middle stops lookups") << QStringLiteral("c:\\Nowy\\jadl") << QStringLiteral("@/Nowy/jadl");
    QTest::newRow("trailing backslash") << QStringLiteral("c:\\jadl\\") << QStringLiteral("@/Jadl");
    QTest::newRow("drive root") << QStringLiteral("c:\\") << QStringLiteral("@");
    QTest::newRow("bare drive") << QStringLiteral("C:") << QStringLiteral("@");
    QTest::newRow("doubled separators") << QStringLiteral("c:\\\\jadl\\\\dane_bar")
                                        << QStringLiteral("@/Jadl/Dane_bar");
    QTest::newRow("dot components") << QStringLiteral("c:\\jadl\\.\\dane_bar\\..\\DANE_BAR")
                                    << QStringLiteral("@/Jadl/Dane_bar");
    QTest::newRow("no climbing above the root") << QStringLiteral("c:\\..\\..\\jadl") << QStringLiteral("@/Jadl");
    QTest::newRow("rootless path is on drive C")
        << QStringLiteral("\\JADL\\dane_bar") << QStringLiteral("@/Jadl/Dane_bar");
    QTest::newRow("Polish letters") << QStringLiteral("c:\\jadl\\źródła") << QStringLiteral("@/Jadl/ŹRÓDŁA");
    QTest::newRow("real absolute path passes")
        << QStringLiteral("/var/tmp/Some Thing") << QStringLiteral("/var/tmp/Some Thing");
    QTest::newRow("relative path") << QStringLiteral("sub\\file.txt") << QStringLiteral("sub/file.txt");
}

void TestDrives::toRealPath()
{
    QFETCH(QString, drivePath);
    QFETCH(QString, expected);
    const TempDataDir c;
    QVERIFY(makeDirs(c.root(), QStringLiteral("Jadl/Dane_bar")));
    QVERIFY(makeDirs(c.root(), QStringLiteral("Jadl/ŹRÓDŁA")));
    QVERIFY(writeFile(c.path(QStringLiteral("Jadl/Dane_bar/Towary.DB")), 10));
    expected.replace(QLatin1Char('@'), c.root());
    QCOMPARE(Drives::toRealPath(drivePath), expected);
}

void TestDrives::exactSpellingWinsOverOtherCase()
{
    const TempDataDir c;
    QVERIFY(makeDirs(c.root(), QStringLiteral("Data")));
    QVERIFY(makeDirs(c.root(), QStringLiteral("data")));
    QCOMPARE(Drives::toRealPath(QStringLiteral("c:\\data")), c.path(QStringLiteral("data")));
    QCOMPARE(Drives::toRealPath(QStringLiteral("c:\\Data")), c.path(QStringLiteral("Data")));
}

void TestDrives::unmappedOrMissingDriveThrows()
{
    QTemporaryDir gone;
    const QString missing = gone.path() + QStringLiteral("/no_diskette");
    const TempDataDir c(QDate(2026, 12, 7), QStringLiteral("A=") + missing);

    // A mapped drive whose folder is missing behaves like an empty diskette drive.
    QVERIFY(Drives::isMapped(QLatin1Char('A')));
    QString text = ioErrorText([] { Drives::toRealPath(QStringLiteral("a:\\Archiwum\\Towary.DB")); });
    QVERIFY2(text.contains(QStringLiteral("a:\\Archiwum\\Towary.DB")), qPrintable(text));
    QVERIFY2(text.contains(missing), qPrintable(text));
    text = ioErrorText([] { Drives::freeSpace(QLatin1Char('a')); });
    QVERIFY2(text.contains(QStringLiteral("A:")), qPrintable(text));
    text = ioErrorText([] { Drives::capacity(QLatin1Char('A')); });
    QVERIFY2(text.contains(QStringLiteral("A:")), qPrintable(text));
    text = ioErrorText([] { Drives::rootOf(QLatin1Char('A')); });
    QVERIFY2(text.contains(missing), qPrintable(text));

    // An unmapped letter.
    text = ioErrorText([] { Drives::toRealPath(QStringLiteral("e:\\Archiwum")); });
    QVERIFY2(text.contains(QStringLiteral("e:\\Archiwum")), qPrintable(text));
    text = ioErrorText([] { Drives::freeSpace(QLatin1Char('E')); });
    QVERIFY2(text.contains(QStringLiteral("E:")), qPrintable(text));

    // The folder appearing later (a diskette put in) makes the drive usable.
    QVERIFY(QDir().mkpath(missing));
    QCOMPARE(Drives::toRealPath(QStringLiteral("a:\\Archiwum")), missing + QStringLiteral("/Archiwum"));
}

void TestDrives::disketteCapacityAndFreeSpace()
{
    QTemporaryDir a;
    const TempDataDir c(QDate(2026, 12, 7), QStringLiteral("A=") + a.path() + QStringLiteral(":1457664"));
    QCOMPARE(Drives::capacity(QLatin1Char('A')), qint64(1457664));
    QCOMPARE(Drives::freeSpace(QLatin1Char('A')), qint64(1457664));

    QVERIFY(writeFile(a.path() + QStringLiteral("/Archiwum/Towary.DB"), 100000));
    QVERIFY(writeFile(a.path() + QStringLiteral("/Dostawcy.db"), 24));
    QCOMPARE(Drives::freeSpace(QLatin1Char('a')), qint64(1457664 - 100024));

    // More than fits: no negative free space.
    QVERIFY(writeFile(a.path() + QStringLiteral("/big.bin"), 1500000));
    QCOMPARE(Drives::freeSpace(QLatin1Char('A')), qint64(0));
}

void TestDrives::fixedDriveSpaceComesFromFileSystem()
{
    const TempDataDir c;
    const QStorageInfo info(c.root());
    const qint64 capacity = Drives::capacity(QLatin1Char('C'));
    const qint64 free = Drives::freeSpace(QLatin1Char('C'));
    QCOMPARE(capacity, info.bytesTotal());
    QVERIFY(capacity > 0);
    QVERIFY(free >= 0);
    QVERIFY(free <= capacity);
}

void TestDrives::dataDirectoryIsCreated()
{
    const TempDataDir c;
    QCOMPARE(Drives::dataDirectoryDrivePath(), QStringLiteral("C:\\Jadl\\Dane_bar"));
    const QString dir = Drives::dataDirectory();
    QCOMPARE(dir, c.path(QStringLiteral("Jadl/Dane_bar")));
    QVERIFY(QFileInfo(dir).isDir());
    // Asking again changes nothing.
    QCOMPARE(Drives::dataDirectory(), dir);
}

void TestDrives::dataDirectoryReusesOtherCase()
{
    const TempDataDir c;
    QVERIFY(makeDirs(c.root(), QStringLiteral("JADL/dane_BAR")));
    QCOMPARE(Drives::dataDirectory(), c.path(QStringLiteral("JADL/dane_BAR")));
    QCOMPARE(QDir(c.root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{QStringLiteral("JADL")});
    QCOMPARE(QDir(c.path(QStringLiteral("JADL"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("dane_BAR")});
}

void TestDrives::toDrivePath()
{
    QTemporaryDir outside;
    // D lies inside C's tree: the deeper mapping names the path.
    const TempDataDir probe;
    const QString nested = probe.root() + QStringLiteral("/Kopie");
    QVERIFY(QDir().mkpath(nested));
    const TempDataDir c(QDate(2026, 12, 7), QStringLiteral("D=") + probe.root() + QStringLiteral("/Kopie"));
    QVERIFY(makeDirs(c.root(), QStringLiteral("Jadl/Dane_bar")));

    QCOMPARE(Drives::toDrivePath(c.path(QStringLiteral("Jadl/Dane_bar"))), QStringLiteral("C:\\Jadl\\Dane_bar"));
    QCOMPARE(Drives::toDrivePath(c.root()), QStringLiteral("C:\\"));
    QCOMPARE(Drives::toDrivePath(nested + QStringLiteral("/Archiwum/x.db")), QStringLiteral("D:\\Archiwum\\x.db"));
    // A name that only starts like a mapped root is not under it.
    QCOMPARE(Drives::toDrivePath(c.root() + QStringLiteral("x/y")), c.root() + QStringLiteral("x/y"));
    QCOMPARE(Drives::toDrivePath(outside.path()), outside.path());
    // Round trip.
    const QString real = Drives::toRealPath(QStringLiteral("c:\\jadl\\dane_bar\\Towary.DB"));
    QCOMPARE(Drives::toRealPath(Drives::toDrivePath(real)), real);
}

QTEST_GUILESS_MAIN(TestDrives)
#include "tst_drives.moc"
